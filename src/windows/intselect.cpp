#include "windows/intselect.h"

#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "meetdb/selection.h"

namespace Windows {

IntSelect::IntSelect(MeetDb::IntSelectForm &form, QWidget *parent)
    : QDialog(parent)
    , m_form(form)
    , m_known(new QPushButton(tr("&Known Natamar Database"), this))
    , m_unknown(new QPushButton(tr("&Unknown Natamar Database"), this))
    , m_more(new QPushButton(tr("&More Options"), this))
    , m_galaList(new QPushButton(tr("&List of Galas"), this))
    , m_internal(new QPushButton(tr("Latest &Internal Gala File"), this))
    , m_dbList(new QListWidget(this))
{
    setObjectName(QStringLiteral("IntSelect"));
    setWindowTitle(tr("Select Gala Parameter File"));

    m_known->setObjectName(QStringLiteral("Natamar_DB"));
    m_known->setToolTip(tr("Natamar Database that is built into the Natamar system set-up file."));
    m_unknown->setObjectName(QStringLiteral("Unknown_NT_DB"));
    m_unknown->setToolTip(tr("Natamar Database not previously known to Natamar (e.g. version on "
                             "removable media for import of entries)."));
    m_more->setObjectName(QStringLiteral("More_Options"));
    m_galaList->setObjectName(QStringLiteral("Gala_List"));
    m_internal->setObjectName(QStringLiteral("InternalGalaButton"));
    m_dbList->setObjectName(QStringLiteral("DbList"));
    m_dbList->addItems(form.DbList());
    m_dbList->setMinimumHeight(120);

    // Plain buttons: Enter in the gala list must choose the line, not press a default button.
    for (QPushButton *button : {m_known, m_unknown, m_more, m_galaList, m_internal}) {
        button->setAutoDefault(false);
        button->setMinimumHeight(30);
    }

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_known);
    layout->addWidget(m_unknown);
    layout->addWidget(m_more);
    layout->addWidget(m_galaList);
    layout->addWidget(m_internal);
    layout->addWidget(m_dbList, 1);
    layout->addStretch();
    setMinimumWidth(340);

    connect(m_known, &QPushButton::clicked, this,
            [this] { Run(&MeetDb::IntSelectForm::KnownDatabase); });
    connect(m_unknown, &QPushButton::clicked, this,
            [this] { Run(&MeetDb::IntSelectForm::UnknownDatabase); });
    connect(m_more, &QPushButton::clicked, this,
            [this] { Run(&MeetDb::IntSelectForm::MoreOptions); });
    connect(m_galaList, &QPushButton::clicked, this,
            [this] { Run(&MeetDb::IntSelectForm::ListOfGalas); });
    connect(m_internal, &QPushButton::clicked, this,
            [this] { Run(&MeetDb::IntSelectForm::LatestInternalGala); });
    connect(m_dbList, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        m_form.ChooseGala(m_dbList->row(item) + 1);
        ShowForm();
    });

    ShowForm();
}

void IntSelect::Run(void (MeetDb::IntSelectForm::*command)())
{
    (m_form.*command)();
    ShowForm();
}

void IntSelect::ShowForm()
{
    if (m_form.Closed()) {
        accept();
        return;
    }
    m_known->setVisible(m_form.KnownDatabaseShown());
    m_galaList->setVisible(m_form.GalaListButtonShown());
    m_internal->setVisible(m_form.InternalGalaShown());
    m_dbList->setVisible(m_form.DbListShown());
    if (m_form.DbListShown() && m_dbList->currentRow() < 0 && m_dbList->count() > 0)
        m_dbList->setCurrentRow(0);
    adjustSize();
}

} // namespace Windows
