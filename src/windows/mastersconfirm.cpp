#include "windows/mastersconfirm.h"

#include <QCheckBox>
#include <QEvent>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include "core/prompts.h"
#include "lenex/lenexmeet.h"
#include "lenex/lenexresults.h"
#include "meetdb/session.h"
#include "windows/announcerwindow.h"
#include "windows/entrystats.h"
#include "windows/galaselectevents.h"
#include "windows/heatsview.h"
#include "windows/printoutput.h"
#include "windows/startlistoutput.h"

namespace Windows {

namespace {

// The width that shows `sample` whole in `widget`'s font, with room for a box's frame and
// margins: boxes grow with the font (a large font or a scaled screen), so nothing typed is cut
// off.
int WidthFor(const QWidget *widget, const QString &sample)
{
    const QFontMetrics metrics = widget->fontMetrics();
    return metrics.horizontalAdvance(sample) + metrics.height();
}

// A box sized for `sample`; with `grows` it may grow wider with the window.
QLineEdit *Box(const QString &name, QWidget *parent, const QString &sample, bool grows = false)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    if (grows)
        box->setMinimumWidth(WidthFor(box, sample));
    else
        box->setFixedWidth(WidthFor(box, sample));
    return box;
}

void SetText(QLineEdit *box, const QString &text)
{
    if (box->text() != text)
        box->setText(text);
}

} // namespace

MastersConfirm::MastersConfirm(MeetDb::Session &session, Core::Prompts &prompts, QWidget *parent)
    : QDialog(parent)
    , m_form(std::make_unique<MeetDay::MastersConfirmForm>(session, prompts))
    , m_prompts(prompts)
    , m_session(session)
{
    setObjectName(QStringLiteral("MastersConfirm"));
    setWindowTitle(tr("Entry Card Processing"));
    setAutoFillBackground(true);
    BuildBoxes();
    BuildLayout();
    Connect();
    SetTabOrder();
}

MastersConfirm::~MastersConfirm()
{
    // Hiding a window moves the focus out of its box, which would start that box's command; the
    // base class hides the window only after the form is gone, so it is hidden here, while no
    // command may run, and the boxes' signals are cut from a form that is about to go.
    m_running = true;
    for (QWidget *child : findChildren<QWidget *>())
        child->disconnect(this);
    hide();
}

void MastersConfirm::Start()
{
    m_running = true;
    m_form->Open();
    m_running = false;
    if (!m_form->Caption.isEmpty())
        setWindowTitle(m_form->Caption);
    Push();
    ApplyFocus(m_form->TakeFocus());
}

QPushButton *MastersConfirm::AddButton(const QString &name, const QString &caption)
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(name);
    // Return in a box finishes the box; it must never press a command.
    button->setAutoDefault(false);
    m_buttons << button;
    return button;
}

QPushButton *MastersConfirm::Command(const QString &name) const
{
    for (QPushButton *button : m_buttons) {
        if (button->objectName() == name)
            return button;
    }
    return nullptr;
}

