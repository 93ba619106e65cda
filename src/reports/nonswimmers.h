#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "meetday/roster.h"

namespace Core {
class Prompts;
}
namespace MeetDb {
struct Session;
}

/*
 * "Print Unconfirmed": the swimmers who have not handed in an entry card for the session (no
 * swim of the session confirmed), then, for each chosen pool event, the entered swimmers not
 * confirmed in it, in the order of their programme references. In two steps like every report:
 * PrepareNonSwimmers reads everything (the references from the meet database), PrintNonSwimmers
 * only draws. Printed in 10 point OCR-B, a fixed-pitch face, so that the columns line up.
 */
namespace Reports {

class Printer;

inline const QString NonSwimmersHeading =
    QStringLiteral("Swimmers who have not posted their cards for this session");
inline const QString NonSwimmersEventHeading = QStringLiteral("Non swimmers for event ");

struct NonSwimmersEvent
{
    QString Event;
    QStringList Lines; // number, name and club name in their columns; none: all are competing
};

struct MissingEntrant
{
    QString Columns;    // number, name and club name in their columns
    QStringList Events; // its session swims' events
};

struct NonSwimmers
{
    QString Title;                  // the meet's, for the document
    QList<MissingEntrant> Missing;  // in roster order
    QList<NonSwimmersEvent> Events; // the chosen pool events (EvSelected), in event-list order
};

// Reads the list of the roster as it stands for the selected events. With the meet database
// each listed swimmer's programme reference ("Progref" of the swim whose "Combined With" is the
// event, from "Events for 1 Entrant") orders the event's lines; equal references keep roster
// order. A database fault shows its message and gives nothing.
std::optional<NonSwimmers>
PrepareNonSwimmers(MeetDb::Session &session, const MeetDay::Roster &roster, Core::Prompts &prompts);

// Draws the whole list in portrait and ends the document. Event numbers that do not fit beside
// a missing entrant's columns go on to a further line under them.
void PrintNonSwimmers(Printer &printer, const NonSwimmers &list);

} // namespace Reports
