#pragma once

#include <QPointer>
#include <QWidget>

#include "meetdb/selection.h"

namespace Windows {

// Shows the source choice, the database choice and the list window modally over `parent`;
// each call returns when the window has closed, with the answer left in the form.
class QtSelectionWindows : public MeetDb::SelectionWindows
{
public:
    explicit QtSelectionWindows(QWidget *parent = nullptr)
        : m_parent(parent)
    {}

    void SetParentWidget(QWidget *parent) { m_parent = parent; }

    void ShowIntSelect(MeetDb::IntSelectForm &form) override;
    void ShowNtSelect(MeetDb::NtSelectForm &form) override;
    void ShowListSelect(MeetDb::ListSelectForm &form) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace Windows
