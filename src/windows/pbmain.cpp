#include "windows/pbmain.h"

#include <QCheckBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/prompts.h"
#include "core/startup.h"
#include "meetdb/session.h"

namespace Windows {

namespace {
const QString NoneText = QStringLiteral("None");
const QString DbCaption = QStringLiteral("Current Natamar Database");
const QString GalaFileCaption = QStringLiteral("Current Gala File");

QLabel *ValueLabel(const QString &name, QWidget *parent)
{
    auto *label = new QLabel(NoneText, parent);
    label->setObjectName(name);
    label->setFrameShape(QFrame::StyledPanel);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setMinimumWidth(320);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}
} // namespace

PbMain::PbMain(MeetDb::Session &session, Core::Prompts &prompts, QWidget *parent)
    : QMainWindow(parent)
    , m_session(session)
    , m_prompts(prompts)
{
    setObjectName(QStringLiteral("PbMain"));
    setWindowTitle(MainTitle);

    auto *central = new QWidget(this);
    setCentralWidget(central);

    m_selectMeetButton = AddCommand(QStringLiteral("SelectMeet"), tr("&Select Competition"));
    m_addEntryButton = AddCommand(QStringLiteral("AddEntry"), tr("&Add Entry"));
    m_modifyEntriesButton = AddCommand(QStringLiteral("ModifyEntries"), tr("&Modify Entries"));
    m_clubNameButton = AddCommand(QStringLiteral("ClubName"), tr("Add &Club Name"));
    m_printListButton = AddCommand(QStringLiteral("PrintList"), tr("&Print Entrants List"));
    m_importEntriesButton = AddCommand(QStringLiteral("ImportEntries"), tr("&Import Entries"));
    m_exitButton = AddCommand(QStringLiteral("ExitButton"), tr("E&xit"));
    m_meetDayMode = new QCheckBox(tr("Meet &Day Mode"), central);
    m_meetDayMode->setObjectName(QStringLiteral("MeetDayMode"));
    m_meetDayMode->setChecked(session.Gala.ProgramMode == Core::ProgramModeMeetDay);

    auto *commands = new QVBoxLayout;
    for (QPushButton *button : {m_selectMeetButton, m_addEntryButton, m_modifyEntriesButton,
                                m_clubNameButton, m_printListButton, m_importEntriesButton})
        commands->addWidget(button);
    commands->addSpacing(8);
    commands->addWidget(m_meetDayMode);
    commands->addStretch();
    commands->addWidget(m_exitButton);

    auto *selection = new QGroupBox(tr("Selection"), central);
    m_selectedDbCaption = new QLabel(DbCaption, selection);
    auto *meetCaption = new QLabel(tr("Currently Selected Competition"), selection);
    m_selectedDb = ValueLabel(QStringLiteral("NTSelectedDb"), selection);
    m_selectedMeet = ValueLabel(QStringLiteral("NTSelectedMeet"), selection);
    auto *selectionLayout = new QVBoxLayout(selection);
    selectionLayout->addWidget(m_selectedDbCaption);
    selectionLayout->addWidget(m_selectedDb);
    selectionLayout->addSpacing(8);
    selectionLayout->addWidget(meetCaption);
    selectionLayout->addWidget(m_selectedMeet);
    selectionLayout->addStretch();

    m_status = new QPlainTextEdit(central);
    m_status->setObjectName(QStringLiteral("Status"));
    m_status->setReadOnly(true);
    m_status->setFocusPolicy(Qt::NoFocus);
    m_status->setFixedHeight(m_status->fontMetrics().lineSpacing() * 3 + 12);
    auto *statusCaption = new QLabel(tr("Status"), central);

    auto *layout = new QGridLayout(central);
    layout->addLayout(commands, 0, 0);
    layout->addWidget(selection, 0, 1);
    layout->addWidget(statusCaption, 1, 0, 1, 2);
    layout->addWidget(m_status, 2, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(0, 1);

    connect(m_selectMeetButton, &QPushButton::clicked, this, &PbMain::SelectCompetition);
    connect(m_addEntryButton, &QPushButton::clicked, this,
            [this] { RunCommand(m_addEntry, m_addEntryButton->text()); });
    connect(m_modifyEntriesButton, &QPushButton::clicked, this, [this] {
        ApplyProgramMode();
        RunCommand(m_modifyEntries, m_modifyEntriesButton->text());
    });
    connect(m_clubNameButton, &QPushButton::clicked, this,
            [this] { RunCommand(m_clubName, m_clubNameButton->text()); });
    connect(m_printListButton, &QPushButton::clicked, this, &PbMain::PrintList);
    connect(m_importEntriesButton, &QPushButton::clicked, this,
            [this] { RunCommand(m_importEntries, m_importEntriesButton->text()); });
    // Nothing is written on the way out; the meet database is released with the session.
    connect(m_exitButton, &QPushButton::clicked, this, &QWidget::close);
    connect(m_meetDayMode, &QCheckBox::toggled, this, &PbMain::ApplyProgramMode);

    RefreshFromSession();
    resize(640, 360);
}

QPushButton *PbMain::AddCommand(const QString &name, const QString &caption)
{
    auto *button = new QPushButton(caption, centralWidget());
    button->setObjectName(name);
    button->setMinimumSize(180, 32);
    return button;
}

void PbMain::RefreshFromSession()
{
    const Core::GalaState &gala = m_session.Gala;
    const bool fromDb = gala.MeetDbOpen;
    // A gala file's competition keeps its entries in the entry files beside it, so it can take
    // and amend entries too; its clubs live in the gala file, not in a meet database.
    const bool fromFile = !fromDb && m_galaFileLoaded;
    m_selectedDbCaption->setText(fromFile ? GalaFileCaption : DbCaption);
    m_selectedDb->setText(fromDb ? gala.MeetDbPath : fromFile ? gala.GalaParamFile : NoneText);
    m_selectedMeet->setText(fromDb || fromFile ? gala.GalaName : NoneText);
    m_addEntryButton->setVisible(fromDb || fromFile);
    m_modifyEntriesButton->setVisible(fromDb || fromFile);
    m_clubNameButton->setVisible(fromDb);
    m_importEntriesButton->setVisible(fromDb);
    if (fromDb || fromFile)
        setWindowTitle(gala.GalaName);
}

void PbMain::SetMeetDayMode(bool on)
{
    m_meetDayMode->setChecked(on);
    ApplyProgramMode();
}

void PbMain::ApplyProgramMode()
{
    m_session.Gala.ProgramMode =
        m_meetDayMode->isChecked() ? Core::ProgramModeMeetDay : Core::ProgramModeEntries;
}

void PbMain::ShowStatus(const QString &text)
{
    m_status->setPlainText(text);
    // Long operations (the member index is built one key at a time) send thousands of lines;
    // painting each at once would cost more than the work itself, so the box is repainted at
    // most every 50 ms and otherwise on the next ordinary paint.
    if (!m_lastStatusPaint.isValid() || m_lastStatusPaint.elapsed() >= 50) {
        m_status->repaint();
        m_lastStatusPaint.start();
    }
}

void PbMain::SelectCompetition()
{
    if (!m_selectMeet) {
        m_prompts.Message(tr("Select Competition is not available yet"));
        return;
    }
    const MeetDb::LoadOutcome outcome = m_selectMeet();
    const bool loaded = outcome == MeetDb::LoadOutcome::Loaded;
    if (outcome != MeetDb::LoadOutcome::Cancelled)
        m_galaFileLoaded = loaded && !m_session.Gala.MeetDbOpen;
    if (loaded)
        setWindowTitle(m_session.Gala.GalaName);
    RefreshFromSession();
}

void PbMain::PrintList()
{
    // The list is of a meet, so with none loaded yet the user picks one first.
    if (!m_session.Gala.MeetDbOpen && !m_galaFileLoaded) {
        SelectCompetition();
        if (!m_session.Gala.MeetDbOpen && !m_galaFileLoaded)
            return;
    }
    RunCommand(m_printList, m_printListButton->text());
}

void PbMain::RunCommand(const CommandHandler &handler, const QString &caption)
{
    if (!handler) {
        QString plain = caption;
        plain.remove(QLatin1Char('&'));
        m_prompts.Message(tr("%1 is not available yet").arg(plain));
        return;
    }
    handler();
}

} // namespace Windows