void MastersConfirm::BuildBoxes()
{
    m_heading = new QLabel(tr("Entry Card Processing"), this);
    QFont bold = m_heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    m_heading->setFont(bold);

    // Each box is sized for the longest text it usually holds.
    m_entNo = Box(QStringLiteral("FEntNo"), this, QStringLiteral("99999"));
    m_name = Box(QStringLiteral("FName"), this, QStringLiteral("Margaret Featherstone"), true);
    m_club = Box(QStringLiteral("FClub"), this, QStringLiteral("ABCDEFGH"));
    m_age = Box(QStringLiteral("FAge"), this, QStringLiteral("00/00/0000"));
    m_sex = Box(QStringLiteral("FSex"), this, QStringLiteral("MM"));
    m_regNo = Box(QStringLiteral("RegistrationNumber"), this, QStringLiteral("00000000000"));
    // No letter of its own: the commands need them all (see the class comment).
    m_whatIf = new QCheckBox(tr("What If Mode"), this);
    m_whatIf->setObjectName(QStringLiteral("What_If_Mode"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("Status"));
    m_status->setWordWrap(true);

    for (int r = 0; r < MeetDay::SwimRows; ++r) {
        m_evNo[r] = Box(QStringLiteral("FEvNo%1").arg(r), this, QStringLiteral("9999"));
        m_evDescription[r] = new QLabel(this);
        m_evDescription[r]->setMinimumWidth(
            WidthFor(this, QStringLiteral("200m Individual Medley")));
        m_evTime[r] = Box(QStringLiteral("FEvTime%1").arg(r), this, QStringLiteral("99:99.99"));
        m_evConf[r] = new QCheckBox(this);
        m_evConf[r]->setObjectName(QStringLiteral("FEvConf%1").arg(r));
        m_evMeetSpecific[r] =
            Box(QStringLiteral("FEvMeetSpecific%1").arg(r), this, QStringLiteral("(Res) TT 000"));
        m_delEvent[r] = new QPushButton(this);
        m_delEvent[r]->setObjectName(QStringLiteral("Del_Event%1").arg(r));
        m_delEvent[r]->setAutoDefault(false);
    }
    // Over the swim rows while shown; it hides itself when the focus leaves it.
    m_noConfList = new QPlainTextEdit(this);
    m_noConfList->setObjectName(QStringLiteral("NoConfList"));
    m_noConfList->setReadOnly(true);
    m_noConfList->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_noConfList->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_noConfList->hide();
    m_noConfList->installEventFilter(this);

    AddButton(QStringLiteral("Command3"), tr("&Confirm All"));
    AddButton(QStringLiteral("NextSwimmer"), tr("&Next Swimmer"));
    AddButton(QStringLiteral("Search_Name"), tr("Searc&h by Name"));
    AddButton(QStringLiteral("Command4"), tr("Entry S&tats"));
    AddButton(QStringLiteral("Command9"), tr("Entr&y Summary"));
    AddButton(QStringLiteral("Command10"), tr("Clear Reser&ves"));
    AddButton(QStringLiteral("Command8"), tr("Uti&lities"));
    AddButton(QStringLiteral("FileConfirm"), tr("Confirm all s&wimmers"));
    AddButton(QStringLiteral("FileClearConfirm"), tr("Clear Con&firms"));
    AddButton(QStringLiteral("Checkin"), tr("Check-in Lo&g"));
    AddButton(QStringLiteral("Update_PB"), tr("Update &PBs"));
    // "Name List" keeps F11 and gives its letter to "Import Results".
    AddButton(QStringLiteral("NameList"), tr("Name List (F11)"));
    AddButton(QStringLiteral("ClubList"), tr("Clu&bs List"));
    AddButton(QStringLiteral("ImportResults"), tr("&Import Results"));
    AddButton(QStringLiteral("MakeHeats"), tr("Ma&ke Heats"));
    AddButton(QStringLiteral("Heats"), tr("Heats (F7)"));
    AddButton(QStringLiteral("Command5"), tr("Programme (F8)"));
    AddButton(QStringLiteral("Command6"), tr("List &Unconf"));
    AddButton(QStringLiteral("Command7"), tr("Co&mpare"));
    AddButton(QStringLiteral("Command11"), tr("Print Unconfirme&d"));
    // Every letter of "Start List" is taken by the commands above.
    AddButton(QStringLiteral("StartList"), tr("Start List (&Q)"));
    AddButton(QStringLiteral("Unconf_to_announcer"), tr("Unconfi&rm to announcer"));
    AddButton(QStringLiteral("ExportData"), tr("E&xport"));
    AddButton(QStringLiteral("ExportAll"), tr("Export &All"));
    // Every letter of the caption is taken; J is free.
    AddButton(QStringLiteral("ExportStartList"), tr("Export Start List (&J)"));
    AddButton(QStringLiteral("Command1"), tr("&Save All"));
    AddButton(QStringLiteral("Command2"), tr("Cl&ose"));

    m_meetDay = {
        Command(QStringLiteral("Command3")),     Command(QStringLiteral("Command8")),
        Command(QStringLiteral("Command10")),    Command(QStringLiteral("MakeHeats")),
        Command(QStringLiteral("Command6")),     Command(QStringLiteral("Command7")),
        Command(QStringLiteral("Command11")),    Command(QStringLiteral("Unconf_to_announcer")),
        Command(QStringLiteral("ExportData")),   Command(QStringLiteral("ExportAll")),
        Command(QStringLiteral("StartList")),    Command(QStringLiteral("ExportStartList")),
        Command(QStringLiteral("ImportResults"))};
    m_utilities = {
        Command(QStringLiteral("FileConfirm")), Command(QStringLiteral("FileClearConfirm")),
        Command(QStringLiteral("Checkin")),     Command(QStringLiteral("Update_PB")),
        Command(QStringLiteral("NameList")),    Command(QStringLiteral("ClubList"))};

    // Function keys for the two commands used on every card.
    auto *confirmKey = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(confirmKey, &QShortcut::activated, this, [this] {
        if (Command(QStringLiteral("Command3"))->isVisible())
            Command(QStringLiteral("Command3"))->click();
    });
    auto *heatsKey = new QShortcut(QKeySequence(Qt::Key_F7), this);
    connect(heatsKey, &QShortcut::activated, this, [this] {
        if (Command(QStringLiteral("Heats"))->isVisible())
            Command(QStringLiteral("Heats"))->click();
    });
    auto *programmeKey = new QShortcut(QKeySequence(Qt::Key_F8), this);
    connect(programmeKey, &QShortcut::activated, this, [this] {
        if (Command(QStringLiteral("Command5"))->isVisible())
            Command(QStringLiteral("Command5"))->click();
    });
    auto *nextKey = new QShortcut(QKeySequence(Qt::Key_F6), this);
    connect(nextKey, &QShortcut::activated, this,
            [this] { Command(QStringLiteral("NextSwimmer"))->click(); });

    // The lists and exports: every letter of their captions is taken by the commands above.
    const QList<std::pair<Qt::Key, const char *>> functionKeys{
        {Qt::Key_F2, "Command6"},   {Qt::Key_F3, "Command7"},   {Qt::Key_F4, "Unconf_to_announcer"},
        {Qt::Key_F9, "ExportData"}, {Qt::Key_F10, "ExportAll"}, {Qt::Key_F11, "NameList"},
        {Qt::Key_F12, "ClubList"}};
    for (const auto &[key, name] : functionKeys) {
        QPushButton *button = Command(QString::fromLatin1(name));
        button->setToolTip(QKeySequence(key).toString(QKeySequence::NativeText));
        auto *shortcut = new QShortcut(QKeySequence(key), this);
        // The two lists' keys work before "Utilities" has shown their buttons: a key that
        // silently does nothing leaves the official believing the list was written.
        const bool utility = m_utilities.contains(button);
        connect(shortcut, &QShortcut::activated, this, [this, button, utility] {
            if (button->isVisible() ||
                (utility && Command(QStringLiteral("Command8"))->isVisible()))
                button->click();
        });
    }
}

void MastersConfirm::BuildLayout()
{
    auto *who = new QGridLayout;
    // Only the entrant number has a letter: the others are a Tab away from it, and their
    // letters are the commands'.
    const QList<std::pair<QString, QLineEdit *>> fields{
        {tr("&Entrant No"), m_entNo}, {tr("Name"), m_name}, {tr("Club"), m_club},
        {tr("Age"), m_age},           {tr("Sex"), m_sex},   {tr("Reg No"), m_regNo}};
    for (int i = 0; i < fields.size(); ++i) {
        auto *label = new QLabel(fields.at(i).first, this);
        label->setBuddy(fields.at(i).second);
        who->addWidget(label, 0, i);
        who->addWidget(fields.at(i).second, 1, i);
    }
    who->setColumnStretch(int(fields.size()), 1);

    auto *swims = new QGridLayout;
    swims->setVerticalSpacing(2);
    const QStringList headings{tr("Event"), tr("Description"), tr("Entry Time"), tr("Conf"),
                               tr("Meet Specific")};
    for (int c = 0; c < headings.size(); ++c)
        swims->addWidget(new QLabel(headings.at(c), this), 0, c);
    for (int r = 0; r < MeetDay::SwimRows; ++r) {
        swims->addWidget(m_evNo[r], r + 1, 0);
        swims->addWidget(m_evDescription[r], r + 1, 1);
        swims->addWidget(m_evTime[r], r + 1, 2);
        swims->addWidget(m_evConf[r], r + 1, 3);
        swims->addWidget(m_evMeetSpecific[r], r + 1, 4);
        swims->addWidget(m_delEvent[r], r + 1, 5);
    }
    swims->addWidget(m_noConfList, 1, 0, MeetDay::SwimRows + 1, 6);
    swims->setRowStretch(MeetDay::SwimRows + 1, 1);

    auto *left = new QVBoxLayout;
    left->addWidget(m_heading);
    left->addLayout(who);
    left->addSpacing(6);
    left->addLayout(swims, 1);
    left->addWidget(m_status);

    auto *commands = new QVBoxLayout;
    for (QPushButton *button : std::as_const(m_buttons)) {
        if (button->objectName() == QLatin1String("Command1"))
            commands->addStretch();
        commands->addWidget(button);
    }
    commands->insertWidget(commands->count() - 2, m_whatIf);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(commands);
}

void MastersConfirm::Connect()
{
    using Form = MeetDay::MastersConfirmForm;
    auto command = [this](const QString &name, void (Form::*method)()) {
        connect(Command(name), &QPushButton::clicked, this,
                [this, method] { Run([this, method] { (m_form.get()->*method)(); }); });
    };
    command(QStringLiteral("Command3"), &Form::ConfirmAll);
    command(QStringLiteral("NextSwimmer"), &Form::NextSwimmer);
    command(QStringLiteral("Search_Name"), &Form::SearchByName);
    command(QStringLiteral("Command9"), &Form::EntrySummary);
    command(QStringLiteral("Command10"), &Form::ClearReserves);
    command(QStringLiteral("Command8"), &Form::Utilities);
    command(QStringLiteral("FileConfirm"), &Form::ConfirmAllSwimmers);
    command(QStringLiteral("FileClearConfirm"), &Form::ClearConfirms);
    command(QStringLiteral("Checkin"), &Form::CheckinLog);
    command(QStringLiteral("MakeHeats"), &Form::MakeHeats);
    command(QStringLiteral("Update_PB"), &Form::UpdatePbs);
    command(QStringLiteral("Command6"), &Form::ListUnconfirmed);
    command(QStringLiteral("Command7"), &Form::Compare);
    command(QStringLiteral("Unconf_to_announcer"), &Form::UnconfirmToAnnouncer);
    command(QStringLiteral("ExportData"), &Form::ExportEvent);
    command(QStringLiteral("ExportAll"), &Form::ExportAll);
    command(QStringLiteral("NameList"), &Form::NameList);
    command(QStringLiteral("ClubList"), &Form::ClubsList);
    m_form->ShowAnnouncer = [this](const QString &message, int priority) {
        AnnouncerWindow window(message, priority, this);
        window.exec();
    };
    connect(Command(QStringLiteral("Command11")), &QPushButton::clicked, this, [this] {
        Run([this] {
            if (m_form->StartPrintUnconfirmed())
                RunPrintUnconfirmed(m_session, m_form->Entrants(), m_prompts, Output());
        });
    });
    connect(Command(QStringLiteral("StartList")), &QPushButton::clicked, this, [this] {
        Run([this] {
            if (m_form->StartStartList())
                RunStartList(m_session, m_form->Entrants(), m_prompts, Output());
        });
    });
    m_form->ShowStatusLine = [this](const QString &text) { m_status->setText(text); };
    m_form->ShowSelectEvents = [this](MeetDb::GalaSelectEventsForm &select) {
        GalaSelectEvents window(select, this);
        window.exec();
    };
    connect(Command(QStringLiteral("Heats")), &QPushButton::clicked, this, [this] {
        Run([this] {
            HeatsView view(m_form->HeatsViewHeading(), m_form->HeatsViewRows(), this);
            view.exec();
        });
    });
    connect(Command(QStringLiteral("Command5")), &QPushButton::clicked, this, [this] {
        Run([this] {
            if (!m_form->StartProgramme())
                return;
            RunProgramme(m_session, m_form->Entrants(), m_prompts, Output());
            m_form->RefreshHeats();
        });
    });
    connect(Command(QStringLiteral("ImportResults")), &QPushButton::clicked, this, [this] {
        Run([this] {
            m_form->Status = Lenex::ImportResultsCommand(m_session, m_form->Entrants(),
                                                         m_form->WhatIfMode, m_prompts);
        });
    });
    connect(Command(QStringLiteral("ExportStartList")), &QPushButton::clicked, this, [this] {
        Run([this] {
            // What If Mode's changes are tried out, not meant for others: the stored meet goes.
            const QString status = Lenex::ExportStartListCommand(
                m_session, m_prompts, [this] { return m_form->WhatIfMode || m_form->SaveAll(); });
            if (!status.isEmpty())
                m_form->Status = status;
        });
    });
    connect(Command(QStringLiteral("Command1")), &QPushButton::clicked, this,
            [this] { Run([this] { m_form->SaveAll(); }); });
    connect(Command(QStringLiteral("Command2")), &QPushButton::clicked, this,
            &MastersConfirm::reject);
    connect(Command(QStringLiteral("Command4")), &QPushButton::clicked, this, [this] {
        Run([this] {
            EntryStats stats(m_form->EntryStatistics(), this);
            stats.exec();
        });
    });

    // Leaving a box takes what was typed into it, once. A box whose text a command has already
    // taken is no longer "modified" (Push), so losing the focus later (to a message, or as the
    // window closes) takes nothing again; Enter in the box always takes it.
    auto leave = [this](QLineEdit *box, std::function<void()> take) {
        connect(box, &QLineEdit::editingFinished, this, [this, box, take] {
            if (!box->isModified() && !box->hasFocus())
                return;
            box->setModified(false);
            Run(take);
        });
    };
    leave(m_entNo, [this] { m_form->OnEntrantNumberLeft(); });
    connect(m_name, &QLineEdit::textEdited, this,
            [this] { Run([this] { m_form->OnNameChanged(); }); });
    connect(m_age, &QLineEdit::textEdited, this,
            [this] { Run([this] { m_form->OnAgeChanged(); }); });
    connect(m_regNo, &QLineEdit::textEdited, this,
            [this] { Run([this] { m_form->OnRegistrationNumberChanged(); }); });
    leave(m_club, [this] { m_form->OnClubLeft(); });
    leave(m_sex, [this] { m_form->OnSexLeft(); });
    connect(m_whatIf, &QCheckBox::toggled, this,
            [this](bool on) { Run([this, on] { m_form->SetWhatIfMode(on); }); });
    for (int r = 0; r < MeetDay::SwimRows; ++r) {
        leave(m_evNo[r], [this, r] { m_form->OnEventNumberLeft(r); });
        leave(m_evTime[r], [this, r] { m_form->OnEntryTimeLeft(r); });
        connect(m_evMeetSpecific[r], &QLineEdit::textEdited, this,
                [this, r] { Run([this, r] { m_form->OnMeetSpecificChanged(r); }); });
        connect(m_evConf[r], &QCheckBox::clicked, this, [this, r](bool ticked) {
            Run([this, r, ticked] { m_form->OnTickChanged(r, ticked); });
        });
        connect(m_delEvent[r], &QPushButton::clicked, this,
                [this, r] { Run([this, r] { m_form->DelEvent(r); }); });
    }
}

void MastersConfirm::SetTabOrder()
{
    // The entrant number, the event numbers and the entry times are typed over whole: entering
    // one of these boxes, by Tab or by a click, selects its text, so a number typed after a
    // click does not run on after the old one ("161").
    m_entNo->installEventFilter(this);
    for (QLineEdit *box : m_evNo)
        box->installEventFilter(this);
    for (QLineEdit *box : m_evTime)
        box->installEventFilter(this);

    QList<QWidget *> order{m_entNo, m_name, m_club, m_age, m_sex, m_regNo};
    for (int r = 0; r < MeetDay::SwimRows; ++r)
        order << m_evNo[r] << m_evTime[r] << m_evConf[r] << m_evMeetSpecific[r] << m_delEvent[r];
    for (QPushButton *button : std::as_const(m_buttons))
        order << button;
    order << m_whatIf;
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));
}

