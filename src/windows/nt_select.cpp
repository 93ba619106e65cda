#include "windows/nt_select.h"

#include <algorithm>

#include <QListWidget>
#include <QVBoxLayout>

#include "meetdb/selection.h"

namespace Windows {

NT_Select::NT_Select(MeetDb::NtSelectForm &form, QWidget *parent)
    : QDialog(parent)
    , m_form(form)
    , m_list(new QListWidget(this))
{
    setObjectName(QStringLiteral("NT_Select"));
    setWindowTitle(tr("Select Natamar Database"));
    m_list->setObjectName(QStringLiteral("NT_List"));
    m_list->addItems(form.NtList());
    // Enter on the list keeps the database in use; the first line when it is not listed.
    if (m_list->count() > 0)
        m_list->setCurrentRow(std::max(form.CurrentLine(), 1) - 1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    resize(480, 240);

    connect(m_list, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        m_form.Choose(m_list->row(item) + 1);
        if (m_form.Closed())
            accept();
    });
}

} // namespace Windows
