#include "windows/intentries.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>
#include <QVBoxLayout>

#include "core/prompts.h"
#include "meetdb/session.h"

namespace Windows {

namespace {

// What the event boxes are sized to show whole.
const QString TimeSample = QStringLiteral("00:00.00");
const QString SpecificSample = QStringLiteral("MMMMMMM");

// The width a line box needs to show `sample` whole in its own font, frame and margins
// included. Measured rather than fixed in pixels, so that a larger font or screen scaling widens
// the box with its text instead of cutting the text off.
int WidthFor(const QLineEdit *box, const QString &sample)
{
    const QFontMetrics metrics = box->fontMetrics();
    const QMargins margins = box->textMargins();
    // The line edit keeps two pixels of its own on each side of the text.
    const QSize text(metrics.horizontalAdvance(sample) + 4 + margins.left() + margins.right(),
                     metrics.height() + margins.top() + margins.bottom());
    QStyleOptionFrame option;
    option.initFrom(box);
    option.lineWidth = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box);
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    return box->style()->sizeFromContents(QStyle::CT_LineEdit, &option, text, box).width();
}

// A line box exactly as wide as `sample` needs; no sample leaves the width to the layout.
QLineEdit *Box(const QString &name, QWidget *parent, const QString &sample = QString())
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    if (!sample.isEmpty())
        box->setFixedWidth(WidthFor(box, sample));
    return box;
}

void SetText(QLineEdit *box, const QString &text)
{
    // Setting the same text again would move the cursor while the operator types.
    if (box->text() != text)
        box->setText(text);
}

QString Mnemonic(QString caption)
{
    return caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// The address window: the postal address, the number of events and the fee of one entrant.
class AddressWindow : public QDialog
{
public:
    AddressWindow(const QString &fullName, int entrantNumber, int eventsEntered, QWidget *parent)
        : QDialog(parent)
    {
        setObjectName(QStringLiteral("AddressWindow"));
        setWindowTitle(tr("Address of Entrant %1 %2").arg(entrantNumber).arg(fullName));
        auto *form = new QFormLayout;
        for (QLineEdit *&box : m_lines)
            box = new QLineEdit(this);
        const char *captions[] = {"Address Line &1", "Address Line &2", "&Town", "&County",
                                  "&Post Code"};
        for (int i = 0; i < 5; ++i)
            form->addRow(tr(captions[i]), m_lines[i]);
        m_events = new QSpinBox(this);
        m_events->setRange(0, 99);
        m_events->setValue(eventsEntered);
        form->addRow(tr("&Events Entered"), m_events);
        m_fee = new QDoubleSpinBox(this);
        m_fee->setRange(0, 9999.99);
        m_fee->setDecimals(2);
        form->addRow(tr("&Fee"), m_fee);
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto *layout = new QVBoxLayout(this);
        layout->addLayout(form);
        layout->addWidget(buttons);
    }

    void Fill(Entries::AddressRecord &address) const
    {
        address.Address1 = m_lines[0]->text();
        address.Address2 = m_lines[1]->text();
        address.Town = m_lines[2]->text();
        address.County = m_lines[3]->text();
        address.PostCode = m_lines[4]->text();
        address.EventsEntered = m_events->value();
        address.Fee = m_fee->value();
    }

private:
    std::array<QLineEdit *, 5> m_lines{};
    QSpinBox *m_events;
    QDoubleSpinBox *m_fee;
};

// The member details window: the member's name, date of birth, sex, address and contact fields.
class MemberDetailsWindow : public QDialog
{
public:
    MemberDetailsWindow(Entries::MemberDetailsRequest &request, QWidget *parent)
        : QDialog(parent)
        , m_request(request)
    {
        setObjectName(QStringLiteral("MemberDetails"));
        setWindowTitle(request.Caption);
        const Members::Member &m = request.Member;
        auto *form = new QFormLayout;
        m_abbName = new QLineEdit(request.AbbName, this);
        m_abbName->setObjectName(QStringLiteral("AbbName"));
        m_abbName->setReadOnly(true);
        if (request.AbbNameVisible)
            form->addRow(tr("Short Name"), m_abbName);
        else
            m_abbName->hide();
        const QList<std::pair<const char *, QString>> fields = {{"&Surname", m.Surname},
                                                                {"&Forename", m.Forename},
                                                                {"&Date of Birth", m.DateOfBirth},
                                                                {"Se&x", m.Sex},
                                                                {"Address Line &1", m.Address1},
                                                                {"Address Line &2", m.Address2},
                                                                {"&Town", m.Town},
                                                                {"&County", m.County},
                                                                {"&Post Code", m.PostCode},
                                                                {"Te&lephone", m.Telephone},
                                                                {"S&quad", m.Squad},
                                                                {"&E-mail", m.Email}};
        for (const auto &[caption, value] : fields) {
            auto *box = new QLineEdit(value, this);
            box->setReadOnly(request.Mode == Entries::MemberDetailsMode::Display);
            form->addRow(tr(caption), box);
            m_boxes << box;
        }
        auto *add = new QPushButton(tr("&Add"), this);
        add->setObjectName(QStringLiteral("MemberAdd"));
        add->setEnabled(request.AddEnabled);
        auto *amend = new QPushButton(tr("A&mend"), this);
        amend->setObjectName(QStringLiteral("MemberAmend"));
        amend->setEnabled(request.AmendEnabled);
        auto *close = new QPushButton(tr("C&lose"), this);
        connect(add, &QPushButton::clicked, this,
                [this] { Finish(Entries::MemberDetailsAction::Add); });
        connect(amend, &QPushButton::clicked, this,
                [this] { Finish(Entries::MemberDetailsAction::Amend); });
        connect(close, &QPushButton::clicked, this, &QDialog::reject);
        auto *buttons = new QHBoxLayout;
        buttons->addWidget(add);
        buttons->addWidget(amend);
        buttons->addStretch();
        buttons->addWidget(close);
        auto *layout = new QVBoxLayout(this);
        layout->addLayout(form);
        layout->addLayout(buttons);
    }

    Entries::MemberDetailsAction Action = Entries::MemberDetailsAction::None;

private:
    void Finish(Entries::MemberDetailsAction action)
    {
        Members::Member &m = m_request.Member;
        QString *targets[] = {&m.Surname,  &m.Forename,  &m.DateOfBirth, &m.Sex,
                              &m.Address1, &m.Address2,  &m.Town,        &m.County,
                              &m.PostCode, &m.Telephone, &m.Squad,       &m.Email};
        for (int i = 0; i < m_boxes.size(); ++i)
            *targets[i] = m_boxes.at(i)->text().trimmed();
        m.Sex = m.Sex.toUpper();
        Action = action;
        accept();
    }

    Entries::MemberDetailsRequest &m_request;
    QLineEdit *m_abbName;
    QList<QLineEdit *> m_boxes;
};

} // namespace