void MastersConfirm::Run(const std::function<void()> &command)
{
    // A message shown by a command moves the focus; the boxes it leaves must not start commands
    // of their own meanwhile.
    if (m_running)
        return;
    m_running = true;
    Pull();
    m_form->Status.clear();
    if (TakeTypedText()) {
        // The card shows what was just taken (the swimmer whose number was typed) before the
        // command asks anything, so that the official answers over the card it acts on.
        Push();
        command();
    }
    Push();
    m_running = false;
    ApplyFocus(m_form->TakeFocus());
    if (m_form->CloseRequested)
        QDialog::reject();
}

bool MastersConfirm::TakeTypedText()
{
    // Text typed into a box is taken when the box is left. A command reached without leaving it
    // (a shortcut, Escape, closing the window) takes it first, so that the command acts on what
    // the official sees.
    auto *box = qobject_cast<QLineEdit *>(focusWidget());
    if (!box || !box->isModified())
        return true;
    box->setModified(false);
    if (box == m_entNo)
        return m_form->TakeTypedBox(MeetDay::ConfirmBox::EntrantNumber);
    if (box == m_club)
        return m_form->TakeTypedBox(MeetDay::ConfirmBox::Club);
    if (box == m_sex)
        return m_form->TakeTypedBox(MeetDay::ConfirmBox::Sex);
    for (int r = 0; r < MeetDay::SwimRows; ++r) {
        if (box == m_evNo[r])
            return m_form->TakeTypedBox(MeetDay::ConfirmBox::EventNumber, r);
        if (box == m_evTime[r])
            return m_form->TakeTypedBox(MeetDay::ConfirmBox::EntryTime, r);
    }
    return true; // the other boxes are taken as they are typed
}

