#pragma once

#include <QDialog>
#include <QList>

#include "meetday/seeding.h"

class QTableWidget;

namespace Windows {

// "Heats": the allocation of the last "Make Heats", read only, one swimmer a row by event, heat
// and lane (event, heat, lane, name, club, entry time), so that the officials can check it
// before anything is printed.
class HeatsView : public QDialog
{
public:
    HeatsView(const QList<MeetDay::HeatLine> &lines, QWidget *parent = nullptr);
    QTableWidget *Table() const { return m_table; }

private:
    QTableWidget *m_table;
};

} // namespace Windows