IntEntries::IntEntries(MeetDb::Session &session, Core::Prompts &prompts, QWidget *parent)
    : QDialog(parent)
    , m_form(std::make_unique<Entries::EntryForm>(session, prompts,
                                                  static_cast<Entries::EntryDialogs &>(*this),
                                                  Entries::MakeEntryStore(session)))
{
    setObjectName(QStringLiteral("IntEntries"));
    setWindowTitle(tr("Competition Entries"));
    setAutoFillBackground(true);
    BuildBoxes();
    BuildLayout();
    Connect();
    SetTabOrder();
}

IntEntries::~IntEntries() = default;

bool IntEntries::Start()
{
    m_running = true;
    const bool ok = m_form->Open();
    m_running = false;
    if (!ok)
        return false;
    Push();
    ApplyFocus(m_form->TakeFocus());
    return true;
}

// ---- Building
// -------------------------------------------------------------------------------------

void IntEntries::BuildBoxes()
{
    m_menu = new QMenuBar(this);
    QMenu *pb = m_menu->addMenu(tr("&Personal Bests"));
    pb->setObjectName(QStringLiteral("PbSysCon"));
    QAction *add = pb->addAction(tr("Add New Record"));
    add->setObjectName(QStringLiteral("PbAddCon"));
    QAction *amend = pb->addAction(tr("Amend Existing Record"));
    amend->setObjectName(QStringLiteral("PbAmendCon"));
    QAction *show = pb->addAction(tr("Display Existing Record"));
    show->setObjectName(QStringLiteral("PbShowCon"));
    connect(add, &QAction::triggered, this, [this] {
        Run([this] { m_form->ShowMemberDetails(Entries::MemberDetailsMode::Add); });
    });
    connect(amend, &QAction::triggered, this, [this] {
        Run([this] { m_form->ShowMemberDetails(Entries::MemberDetailsMode::Amend); });
    });
    connect(show, &QAction::triggered, this, [this] {
        Run([this] { m_form->ShowMemberDetails(Entries::MemberDetailsMode::Display); });
    });

    m_shortName = Box(QStringLiteral("ShortName"), this, QStringLiteral("Featherstone Max"));
    m_shortNameLabel = new QLabel(tr("&Short Name"), this);
    m_shortNameLabel->setBuddy(m_shortName);
    m_fullName = Box(QStringLiteral("FullName"), this);
    m_fullName->setMinimumWidth(
        WidthFor(m_fullName, QStringLiteral("Maximilian Featherstonehaugh")));
    m_regno = Box(QStringLiteral("RegistrationNumber"), this, QStringLiteral("0000000000"));
    m_club = Box(QStringLiteral("ClubName"), this, QStringLiteral("MMMMMMMM"));
    m_clubLabel = new QLabel(tr("Clu&b"), this);
    m_clubLabel->setBuddy(m_club);
    m_clubAddButton = new QPushButton(tr("Add &New Club"), this);
    m_clubAddButton->setObjectName(QStringLiteral("Club_Add"));
    m_clubList = new QListWidget(this);
    m_clubList->setObjectName(QStringLiteral("ClubList"));
    // Reached by its mnemonic rather than by Tab: codes are quicker to type than to pick.
    m_clubList->setFocusPolicy(Qt::ClickFocus);
    m_clubListLabel = new QLabel(tr("C&lub List"), this);
    m_clubListLabel->setBuddy(m_clubList);
    m_dob = Box(QStringLiteral("IntDob"), this, QStringLiteral("00/00/0000"));
    m_sex = Box(QStringLiteral("IntSex"), this, QStringLiteral("MM"));
    m_ageGroup = new QLabel(this);
    m_ageGroup->setObjectName(QStringLiteral("AgeGroup"));
    m_ageGroup->setFrameShape(QFrame::StyledPanel);
    m_ageGroup->setMinimumWidth(m_ageGroup->fontMetrics().horizontalAdvance(QStringLiteral("MMM")));
    m_ageGroupLabel = new QLabel(tr("Age Group"), this);
    m_entryDate = Box(QStringLiteral("Entry_Date"), this, QStringLiteral("00/00/0000"));
    m_entryDateLabel = new QLabel(tr("Entr&y Date"), this);
    m_entryDateLabel->setBuddy(m_entryDate);
    m_autoCorrect = new QPushButton(this);
    m_autoCorrect->setObjectName(QStringLiteral("Auto_Correct"));

    m_groupButtons = new QButtonGroup(this);
    for (int i = 0; i < int(m_groups.size()); ++i) {
        m_groups[i] = new QRadioButton(this);
        m_groups[i]->setObjectName(QStringLiteral("GroupOption%1").arg(i + 1));
        m_groups[i]->hide();
        m_groupButtons->addButton(m_groups[i], i);
    }

    for (int i = 0; i < Entries::MaxSlots; ++i) {
        m_slotChecks[i] = new QCheckBox(this);
        m_slotChecks[i]->setObjectName(QStringLiteral("StrokeOption%1").arg(i + 1));
        m_slotTimes[i] = Box(QStringLiteral("StrokeTime%1").arg(i + 1), this, TimeSample);
        m_slotSpecific[i] = Box(QStringLiteral("MeetSpecific%1").arg(i + 1), this, SpecificSample);
    }
    for (int i = 0; i < Entries::MaxStrokePairs; ++i) {
        m_pairLabels[i] = new QLabel(tr("Stroke / Distance %1").arg(i + 1), this);
        m_strokes[i] = Box(QStringLiteral("Stroke_Box%1").arg(i + 1), this, QStringLiteral("MMMM"));
        m_distances[i] =
            Box(QStringLiteral("Distance_Box%1").arg(i + 1), this, QStringLiteral("00000"));
    }

    m_info = new QPlainTextEdit(this);
    m_info->setObjectName(QStringLiteral("Info"));
    m_info->setReadOnly(true);
    m_info->setFocusPolicy(Qt::NoFocus);
    m_info->setMinimumHeight(m_info->fontMetrics().lineSpacing() * 5 + 12);

    m_record = new QPushButton(tr("&Record"), this);
    m_record->setObjectName(QStringLiteral("Command1"));
    m_exit = new QPushButton(tr("E&xit"), this);
    m_exit->setObjectName(QStringLiteral("Command2"));
    m_deleteButton = new QPushButton(tr("&Delete"), this);
    m_deleteButton->setObjectName(QStringLiteral("Command3"));
    m_enterAll = new QPushButton(tr("Enter &All"), this);
    m_enterAll->setObjectName(QStringLiteral("Command4"));
    m_clearAll = new QPushButton(tr("&Clear All"), this);
    m_clearAll->setObjectName(QStringLiteral("Command5"));
    m_quickAdd = new QPushButton(tr("&Quick Add Member"), this);
    m_quickAdd->setObjectName(QStringLiteral("QuickAddMember"));
    // No default button: Return in a box must not record half an entrant or toggle a caption.
    for (QPushButton *button : {m_record, m_exit, m_deleteButton, m_enterAll, m_clearAll,
                                m_quickAdd, m_clubAddButton, m_autoCorrect})
        button->setAutoDefault(false);
}

