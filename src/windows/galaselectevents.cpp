#include "windows/galaselectevents.h"

#include <algorithm>

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

namespace Windows {

namespace {

// The boxes fill up to six columns, at least 20 to a column so that a small meet reads down
// the page; 222 boxes take 37 rows.
constexpr int Columns = 6;
constexpr int MinBoxesPerColumn = 20;

} // namespace

GalaSelectEvents::GalaSelectEvents(MeetDb::GalaSelectEventsForm &form, QWidget *parent)
    : QDialog(parent)
    , m_form(form)
{
    setObjectName(QStringLiteral("GalaSelectEvents"));
    setWindowTitle(tr("Select Events"));

    const int perColumn =
        std::max(MinBoxesPerColumn, int((m_form.Boxes.size() + Columns - 1) / Columns));
    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(1);
    for (qsizetype i = 0; i < m_form.Boxes.size(); ++i) {
        // An "&" in a group's name is text, not a letter for the keyboard.
        QString caption = m_form.Boxes.at(i).Caption;
        auto *box = new QCheckBox(caption.replace(u'&', QStringLiteral("&&")), this);
        box->setObjectName(QStringLiteral("Check1_%1").arg(i));
        grid->addWidget(box, int(i % perColumn), int(i / perColumn));
        connect(box, &QCheckBox::clicked, this, [this, i](bool ticked) {
            Run([this, i, ticked] { m_form.OnBoxTicked(int(i), ticked); });
        });
        m_boxes << box;
    }
    auto *boxes = new QWidget(this);
    grid->setRowStretch(perColumn, 1);
    boxes->setLayout(grid);
    auto *scroll = new QScrollArea(this);
    scroll->setWidget(boxes);
    scroll->setWidgetResizable(true);

    m_criterion = new QLineEdit(this);
    m_criterion->setObjectName(QStringLiteral("Criterion"));
    m_heats = new QRadioButton(tr("&Heats"), this);
    m_heats->setObjectName(QStringLiteral("I_Heats"));
    m_finals = new QRadioButton(tr("&Finals"), this);
    m_finals->setObjectName(QStringLiteral("IFinals"));
    m_keepTicks = new QCheckBox(tr("&Keep ticks: the selections add to them"), this);
    m_keepTicks->setObjectName(QStringLiteral("KeepTicks"));

    const QStringList captions{tr("&Confirm"),          tr("Cance&l"),
                               tr("Select &All"),       tr("&Deselect All"),
                               tr("Select by Da&te"),   tr("Select by &Group"),
                               tr("Select by &Stroke"), tr("Select by Event &Number Range")};
    for (qsizetype i = 0; i < captions.size(); ++i) {
        auto *button = new QPushButton(captions.at(i), this);
        button->setObjectName(QStringLiteral("Command%1").arg(i + 1));
        // Return in the criterion box must not confirm the choice by accident.
        button->setAutoDefault(false);
        m_commands << button;
    }

    using Form = MeetDb::GalaSelectEventsForm;
    const QList<void (Form::*)()> commands{&Form::Confirm,        &Form::Cancel,
                                           &Form::SelectAll,      &Form::DeselectAll,
                                           &Form::SelectByDate,   &Form::SelectByGroup,
                                           &Form::SelectByStroke, &Form::SelectByEventNumberRange};
    for (qsizetype i = 0; i < commands.size(); ++i) {
        const auto command = commands.at(i);
        connect(m_commands.at(i), &QPushButton::clicked, this,
                [this, command] { Run([this, command] { (m_form.*command)(); }); });
    }

    auto *criterionRow = new QHBoxLayout;
    auto *criterionLabel = new QLabel(tr("C&riterion"), this);
    criterionLabel->setBuddy(m_criterion);
    criterionRow->addWidget(criterionLabel);
    criterionRow->addWidget(m_criterion, 1);
    criterionRow->addWidget(m_heats);
    criterionRow->addWidget(m_finals);
    criterionRow->addWidget(m_keepTicks);

    auto *buttons = new QGridLayout;
    for (qsizetype i = 0; i < m_commands.size(); ++i)
        buttons->addWidget(m_commands.at(i), int(i / 4), int(i % 4));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(scroll, 1);
    layout->addLayout(criterionRow);
    layout->addLayout(buttons);
    // Every box in view where the screen has room for them, without scrolling; never larger
    // than the screen (a scaled screen is small in window pixels).
    const QSize room = screen()->availableGeometry().size() * 9 / 10;
    const QSize frame(2 * scroll->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent),
                      2 * scroll->frameWidth());
    const QSize content = boxes->sizeHint() + frame;
    const QSize whole = layout->sizeHint();
    const QMargins margins = layout->contentsMargins();
    const QSize wanted(std::max(whole.width(), content.width() + margins.left() + margins.right()),
                       whole.height() - scroll->sizeHint().height() + content.height());
    resize(wanted.boundedTo(room));
    Push();
}

void GalaSelectEvents::Run(const std::function<void()> &command)
{
    Pull();
    command();
    Push();
    if (m_form.Closed)
        QDialog::accept();
}

void GalaSelectEvents::Pull()
{
    for (qsizetype i = 0; i < m_boxes.size(); ++i)
        m_form.Boxes[i].Ticked = m_boxes.at(i)->isChecked();
    m_form.Criterion = m_criterion->text();
    m_form.Heats = m_heats->isChecked();
    m_form.KeepTicks = m_keepTicks->isChecked();
}

void GalaSelectEvents::Push()
{
    for (qsizetype i = 0; i < m_boxes.size(); ++i)
        m_boxes.at(i)->setChecked(m_form.Boxes.at(i).Ticked);
    m_heats->setChecked(m_form.Heats);
    m_finals->setChecked(!m_form.Heats);
    m_keepTicks->setChecked(m_form.KeepTicks);
}

void GalaSelectEvents::reject()
{
    Run([this] { m_form.Cancel(); });
}

} // namespace Windows
