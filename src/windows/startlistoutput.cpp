#include "windows/startlistoutput.h"

#include <optional>

#include <QString>

#include "meetdb/session.h"
#include "reports/reportoutput.h"
#include "reports/startlist.h"
#include "windows/printoutput.h"

namespace Windows {

void RunStartList(MeetDb::Session &session, const MeetDay::Roster &roster, Core::Prompts &prompts,
                  PrintOutput &output)
{
    const std::optional<Reports::StartList> list =
        Reports::PrepareStartList(session, roster, prompts);
    if (!list)
        return;
    // The meet code names the file offered; it comes from the database, so only its letters and
    // digits are kept.
    QString code = session.Gala.MeetCode;
    for (QChar &c : code)
        if (!c.isLetterOrNumber())
            c = u'_';
    output.Run(list->Title + QStringLiteral(" - Start List"),
               QStringLiteral("startlist-%1.pdf").arg(code),
               Reports::ReportFontsFrom(session.Settings),
               [&](Reports::Printer &printer) { Reports::PrintStartList(printer, *list); });
}

} // namespace Windows
