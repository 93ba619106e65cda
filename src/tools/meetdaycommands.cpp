// openmeet-db's meet-day commands: confirming swims, making the heats, changing an entrant's
// swims, and the club and name lists.

#include <optional>

#include <QHash>

#include "core/captureprompts.h"
#include "core/galastate.h"
#include "meetday/daylists.h"
#include "meetday/heatdisplay.h"
#include "meetday/heats.h"
#include "meetday/mastersconfirmform.h"
#include "meetday/roster.h"
#include "meetday/swimedits.h"
#include "meetdb/competitionload.h"
#include "meetdb/session.h"
#include "tools/tool.h"

namespace Tool {

namespace {

const char *const ConfirmHelp = R"(Usage: openmeet-db confirm FILE CODE (--all | --entrants LIST)

Confirms swims of the meet CODE in the meet database FILE, as the meet-day window's "Confirm all
swimmers" and "Confirm All" do, and saves them as its save all does.

  --all             confirms every swim of every entrant in the meet's events (swims of events
                    not in the meet's event list are left as they are)
  --entrants LIST   confirms every swim of the entrants numbered in LIST, such as 1,4,7-9

An entrant number that is not in the meet is an error, and nothing is saved.
)";

const char *const MakeHeatsHelp =
    R"(Usage: openmeet-db make-heats FILE CODE [--events LIST] [--confirmed-only]
                                         [--programme-creation]
                                         [--seeding club|standard|circle]

Runs "Make Heats" of the meet-day window on the meet CODE of the meet database FILE: every
event (or the events in LIST, such as 1,4,7-9) is seeded by entry time into heats, each swimmer
is given a lane, and "Seed Order", "Heat No" and "Lane No" are written to each swim. Events swum
together are seeded as one pool event under their first event.

  --confirmed-only       only confirmed swims take part (the answer Yes to "Only confirmed
                         entries?")
  --programme-creation   the heats are made for the programme: the events' maximum entries do
                         not apply (the answer Yes to "Program creation?")
  --seeding METHOD       seeds this run by METHOD instead of the meet's seeding keyword: club
                         (the club's rules, the default), standard (timed finals, the fastest
                         heat last) or circle (preliminaries: the fastest dealt over the last
                         three heats)

The method is named on the standard error before the heats are made ("Make Heats - standard
seeding"). The allocation is printed one swimmer a line: event, heat, lane, entrant number,
name and entry time, separated by tabs; lanes are numbered as the pool is (from 0 with the
keyword firstlane=0). The window's messages go to the standard error.
)";

const char *const SwimsHelp =
    R"(Usage: openmeet-db swims FILE CODE ENTRANT [--add LIST] [--remove EVENT] [--move FROM=TO]

Changes the swims of the entrant numbered ENTRANT in the meet CODE of the meet database FILE as
the meet-day window's "Add", "Del" and event-number boxes do, and saves the entrant:

  --add LIST       adds a swim in each event of LIST (such as 3,7,12), unconfirmed and without
                   an entry time
  --remove EVENT   removes the entrant's swim in EVENT
  --move FROM=TO   moves the entrant's swim in event FROM to event TO

Options may be given more than once and are done in the order given. A swim added or moved is
swum in the pool event of its new event ("Combined With"). An event that is not the meet's, a
swim the entrant has already, or one it does not have is an error, and nothing is saved. An
entrant left with no swims is removed from the meet.

The entrant's swims are then printed one a line: event, entry time, confirmed (Y or N) and the
pool event, separated by tabs. Without options they are only printed.
)";

const char *const ListsHelp = R"(Usage: openmeet-db lists FILE CODE DIR

Writes the club list and the name list of the meet CODE of the meet database FILE into the
folder DIR, as "Clubs List" and "Name List" of the meet-day window do: clublist.csv holds each
club of the meet ("code","name"), namelist.csv each entrant (number,"name","age","club","sex").
Existing files of those names are replaced. A meet without clubs or without entrants gets no
file of that kind, and the command then fails.
)";

