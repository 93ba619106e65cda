#include "windows/mastersconfirm.h"

#include <QCheckBox>
#include <QEvent>
#include <QFont>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include "core/prompts.h"
#include "meetdb/session.h"
#include "windows/announcerwindow.h"
#include "windows/entrystats.h"
#include "windows/galaselectevents.h"
#include "windows/heatsview.h"
#include "windows/printoutput.h"

namespace Windows {

namespace {

QLineEdit *Box(const QString &name, QWidget *parent, int width)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setMaximumWidth(width);
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
    // command may run.
    m_running = true;
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

    m_entNo = Box(QStringLiteral("FEntNo"), this, 80);
    m_name = Box(QStringLiteral("FName"), this, 260);
    m_name->setMinimumWidth(200);
    m_club = Box(QStringLiteral("FClub"), this, 90);
    m_age = Box(QStringLiteral("FAge"), this, 90);
    m_sex = Box(QStringLiteral("FSex"), this, 40);
    m_regNo = Box(QStringLiteral("RegistrationNumber"), this, 120);
    m_whatIf = new QCheckBox(tr("What &If Mode"), this);
    m_whatIf->setObjectName(QStringLiteral("What_If_Mode"));

    for (int r = 0; r < MeetDay::SwimRows; ++r) {
        m_evNo[r] = Box(QStringLiteral("FEvNo%1").arg(r), this, 60);
        m_evDescription[r] = new QLabel(this);
        m_evDescription[r]->setMinimumWidth(170);
        m_evTime[r] = Box(QStringLiteral("FEvTime%1").arg(r), this, 80);
        m_evConf[r] = new QCheckBox(this);
        m_evConf[r]->setObjectName(QStringLiteral("FEvConf%1").arg(r));
        m_evMeetSpecific[r] = Box(QStringLiteral("FEvMeetSpecific%1").arg(r), this, 110);
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
    AddButton(QStringLiteral("Command9"), tr("Entry S&ummary"));
    AddButton(QStringLiteral("Command10"), tr("Clear &Reserves"));
    AddButton(QStringLiteral("Command8"), tr("Uti&lities"));
    AddButton(QStringLiteral("FileConfirm"), tr("Confirm all s&wimmers"));
    AddButton(QStringLiteral("FileClearConfirm"), tr("Clear Con&firms"));
    AddButton(QStringLiteral("Checkin"), tr("Chec&k-in Log"));
    AddButton(QStringLiteral("Update_PB"), tr("Update &PBs"));
    AddButton(QStringLiteral("NameList"), tr("Name List"));
    AddButton(QStringLiteral("ClubList"), tr("Clubs List"));
    AddButton(QStringLiteral("MakeHeats"), tr("&Make Heats"));
    AddButton(QStringLiteral("Heats"), tr("Heats (F7)"));
    AddButton(QStringLiteral("Command5"), tr("Programme (F8)"));
    AddButton(QStringLiteral("Command6"), tr("List Unconf"));
    AddButton(QStringLiteral("Command7"), tr("Compare"));
    AddButton(QStringLiteral("Command11"), tr("Print Unconfirme&d"));
    AddButton(QStringLiteral("Unconf_to_announcer"), tr("Unconfirm to announcer"));
    AddButton(QStringLiteral("ExportData"), tr("Export"));
    AddButton(QStringLiteral("ExportAll"), tr("Export All"));
    AddButton(QStringLiteral("Command1"), tr("&Save All"));
    AddButton(QStringLiteral("Command2"), tr("Cl&ose"));

    m_meetDay = {
        Command(QStringLiteral("Command3")),   Command(QStringLiteral("Command8")),
        Command(QStringLiteral("Command10")),  Command(QStringLiteral("MakeHeats")),
        Command(QStringLiteral("Command6")),   Command(QStringLiteral("Command7")),
        Command(QStringLiteral("Command11")),  Command(QStringLiteral("Unconf_to_announcer")),
        Command(QStringLiteral("ExportData")), Command(QStringLiteral("ExportAll"))};
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
        connect(shortcut, &QShortcut::activated, this, [button] {
            if (button->isVisible())
                button->click();
        });
    }
}

void MastersConfirm::BuildLayout()
{
    auto *who = new QGridLayout;
    const QList<std::pair<QString, QLineEdit *>> fields{
        {tr("&Entrant No"), m_entNo}, {tr("Na&me"), m_name}, {tr("Clu&b"), m_club},
        {tr("&Age"), m_age},          {tr("Se&x"), m_sex},   {tr("Re&g No"), m_regNo}};
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

    auto *commands = new QVBoxLayout;
    for (QPushButton *button : std::as_const(m_buttons)) {
        if (button->objectName() == QLatin1String("Command1"))
            commands->addStretch();
        button->setMinimumWidth(170);
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
    m_form->ShowSelectEvents = [this](MeetDb::GalaSelectEventsForm &select) {
        GalaSelectEvents window(select, this);
        window.exec();
    };
    connect(Command(QStringLiteral("Heats")), &QPushButton::clicked, this, [this] {
        HeatsView view(MeetDay::HeatLines(m_form->MadeHeats()), this);
        view.exec();
    });
    connect(Command(QStringLiteral("Command5")), &QPushButton::clicked, this, [this] {
        Run([this] {
            if (m_form->StartProgramme())
                RunProgramme(m_session, m_form->Entrants(), m_prompts, Output());
        });
    });
    connect(Command(QStringLiteral("Command1")), &QPushButton::clicked, this,
            [this] { Run([this] { m_form->SaveAll(); }); });
    connect(Command(QStringLiteral("Command2")), &QPushButton::clicked, this,
            &MastersConfirm::reject);
    connect(Command(QStringLiteral("Command4")), &QPushButton::clicked, this, [this] {
        Pull();
        EntryStats stats(m_form->EntryStatistics(), this);
        stats.exec();
    });

    connect(m_entNo, &QLineEdit::editingFinished, this,
            [this] { Run([this] { m_form->OnEntrantNumberLeft(); }); });
    connect(m_name, &QLineEdit::textEdited, this,
            [this] { Run([this] { m_form->OnNameChanged(); }); });
    connect(m_age, &QLineEdit::textEdited, this,
            [this] { Run([this] { m_form->OnAgeChanged(); }); });
    connect(m_regNo, &QLineEdit::textEdited, this,
            [this] { Run([this] { m_form->OnRegistrationNumberChanged(); }); });
    connect(m_club, &QLineEdit::editingFinished, this,
            [this] { Run([this] { m_form->OnClubLeft(); }); });
    connect(m_sex, &QLineEdit::editingFinished, this,
            [this] { Run([this] { m_form->OnSexLeft(); }); });
    connect(m_whatIf, &QCheckBox::toggled, this, [this](bool on) { m_form->WhatIfMode = on; });
    for (int r = 0; r < MeetDay::SwimRows; ++r) {
        connect(m_evNo[r], &QLineEdit::editingFinished, this,
                [this, r] { Run([this, r] { m_form->OnEventNumberLeft(r); }); });
        connect(m_evTime[r], &QLineEdit::editingFinished, this,
                [this, r] { Run([this, r] { m_form->OnEntryTimeLeft(r); }); });
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
    // The entrant number and the entry times are typed over whole: entering one of these boxes,
    // by Tab or by a click, selects its text.
    m_entNo->installEventFilter(this);
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
    command();
    Push();
    m_running = false;
    ApplyFocus(m_form->TakeFocus());
    if (m_form->CloseRequested)
        QDialog::reject();
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
    f.WhatIfMode = m_whatIf->isChecked();
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
