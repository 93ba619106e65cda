// The add-entries CSV, read and checked against a meet without touching a database: the demo's
// open meet, masters meet and club championship (a member gala) in turn. Every entrant of a file
// accepted passes the entry window's checks.

#include <QList>
#include <QStringList>

#include "core/captureprompts.h"
#include "core/galastate.h"
#include "core/textutil.h"
#include "core/timeutil.h"
#include "entries/entryimport.h"
#include "fuzzinput.h"
#include "meetdb/keywords.h"

namespace {

Core::GalaState LoadDemoGala(const QString &file)
{
    QStringList lines;
    Fuzz::Check(MeetDb::ReadGalaParamFile(Fuzz::SourceFile(file), lines),
                "a demo gala file cannot be read");
    Core::GalaState gala;
    Core::CapturePrompts prompts;
    MeetDb::ApplyParamLines(gala, lines, prompts);
    Core::FinishGalaLoad(gala, prompts);
    return gala;
}

const QList<Core::GalaState> &Galas()
{
    static const QList<Core::GalaState> galas{
        LoadDemoGala(QStringLiteral("demo/open.ini")),
        LoadDemoGala(QStringLiteral("demo/masters.ini")),
        LoadDemoGala(QStringLiteral("demo/champs-meet.ini")),
    };
    return galas;
}

void CheckRecord(const Core::GalaState &gala, const Entries::EntrantRecord &record)
{
    const bool member = record.Kind == Entries::EntrantKind::Member;
    Fuzz::Check(Core::TextFault(member ? record.FullName : record.Name, Core::MaxSwimmerNameLength)
                    .isEmpty(),
                "an entrant's name past its limit");
    Fuzz::Check(member || Core::TextFault(record.Club, Core::MaxClubCodeLength).isEmpty(),
                "a club code past its limit");
    Fuzz::Check(Core::TextFault(record.Regno, Core::MaxSwimmerNameLength).isEmpty(),
                "a registration number past its limit");
    const QString sexes =
        record.Kind == Entries::EntrantKind::Relay ? QStringLiteral("MFX") : QStringLiteral("MF");
    Fuzz::Check(record.Sex.size() == 1 && sexes.contains(record.Sex), "an entrant of no sex");
    Fuzz::Check(!record.Swims.isEmpty(), "an entrant without swims");
    for (const Entries::EntrySwimRecord &swim : record.Swims) {
        Fuzz::Check(swim.EventIndex >= 0 && swim.EventIndex < gala.EventCount() &&
                        gala.Events.at(swim.EventIndex).EvNumber == swim.EventNumber,
                    "a swim in an event the meet does not have");
        Fuzz::Check(swim.EntryTime.isEmpty() || swim.EntryTime == Entries::NtText ||
                        Core::TypedTimeToSeconds(swim.EntryTime).has_value(),
                    "an entry time that is not a time");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = Fuzz::Bytes(data, size);
    // A swimmer whose name starts "Dup" counts as entered already, so the refusal is reached.
    const Entries::FindEntrantFn findEntrant = [](const Entries::EntrantRecord &record) {
        return record.Name.startsWith(QLatin1String("Dup")) ? 7 : 0;
    };
    for (const Core::GalaState &gala : Galas()) {
        QList<Entries::EntrantRecord> records;
        QStringList errors;
        const bool good = Entries::ReadEntriesCsv(gala, QStringLiteral("entries.csv"), bytes,
                                                  findEntrant, records, errors);
        Fuzz::Check(good == errors.isEmpty(), "a file accepted with errors");
        Fuzz::Check(errors.size() <= 101, "more errors reported than the limit");
        if (!good)
            continue;
        for (const Entries::EntrantRecord &record : std::as_const(records))
            CheckRecord(gala, record);
    }
    return 0;
}
