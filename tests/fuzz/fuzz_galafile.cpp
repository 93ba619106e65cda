// A gala parameter file as "Select Competition" loads it: read, applied keyword by keyword, and
// finished as every load is. The events and clubs it gives can be written back ("event=" and
// "club=" lines, as a "Select" gala and the club table do) and read again unchanged.

#include <QStringList>

#include "core/captureprompts.h"
#include "core/galastate.h"
#include "entries/entryfiles.h"
#include "fuzzinput.h"
#include "meetdb/keywords.h"

namespace {

void CheckWrittenBack(const Core::GalaState &gala)
{
    Core::GalaState reloaded;
    reloaded.Groups = gala.Groups;
    reloaded.ClubCount = gala.ClubCount;
    Core::CapturePrompts prompts;
    MeetDb::ApplyParamLines(reloaded,
                            Entries::FamilyLines(gala, Entries::ParamFamily::Events) +
                                Entries::FamilyLines(gala, Entries::ParamFamily::Clubs),
                            prompts);
    bool same = prompts.Messages.isEmpty() && reloaded.EventCount() == gala.EventCount() &&
                reloaded.ClubTotal() == gala.ClubTotal();
    for (int i = 0; same && i < gala.EventCount(); ++i) {
        const Core::GalaEvent &a = gala.Events.at(i);
        const Core::GalaEvent &b = reloaded.Events.at(i);
        same = a.EvNumber == b.EvNumber && a.EvSex == b.EvSex && a.EvGroup == b.EvGroup &&
               a.EvDistance == b.EvDistance && a.EvStroke == b.EvStroke;
    }
    for (int i = 0; same && i < gala.ClubTotal(); ++i)
        same = gala.Clubs.at(i).Code == reloaded.Clubs.at(i).Code &&
               gala.Clubs.at(i).Name == reloaded.Clubs.at(i).Name;
    Fuzz::Check(same, "events or clubs written back read as others");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = Fuzz::InputFile(data, size, QStringLiteral("internal.ini"));
    QStringList lines;
    MeetDb::ParamSource source{QStringLiteral("internal.ini"), {}};
    QString fault;
    if (!MeetDb::ReadGalaParamFile(path, lines, &source.LineNumbers, &fault)) {
        Fuzz::Check(!fault.isEmpty(), "a gala file refused without a reason");
        return 0;
    }
    Fuzz::Check(lines.size() == source.LineNumbers.size(), "a line without its number");
    if (!MeetDb::HasKeywordLine(lines))
        return 0;
    Core::GalaState gala;
    Core::CapturePrompts prompts;
    MeetDb::ApplyParamLines(gala, lines, prompts, source);
    Core::FinishGalaLoad(gala, prompts);
    Fuzz::CheckGala(gala);
    CheckWrittenBack(gala);
    return 0;
}
