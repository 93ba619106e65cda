#include "windows/list_select.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "meetdb/selection.h"

namespace Windows {

List_Select::List_Select(MeetDb::ListSelectForm &form, QWidget *parent)
    : QDialog(parent)
    , m_form(form)
    , m_list(new QListWidget(this))
    , m_cancel(new QPushButton(tr("Cancel"), this))
{
    setObjectName(QStringLiteral("List_Select"));
    setWindowTitle(form.Caption());
    m_list->setObjectName(QStringLiteral("List_Select_Box"));
    m_list->addItems(form.Lines());
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);
    m_cancel->setObjectName(QStringLiteral("Command1"));
    m_cancel->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    resize(440, 320);

    connect(m_list, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        m_form.Choose(m_list->row(item) + 1);
        if (m_form.Closed())
            accept();
    });
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        m_form.Cancel();
        reject();
    });
}

} // namespace Windows