void IntEntries::BuildLayout()
{
    auto *who = new QGridLayout;
    int row = 0;
    who->addWidget(m_shortNameLabel, row, 0);
    who->addWidget(m_shortName, row++, 1);
    auto *nameLabel = new QLabel(tr("&Full Name"), this);
    nameLabel->setBuddy(m_fullName);
    who->addWidget(nameLabel, row, 0);
    who->addWidget(m_fullName, row, 1);
    who->addWidget(m_autoCorrect, row++, 2);
    auto *regnoLabel = new QLabel(tr("Re&gistration No"), this);
    regnoLabel->setBuddy(m_regno);
    who->addWidget(regnoLabel, row, 0);
    who->addWidget(m_regno, row++, 1);
    who->addWidget(m_clubLabel, row, 0);
    who->addWidget(m_club, row, 1);
    who->addWidget(m_clubAddButton, row++, 2);
    auto *dobLabel = new QLabel(tr("Date of Bir&th"), this);
    dobLabel->setBuddy(m_dob);
    who->addWidget(dobLabel, row, 0);
    who->addWidget(m_dob, row++, 1);
    auto *sexLabel = new QLabel(tr("S&ex (M/F/X)"), this);
    sexLabel->setBuddy(m_sex);
    who->addWidget(sexLabel, row, 0);
    who->addWidget(m_sex, row++, 1);
    who->addWidget(m_ageGroupLabel, row, 0);
    who->addWidget(m_ageGroup, row++, 1, Qt::AlignLeft);
    who->addWidget(m_entryDateLabel, row, 0);
    who->addWidget(m_entryDate, row++, 1);

    auto *clubs = new QVBoxLayout;
    clubs->addWidget(m_clubListLabel);
    clubs->addWidget(m_clubList);

    auto *groups = new QGroupBox(tr("Group"), this);
    auto *groupLayout = new QGridLayout(groups);
    for (int i = 0; i < int(m_groups.size()); ++i)
        groupLayout->addWidget(m_groups[i], i % 10, i / 10);

    auto *top = new QHBoxLayout;
    top->addLayout(who);
    top->addWidget(groups);
    top->addLayout(clubs);

    auto *events = new QGroupBox(tr("Events"), this);
    auto *eventLayout = new QGridLayout(events);
    constexpr int perColumn = Entries::MaxSlots / 2;
    for (int i = 0; i < Entries::MaxSlots; ++i) {
        const int column = (i / perColumn) * 3;
        eventLayout->addWidget(m_slotChecks[i], i % perColumn, column);
        eventLayout->addWidget(m_slotTimes[i], i % perColumn, column + 1);
        eventLayout->addWidget(m_slotSpecific[i], i % perColumn, column + 2);
    }
    auto *pairLayout = new QGridLayout;
    for (int i = 0; i < Entries::MaxStrokePairs; ++i) {
        pairLayout->addWidget(m_pairLabels[i], i, 0);
        pairLayout->addWidget(m_strokes[i], i, 1);
        pairLayout->addWidget(m_distances[i], i, 2);
    }
    eventLayout->addLayout(pairLayout, perColumn, 0, 1, 6);

    auto *commands = new QHBoxLayout;
    for (QPushButton *button : {m_record, m_enterAll, m_clearAll, m_deleteButton, m_quickAdd})
        commands->addWidget(button);
    commands->addStretch();
    commands->addWidget(m_exit);

    auto *layout = new QVBoxLayout(this);
    layout->setMenuBar(m_menu);
    layout->addLayout(top);
    layout->addWidget(events, 1);
    layout->addWidget(m_info);
    layout->addLayout(commands);
}

