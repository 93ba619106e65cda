// A gala file as add-meet reads it before anything is written: read with its line numbers, then
// checked line by line. A file it accepts gives a meet the program loads as it stands.

#include "fuzzinput.h"
#include "meetdb/meetimport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = Fuzz::InputFile(data, size, QStringLiteral("meet.ini"));
    QList<MeetDb::NumberedLine> lines;
    QString fault;
    if (!MeetDb::ReadNumberedLines(path, lines, &fault)) {
        Fuzz::Check(!fault.isEmpty(), "a gala file refused without a reason");
        return 0;
    }
    MeetDb::MeetDefinition meet;
    MeetDb::ImportMessages messages;
    const bool good = MeetDb::ParseMeetLines(QStringLiteral("meet.ini"), lines, meet, messages);
    Fuzz::Check(good == messages.Errors.isEmpty(), "an accepted file with errors");
    if (good)
        Fuzz::CheckGala(meet.Gala);
    return 0;
}
