#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>

class QLabel;
class QTableWidget;

namespace Windows {

// "Heats": the allocation of the last "Make Heats", read only, one swimmer a row by event, heat
// and lane (event, heat, lane, name, club, entry time), so that the officials can check it
// before anything is printed. The heading names the meet's seeding method and its lane numbers.
// The rows come as the officials read them (MeetDay::HeatLineCells).
class HeatsView : public QDialog
{
public:
    HeatsView(const QString &heading, const QList<QStringList> &rows, QWidget *parent = nullptr);
    QLabel *Heading() const { return m_heading; }
    QTableWidget *Table() const { return m_table; }

private:
    QLabel *m_heading;
    QTableWidget *m_table;
};

} // namespace Windows