void MastersConfirm::Pull()
{
    MeetDay::MastersConfirmForm &f = *m_form;
    f.FEntNo = m_entNo->text();
    f.FName = m_name->text();
    f.FClub = m_club->text();
    f.FAge = m_age->text();
    f.FSex = m_sex->text();
    f.RegistrationNumber = m_regNo->text();
    for (int r = 0; r < MeetDay::SwimRows; ++r) {
        f.Rows[r].EvNo = m_evNo[r]->text();
        f.Rows[r].Time = m_evTime[r]->text();
        f.Rows[r].Confirmed = m_evConf[r]->isChecked();
        f.Rows[r].MeetSpecific = m_evMeetSpecific[r]->text();
    }
}

void MastersConfirm::Push()
{
    const MeetDay::MastersConfirmForm &f = *m_form;
    SetText(m_entNo, f.FEntNo);
    SetText(m_name, f.FName);
    SetText(m_club, f.FClub);
    SetText(m_age, f.FAge);
    SetText(m_sex, f.FSex);
    SetText(m_regNo, f.RegistrationNumber);
    {
        const QSignalBlocker quiet(m_whatIf);
        m_whatIf->setChecked(f.WhatIfMode);
    }
    m_status->setText(f.Status);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, f.Background);
    setPalette(palette);

    const bool ticks = f.MeetDayCommandsVisible();
    for (int r = 0; r < MeetDay::SwimRows; ++r) {
        const MeetDay::SwimRow &row = f.Rows[r];
        SetText(m_evNo[r], row.EvNo);
        m_evDescription[r]->setText(row.Description);
        SetText(m_evTime[r], row.Time);
        m_evConf[r]->setChecked(row.Confirmed);
        SetText(m_evMeetSpecific[r], row.MeetSpecific);
        m_delEvent[r]->setText(row.ButtonCaption);
        m_evNo[r]->setVisible(row.Visible);
        m_evDescription[r]->setVisible(row.Visible);
        m_evTime[r]->setVisible(row.Visible);
        m_evMeetSpecific[r]->setVisible(row.Visible);
        m_evConf[r]->setVisible(row.Visible && ticks);
        m_delEvent[r]->setVisible(row.Visible);
    }
    m_noConfList->setPlainText(
        QString(f.NoConfList).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    for (QPushButton *button : std::as_const(m_meetDay))
        button->setVisible(f.MeetDayCommandsVisible());
    for (QPushButton *button : std::as_const(m_utilities))
        button->setVisible(f.UtilityButtonsVisible());
    Command(QStringLiteral("Heats"))->setVisible(f.HeatsViewVisible());
    Command(QStringLiteral("Command5"))->setVisible(f.ProgrammeVisible());
    // The boxes now show what the form holds: nothing typed is waiting to be taken.
    for (QLineEdit *box : findChildren<QLineEdit *>())
        box->setModified(false);
}