int Confirm(const Arguments &arguments)
{
    const QStringList &args = arguments.Positional;
    const bool all = arguments.Options.isSet(QStringLiteral("all"));
    if (all == arguments.Options.isSet(QStringLiteral("entrants"))) {
        PrintLine(stderr,
                  QStringLiteral("openmeet-db confirm: give either --all or --entrants LIST"));
        return WrongArguments(ConfirmHelp);
    }
    QList<int> numbers;
    QString error;
    if (!all && !MeetDay::ParseEntrantList(arguments.Options.value(QStringLiteral("entrants")),
                                           numbers, &error)) {
        PrintLine(stderr, QStringLiteral("openmeet-db: ") + error);
        return WrongArguments(ConfirmHelp);
    }

    MeetDb::Session session;
    Core::CapturePrompts prompts;
    auto report = [&] { ReportMessages(prompts, args.at(1)); };
    const bool loaded = MeetDb::LoadMeetByCode(session, args.at(0), args.at(1), prompts);
    report();
    if (!loaded)
        return Fail(QStringLiteral("nothing confirmed"));
    session.Gala.ProgramMode = MeetDay::ModeMeetDay;
    MeetDay::Roster roster;
    const MeetDay::LoadResult result = MeetDay::LoadRoster(session, prompts, roster);
    report();
    if (result != MeetDay::LoadResult::Loaded)
        return Fail(QStringLiteral("nothing confirmed"));

    int swims = 0;
    int entrants = 0;
    if (all) {
        swims = MeetDay::SetAllConfirmed(roster, session.Gala, true);
        for (const MeetDay::RosterEntrant &entrant : std::as_const(roster))
            entrants += entrant.Swims.isEmpty() ? 0 : 1;
    } else {
        for (int number : std::as_const(numbers)) {
            const int row = MeetDay::FindEntrant(roster, number);
            if (row < 0) {
                return Fail(QStringLiteral("entrant %1 is not in meet %2; nothing confirmed")
                                .arg(number)
                                .arg(args.at(1)));
            }
            swims += MeetDay::ConfirmEntrant(roster[row]);
            ++entrants;
        }
    }
    const bool saved = MeetDay::SaveRoster(session, roster, prompts);
    report();
    if (!saved)
        return Fail(QStringLiteral("nothing confirmed"));
    PrintLine(stdout, QStringLiteral("Confirmed %1 swims of %2 entrants in meet %3")
                          .arg(swims)
                          .arg(entrants)
                          .arg(args.at(1)));
    return 0;
}

int MakeHeats(const Arguments &arguments)
{
    const QStringList &positional = arguments.Positional;
    MeetDay::MakeHeatsOptions options;
    options.OnlyConfirmed = arguments.Options.isSet(QStringLiteral("confirmed-only"));
    options.ProgramCreation = arguments.Options.isSet(QStringLiteral("programme-creation"));
    std::optional<Core::SeedingMethod> seeding;
    if (arguments.Options.isSet(QStringLiteral("seeding"))) {
        Core::SeedingMethod method = Core::SeedingMethod::Club;
        const QString name = arguments.Options.value(QStringLiteral("seeding"));
        if (!Core::SeedingFromName(name, method)) {
            PrintLine(stderr, QStringLiteral("openmeet-db make-heats: --seeding takes club, "
                                             "standard or circle, not \"%1\"")
                                  .arg(name));
            return WrongArguments(MakeHeatsHelp);
        }
        seeding = method;
    }

    MeetDb::Session session;
    Core::CapturePrompts prompts;
    auto report = [&] {
        for (const QString &message : std::as_const(prompts.Messages))
            PrintLine(stderr, positional.at(1) + QStringLiteral(": ") + message);
        prompts.Messages.clear();
    };
    const bool loaded =
        MeetDb::LoadMeetByCode(session, positional.at(0), positional.at(1), prompts);
    report();
    if (!loaded)
        return Fail(QStringLiteral("no heats made"));
    session.Gala.ProgramMode = MeetDay::ModeMeetDay;
    // The option stands for this run only: the meet's keyword is left as it is.
    if (seeding)
        session.Gala.Seeding = *seeding;
    if (QString error; !SelectEventsOption(session.Gala, arguments.Options, &error))
        return Fail(error + QStringLiteral("; no heats made"));
    MeetDay::Roster roster;
    const MeetDay::LoadResult result = MeetDay::LoadRoster(session, prompts, roster);
    report();
    if (result == MeetDay::LoadResult::Failed)
        return Fail(QStringLiteral("no heats made"));

    QList<MeetDay::SeededEvent> seeded;
    PrintLine(stderr,
              positional.at(1) + QStringLiteral(": ") + MeetDay::MakeHeatsTitle(session.Gala));
    const bool made = MeetDay::MakeHeats(session, roster, options, prompts, seeded);
    report();
    if (!made)
        return Fail(QStringLiteral("no heats made"));
    for (const MeetDay::HeatLine &line : MeetDay::HeatLines(seeded))
        PrintLine(stdout, MeetDay::HeatLineText(session.Gala, line));
    return 0;
}