void IntEntries::Connect()
{
    for (QLineEdit *box : {m_shortName, m_fullName, m_club, m_dob, m_sex, m_entryDate})
        box->installEventFilter(this);
    for (QLineEdit *box : m_slotTimes)
        box->installEventFilter(this);
    // Entering a stroke or distance box selects its whole text.
    for (int i = 0; i < Entries::MaxStrokePairs; ++i) {
        m_strokes[i]->installEventFilter(this);
        m_distances[i]->installEventFilter(this);
    }

    connect(m_shortName, &QLineEdit::textEdited, this,
            [this] { Run([this] { m_form->OnShortNameChanged(); }); });
    connect(m_sex, &QLineEdit::textEdited, this,
            [this] { Run([this] { m_form->OnSexChanged(); }); });
    connect(m_groupButtons, &QButtonGroup::idClicked, this,
            [this](int id) { Run([this, id] { m_form->OnGroupClicked(id); }); });
    connect(m_clubList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && !m_running)
            Run([this, row] { m_form->OnClubListClicked(row); });
    });
    // A click on the club already chosen changes no row, but fills "Club" again all the same.
    connect(m_clubList, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        const int row = m_clubList->row(item);
        if (row >= 0)
            Run([this, row] { m_form->OnClubListClicked(row); });
    });
    connect(m_autoCorrect, &QPushButton::clicked, this,
            [this] { Run([this] { m_form->AutoCorrectClicked(); }); });
    connect(m_enterAll, &QPushButton::clicked, this,
            [this] { Run([this] { m_form->EnterAll(); }); });
    connect(m_clearAll, &QPushButton::clicked, this,
            [this] { Run([this] { m_form->ClearAll(); }); });
    connect(m_quickAdd, &QPushButton::clicked, this,
            [this] { Run([this] { m_form->QuickAddMember(); }); });
    connect(m_record, &QPushButton::clicked, this, &IntEntries::DoRecord);
    for (QKeySequence keys :
         {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)}) {
        auto *shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, &IntEntries::DoRecord);
    }
    connect(m_exit, &QPushButton::clicked, this, &IntEntries::reject);
    connect(m_clubAddButton, &QPushButton::clicked, this, [this] {
        if (!m_clubAdd) {
            Run([this] { m_form->ShowNotAvailable(tr("Add New Club")); });
            return;
        }
        m_clubAdd();
        Run([this] { m_form->RefreshClubList(); });
    });
    connect(m_deleteButton, &QPushButton::clicked, this,
            [this] { Run([this] { m_form->Delete(); }); });
}