void MastersConfirm::ApplyFocus(const MeetDay::ConfirmFocus &focus)
{
    QWidget *target = nullptr;
    switch (focus.Box) {
    case MeetDay::ConfirmBox::None:
        return;
    case MeetDay::ConfirmBox::EntrantNumber:
        target = m_entNo;
        break;
    case MeetDay::ConfirmBox::ConfirmAll:
        target = Command(QStringLiteral("Command3"));
        break;
    case MeetDay::ConfirmBox::Club:
        target = m_club;
        break;
    case MeetDay::ConfirmBox::Sex:
        target = m_sex;
        break;
    case MeetDay::ConfirmBox::EventNumber:
        target = m_evNo[focus.Row];
        break;
    case MeetDay::ConfirmBox::EntryTime:
        target = m_evTime[focus.Row];
        break;
    case MeetDay::ConfirmBox::SwimButton:
        target = m_delEvent[focus.Row];
        break;
    case MeetDay::ConfirmBox::NoConfList:
        m_noConfList->show();
        m_noConfList->raise();
        target = m_noConfList;
        break;
    }
    if (!target->isVisible())
        target = m_entNo;
    target->setFocus();
    if (auto *box = qobject_cast<QLineEdit *>(target); box && focus.SelectAll)
        box->selectAll();
}

bool MastersConfirm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_noConfList) {
        if (event->type() == QEvent::FocusOut)
            m_noConfList->hide();
        return QDialog::eventFilter(watched, event);
    }
    if (event->type() == QEvent::FocusIn) {
        // After the click that gave the focus has placed the cursor.
        auto *box = static_cast<QLineEdit *>(watched);
        QTimer::singleShot(0, box, &QLineEdit::selectAll);
    }
    return QDialog::eventFilter(watched, event);
}

PrintOutput &MastersConfirm::Output()
{
    if (!m_output) {
        m_ownOutput = std::make_unique<PrintOutput>(m_prompts, this);
        m_output = m_ownOutput.get();
    }
    return *m_output;
}

void MastersConfirm::reject()
{
    Run([this] { m_form->Close(); });
}

void RunMastersConfirm(MeetDb::Session &session, Core::Prompts &prompts, QWidget *parent,
                       PrintOutput *output)
{
    MastersConfirm window(session, prompts, parent);
    window.SetPrintOutput(output);
    window.Start();
    window.exec();
}

} // namespace Windows