// One change of the swims command, done on the entrant. Returns "" or the reason it cannot be.
QString ChangeSwims(MeetDay::RosterEntrant &entrant, const Core::GalaState &gala,
                    const QString &option, const QString &value)
{
    if (option == QLatin1String("--add")) {
        QStringList refused;
        MeetDay::AddSwims(entrant, gala, QString(value).replace(u',', u' '), refused);
        return refused.join(QStringLiteral("; "));
    }
    if (option == QLatin1String("--remove")) {
        const int swim = MeetDay::FindSwim(entrant, value);
        if (swim < 0)
            return QStringLiteral("%1 has no swim in event %2").arg(entrant.Name, value);
        MeetDay::RemoveSwim(entrant, swim);
        return {};
    }
    const QStringList ends = value.split(u'=');
    const int swim = ends.size() == 2 ? MeetDay::FindSwim(entrant, ends.at(0)) : -1;
    if (ends.size() != 2)
        return QStringLiteral("\"%1\" is not FROM=TO").arg(value);
    if (swim < 0)
        return QStringLiteral("%1 has no swim in event %2").arg(entrant.Name, ends.at(0));
    QString error;
    MeetDay::MoveSwim(entrant, gala, swim, ends.at(1), &error);
    return error;
}

int Swims(const Arguments &arguments)
{
    const QStringList &positional = arguments.Positional;
    // The changes are made in the order given, whichever option gives them.
    QList<std::pair<QString, QString>> changes;
    QHash<QString, int> taken;
    for (const QString &name : arguments.Options.optionNames())
        changes.append(
            {QStringLiteral("--") + name, arguments.Options.values(name).value(taken[name]++)});
    bool numbered = false;
    const int number = positional.value(2).toInt(&numbered);
    if (!numbered)
        return WrongArguments(SwimsHelp);

    MeetDb::Session session;
    Core::CapturePrompts prompts;
    MeetDay::Roster roster;
    if (!LoadMeetDay(positional, session, prompts, roster))
        return Fail(QStringLiteral("no swims changed"));
    const int row = MeetDay::FindEntrant(roster, number);
    if (row < 0)
        return Fail(QStringLiteral("entrant %1 is not in meet %2; no swims changed")
                        .arg(number)
                        .arg(positional.at(1)));
    MeetDay::RosterEntrant &entrant = roster[row];
    for (const auto &[option, value] : std::as_const(changes)) {
        const QString error = ChangeSwims(entrant, session.Gala, option, value);
        if (!error.isEmpty())
            return Fail(error + QStringLiteral("; no swims changed"));
    }
    if (!changes.isEmpty()) {
        const bool saved = MeetDay::SaveRosterEntrant(session, entrant, prompts);
        ReportMessages(prompts, positional.at(1));
        if (!saved)
            return Fail(QStringLiteral("no swims changed"));
    }
    MeetDay::SortSwims(entrant);
    for (const MeetDay::RosterSwim &swim : std::as_const(entrant.Swims)) {
        PrintLine(stdout, QStringLiteral("%1\t%2\t%3\t%4")
                              .arg(swim.EventNumber, swim.EntryTime,
                                   swim.Confirmed ? QStringLiteral("Y") : QStringLiteral("N"),
                                   swim.CombinedWith));
    }
    if (entrant.Swims.isEmpty())
        PrintLine(stdout,
                  QStringLiteral("Entrant %1 has no swims left and was removed from meet %2")
                      .arg(number)
                      .arg(positional.at(1)));
    return 0;
}

int Lists(const Arguments &arguments)
{
    const QStringList &args = arguments.Positional;
    MeetDb::Session session;
    Core::CapturePrompts prompts;
    MeetDay::Roster roster;
    if (!LoadMeetDay(args, session, prompts, roster))
        return Fail(QStringLiteral("no lists written"));
    bool all = true;
    auto write = [&](bool empty, const QString &why, const QString &name, const QByteArray &bytes) {
        if (empty)
            prompts.Message(why);
        const QString path =
            empty ? QString() : MeetDay::WriteListFile(args.at(2), name, bytes, prompts);
        ReportMessages(prompts, args.at(1));
        if (!path.isEmpty())
            PrintLine(stdout, QStringLiteral("Wrote %1").arg(path));
        all = all && !path.isEmpty();
    };
    write(session.Gala.Clubs.isEmpty(), MeetDay::NoClubsMessage, MeetDay::ClubListName,
          MeetDay::ClubListBytes(session.Gala));
    write(roster.isEmpty(), MeetDay::NoEntriesMessage, MeetDay::NameListName,
          MeetDay::NameListBytes(roster));
    return all ? 0 : Fail(QStringLiteral("not every list was written"));
}

} // namespace

QList<Command> MeetDayCommands()
{
    return {
        {"confirm", ConfirmHelp, {{"all"}, {"entrants", "LIST"}}, 2, 2, Confirm},
        {"make-heats",
         MakeHeatsHelp,
         {{"events", "LIST"}, {"confirmed-only"}, {"programme-creation"}, {"seeding", "METHOD"}},
         2,
         2,
         MakeHeats},
        {"swims",
         SwimsHelp,
         {{"add", "LIST"}, {"remove", "EVENT"}, {"move", "FROM=TO"}},
         3,
         3,
         Swims},
        {"lists", ListsHelp, {}, 3, 3, Lists},
    };
}

} // namespace Tool