void IntEntries::SetTabOrder()
{
    QList<QWidget *> order{m_shortName, m_fullName, m_regno, m_club, m_dob, m_sex, m_entryDate};
    for (QRadioButton *group : m_groups)
        order << group;
    // Times are typed one after another down the events, so Tab and Enter go from one event's
    // time to the next event's time; typing a time ticks its event. The meet-specific texts,
    // seldom typed, follow the last time, and the tick boxes, for an event without a time,
    // follow them. Hidden boxes are skipped.
    for (QLineEdit *time : m_slotTimes)
        order << time;
    for (QLineEdit *specific : m_slotSpecific)
        order << specific;
    for (QCheckBox *check : m_slotChecks)
        order << check;
    for (int i = 0; i < Entries::MaxStrokePairs; ++i)
        order << m_strokes[i] << m_distances[i];
    order << m_record << m_enterAll << m_clearAll << m_deleteButton << m_quickAdd << m_exit;
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));
}

// ---- Moving values
// --------------------------------------------------------------------------------

void IntEntries::Pull()
{
    Entries::EntryForm &f = *m_form;
    f.ShortName = m_shortName->text();
    f.FullName = m_fullName->text();
    f.IntDob = m_dob->text();
    f.IntSex = m_sex->text();
    f.ClubName = m_club->text();
    f.RegistrationNumber = m_regno->text();
    f.EntryDate = m_entryDate->text();
    for (int i = 0; i < Entries::MaxSlots; ++i) {
        f.Slots[i].Checked = m_slotChecks[i]->isChecked();
        f.Slots[i].Time = m_slotTimes[i]->text();
        f.Slots[i].MeetSpecific = m_slotSpecific[i]->text();
    }
    for (int i = 0; i < Entries::MaxStrokePairs; ++i)
        f.Pairs[i] = {m_strokes[i]->text(), m_distances[i]->text()};
}

