#include "windows/qtselectionwindows.h"

#include "windows/intselect.h"
#include "windows/list_select.h"
#include "windows/nt_select.h"

namespace Windows {

void QtSelectionWindows::ShowIntSelect(MeetDb::IntSelectForm &form)
{
    IntSelect dialog(form, m_parent);
    dialog.exec();
}

void QtSelectionWindows::ShowNtSelect(MeetDb::NtSelectForm &form)
{
    NT_Select dialog(form, m_parent);
    dialog.exec();
}

void QtSelectionWindows::ShowListSelect(MeetDb::ListSelectForm &form)
{
    List_Select dialog(form, m_parent);
    dialog.exec();
}

} // namespace Windows