void IntEntries::Push()
{
    const Entries::EntryForm &f = *m_form;
    SetText(m_shortName, f.ShortName);
    SetText(m_fullName, f.FullName);
    SetText(m_dob, f.IntDob);
    SetText(m_sex, f.IntSex);
    SetText(m_club, f.ClubName);
    SetText(m_regno, f.RegistrationNumber);
    SetText(m_entryDate, f.EntryDate);
    m_ageGroup->setText(f.AgeGroup);
    m_autoCorrect->setText(f.AutoCorrectCaption);
    const QString info = f.Info.join(u'\n');
    if (m_info->toPlainText() != info)
        m_info->setPlainText(info);

    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, f.Background);
    setPalette(palette);

    m_shortName->setVisible(f.ShortNameVisible);
    m_shortNameLabel->setVisible(f.ShortNameVisible);
    m_quickAdd->setVisible(f.QuickAddVisible);
    m_menu->setVisible(f.MemberMenuVisible);
    for (QWidget *w : std::initializer_list<QWidget *>{m_club, m_clubLabel, m_clubAddButton,
                                                       m_clubList, m_clubListLabel})
        w->setVisible(f.ClubVisible);
    m_ageGroup->setVisible(f.AgeGroupVisible);
    m_ageGroupLabel->setVisible(f.AgeGroupVisible);
    m_entryDate->setVisible(f.EntryDateVisible);
    m_entryDateLabel->setVisible(f.EntryDateVisible);
    for (int i = 0; i < Entries::MaxStrokePairs; ++i) {
        m_pairLabels[i]->setVisible(f.PairsVisible);
        m_strokes[i]->setVisible(f.PairsVisible);
        m_distances[i]->setVisible(f.PairsVisible);
        SetText(m_strokes[i], f.Pairs[i].Stroke);
        SetText(m_distances[i], f.Pairs[i].Distance);
    }

    // Compared whole: the club name table window may rename a club or add one in code order.
    if (m_shownClubs != f.ClubList) {
        const QSignalBlocker blocker(m_clubList);
        m_clubList->clear();
        m_clubList->addItems(f.ClubList);
        m_shownClubs = f.ClubList;
    }

    for (int i = 0; i < int(m_groups.size()); ++i) {
        const bool shown = i < f.GroupCaptions.size();
        m_groups[i]->setVisible(shown);
        if (shown)
            m_groups[i]->setText(Mnemonic(f.GroupCaptions.at(i)));
    }
    if (f.CheckedGroup >= 0 && f.CheckedGroup < int(m_groups.size())) {
        m_groups[f.CheckedGroup]->setChecked(true);
    } else if (QAbstractButton *checked = m_groupButtons->checkedButton()) {
        m_groupButtons->setExclusive(false);
        checked->setChecked(false);
        m_groupButtons->setExclusive(true);
    }

    for (int i = 0; i < Entries::MaxSlots; ++i) {
        const Entries::EventSlot &slot = f.Slots[i];
        m_slotChecks[i]->setVisible(slot.Visible);
        m_slotChecks[i]->setText(slot.Caption);
        m_slotChecks[i]->setChecked(slot.Checked);
        m_slotTimes[i]->setVisible(slot.TimeVisible);
        m_slotSpecific[i]->setVisible(slot.TimeVisible);
        SetText(m_slotTimes[i], slot.Time);
        SetText(m_slotSpecific[i], slot.MeetSpecific);
    }
}

Entries::FocusRequest IntEntries::Run(const std::function<void()> &command, bool advance)
{
    if (m_running)
        return {};
    m_running = true;
    Pull();
    command();
    Push();
    const Entries::FocusRequest focus = m_form->TakeFocus();
    if (advance || !focus.Advance)
        ApplyFocus(focus);
    m_running = false;
    if (m_form->CloseRequested)
        QDialog::reject();
    return focus;
}

QLineEdit *IntEntries::BoxFor(const Entries::FocusRequest &focus) const
{
    QLineEdit *box = nullptr;
    switch (focus.Box) {
    case Entries::FocusBox::None:
        break;
    case Entries::FocusBox::ShortName:
        box = m_shortName;
        break;
    case Entries::FocusBox::FullName:
        box = m_fullName;
        break;
    case Entries::FocusBox::ClubName:
        box = m_club;
        break;
    case Entries::FocusBox::RegistrationNumber:
        box = m_regno;
        break;
    case Entries::FocusBox::IntDob:
        box = m_dob;
        break;
    case Entries::FocusBox::IntSex:
        box = m_sex;
        break;
    case Entries::FocusBox::EntryDate:
        box = m_entryDate;
        break;
    case Entries::FocusBox::StrokeTime:
        if (focus.Slot >= 0 && focus.Slot < Entries::MaxSlots)
            box = m_slotTimes[focus.Slot];
        break;
    }
    return box;
}

void IntEntries::ApplyFocus(const Entries::FocusRequest &focus)
{
    QLineEdit *box = BoxFor(focus);
    if (!box || !box->isVisible())
        return;
    box->setFocus(Qt::OtherFocusReason);
    if (focus.SelectAll)
        box->selectAll();
}

std::function<void()> IntEntries::LeaveCommand(QObject *box)
{
    if (box == m_shortName)
        return [this] { m_form->OnShortNameLeft(); };
    if (box == m_fullName)
        return [this] { m_form->OnFullNameLeft(); };
    if (box == m_club)
        return [this] { m_form->OnClubLeft(); };
    if (box == m_dob)
        return [this] { m_form->OnDobLeft(); };
    if (box == m_sex)
        return [this] { m_form->OnSexLeft(); };
    if (box == m_entryDate)
        return [this] { m_form->OnEntryDateLeft(); };
    for (int i = 0; i < Entries::MaxSlots; ++i)
        if (box == m_slotTimes[i])
            return [this, i] { m_form->OnTimeLeft(i); };
    return {};
}

bool IntEntries::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        for (int i = 0; i < Entries::MaxStrokePairs; ++i) {
            if (watched == m_strokes[i] || watched == m_distances[i]) {
                auto *box = static_cast<QLineEdit *>(watched);
                QTimer::singleShot(0, box, [box] { box->selectAll(); });
            }
        }
    } else if (event->type() == QEvent::FocusOut && !m_running) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        // Focus taken by a message box, a menu or another window is not leaving the box.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (const std::function<void()> command = LeaveCommand(watched))
                Run(command, reason == Qt::TabFocusReason);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void IntEntries::DoRecord()
{
    // A time or date still being typed (Ctrl+Return from the box) is taken as if the box had
    // been left first, so the record holds exactly what the window shows.
    QWidget *left = focusWidget();
    if (const std::function<void()> leave = LeaveCommand(left)) {
        const Entries::FocusRequest focus = Run(leave);
        if (m_form->CloseRequested)
            return;
        // The box refused what it holds and kept the focus: its message has been shown, and
        // "Record" would only refuse again with the same words.
        if (!focus.Advance && focus.Box != Entries::FocusBox::None && BoxFor(focus) == left)
            return;
    }
    Run([this] { m_form->Record(); });
}

void IntEntries::keyPressEvent(QKeyEvent *event)
{
    // A line box passes Enter on; it moves to the next box as Tab does. With Ctrl it records.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (enter && modifiers == Qt::NoModifier && qobject_cast<QLineEdit *>(focusWidget())) {
        focusNextChild();
        return;
    }
    QDialog::keyPressEvent(event);
}

void IntEntries::reject()
{
    // Escape and the window's close button leave as "Exit" does, closing the entry store; an
    // entrant typed but not recorded is not dropped without asking.
    if (!m_form->CloseRequested) {
        m_running = true;
        Pull();
        const bool closing = m_form->Exit();
        m_running = false;
        if (!closing)
            return;
    }
    QDialog::reject();
}

// ---- The form's windows
// ---------------------------------------------------------------------------

bool IntEntries::AskAddress(const QString &fullName, int entrantNumber, int eventsEntered,
                            Entries::AddressRecord &address)
{
    AddressWindow window(fullName, entrantNumber, eventsEntered, this);
    if (window.exec() != QDialog::Accepted)
        return false;
    window.Fill(address);
    return true;
}

Entries::MemberDetailsAction IntEntries::ShowMemberDetails(Entries::MemberDetailsRequest &request)
{
    MemberDetailsWindow window(request, this);
    window.exec();
    return window.Action;
}

} // namespace Windows
