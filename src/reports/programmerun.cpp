#include "reports/programmerun.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include "core/galastate.h"
#include "core/prompts.h"
#include "core/timeutil.h"
#include "meetday/heats.h"
#include "meetday/programmenumbers.h"
#include "meetdb/database.h"
#include "meetdb/session.h"
#include "reports/printer.h"

namespace Reports {

namespace {

constexpr int HolderRows = 14;

// The club whose swimmers are printed in bold italic, picked from the meet's clubs.
void AskHighlight(const Core::GalaState &gala, Core::Prompts &prompts, ProgrammeHeading &heading)
{
    if (!prompts.AskYesNo(HighlightQuestion) || gala.Clubs.isEmpty())
        return;
    QStringList lines;
    for (const Core::GalaClub &club : gala.Clubs)
        lines.append(club.Code + QStringLiteral(" - ") + club.Name);
    const int picked = prompts.PickFromList(QStringLiteral("Select Club"), lines);
    if (picked >= 1 && picked <= gala.Clubs.size()) {
        heading.HighlightClubCode = gala.Clubs.at(picked - 1).Code;
        heading.HighlightClubName = gala.Clubs.at(picked - 1).Name;
    }
}

} // namespace

std::optional<Programme> PrepareProgramme(MeetDb::Session &session, MeetDay::Roster &roster,
                                          Core::Prompts &prompts)
{
    const Core::GalaState &gala = session.Gala;
    const bool masters = gala.GalaType == Core::GalaMasters;
    // A championship's programme is its CSV file (ChampsProgrammeCsv). The galas kept in entry
    // files print from the heat work files this run writes, as open meets do.
    if (gala.GalaType == Core::GalaChamps) {
        prompts.Message(ProgrammeNotApplicable);
        return std::nullopt;
    }
    const bool useDb = gala.UseMeetDb && gala.MeetDbOpen;
    const QString workDir = gala.WorkDir.isEmpty() ? session.ProgramDir : gala.WorkDir;

    Programme programme;
    programme.Title = gala.GalaTitle.isEmpty() ? gala.GalaName : gala.GalaTitle;
    bool assignNumbers = true;
    try {
        if (useDb && gala.Renumber && MeetDay::ProgrammeNumbersExist(session.MeetDb, gala.MeetCode))
            assignNumbers = prompts.AskYesNo(MeetDay::RenumberQuestion);
    } catch (const MeetDb::DbError &error) {
        prompts.Message(error.Message());
        return std::nullopt;
    }
    if (masters) {
        const std::optional<QString> typed = prompts.Input(
            QStringLiteral("Programme"), MeetDay::CopiesQuestion, QStringLiteral("1"));
        if (!typed)
            return std::nullopt;
        QString error;
        const std::optional<int> copies = ReadCopies(*typed, &error);
        if (!copies) {
            prompts.Message(error);
            return std::nullopt;
        }
        programme.Copies = *copies;
    }

    // Seed and write every chosen pool event; with the meet database all of them in one
    // transaction, so that a fault leaves the numbers of the last run as they were.
    QList<MeetDay::SeededEvent> seeded;
    QStringList empty; // the chosen events with no entries, named together
    try {
        std::optional<MeetDb::Transaction> transaction;
        if (useDb)
            transaction.emplace(session.MeetDb);
        for (const QString &event : MeetDay::SelectedPoolEvents(gala)) {
            MeetDay::SeededEvent one;
            const int listed = MeetDay::MakeProgrammeEvent(session, roster, event, false,
                                                           assignNumbers, prompts, &one);
            // A programme without one of the chosen events would look whole and is not; the
            // open transaction takes back what was written of the others.
            if (one.Refused) {
                prompts.Message(NoProgrammeWrittenMessage);
                return std::nullopt;
            }
            if (listed > 0)
                seeded.append(std::move(one));
            else if (one.List.isEmpty() && !one.Refused)
                empty << event;
        }
        if (transaction)
            transaction->Commit();
    } catch (const MeetDb::DbError &error) {
        prompts.Message(error.Message() + u'\n' + NoProgrammeWrittenMessage);
        return std::nullopt;
    }
    if (seeded.isEmpty()) {
        prompts.Message(NoProgrammeEntriesMessage);
        return std::nullopt;
    }
    if (!empty.isEmpty())
        prompts.Message(MeetDay::NoEntriesForEventsMessage(empty));

    AskHighlight(gala, prompts, programme.Heading);
    if (prompts.AskYesNo(HeadingQuestion)) {
        programme.Heading.Print = true;
        programme.Heading.SessionLine =
            prompts.Input(QStringLiteral("Programme"), SessionQuestion, {}).value_or(QString());
    }

    // Read each event back in print order.
    for (const MeetDay::SeededEvent &one : std::as_const(seeded)) {
        ProgrammeEvent event;
        event.Event = one.PoolEvent;
        if (useDb) {
            try {
                event.Rows = LoadPoolEventList(session.MeetDb, gala.MeetCode, one.PoolEvent,
                                               gala.AltClubCode);
            } catch (const MeetDb::DbError &error) {
                prompts.Message(error.Message());
                return std::nullopt;
            }
        } else {
            if (MeetDay::IsFloppyDrive(gala.WorkDir) &&
                !prompts.AskYesNo(QStringLiteral("Load floppy disk for event ") + one.PoolEvent +
                                  QStringLiteral(" into drive ") + gala.WorkDir)) {
                prompts.Message(LoadDiskMessage);
                continue;
            }
            event.Rows = LoadHeatsFileList(QDir(workDir).filePath(MeetDay::HeatWorkFileName(
                                               one.PoolEvent, one.Events.size() > 1)),
                                           gala.GalaType, prompts);
            // A renumbered file labels each swimmer with the place in the list; the entrant is
            // the one seeded there, so that reserve marks reach the swimmer printed.
            if (gala.Renumber && event.Rows.size() == one.List.size())
                for (qsizetype k = 0; k < event.Rows.size(); ++k)
                    event.Rows[k].EntrantNumber = QString::number(one.List.at(k).EntrantNumber);
        }
        if (event.Rows.isEmpty())
            continue;
        const int index = gala.FindEvent(one.PoolEvent);
        const bool relay = index >= 0 && IsRelayStroke(gala.Events.at(index).EvStroke);
        // An event number from elsewhere must not lead the holders file out of its folder.
        if (MeetDay::SafeEventFileName(one.PoolEvent))
            event.History =
                ReadHoldersFile(QDir(workDir).filePath(QStringLiteral("ev") + one.PoolEvent +
                                                       QStringLiteral("-hst.csv")),
                                relay ? 1 : HolderRows);
        MarkReserves(event.Rows, ReserveExcess(gala, one.PoolEvent, event.Rows.size()));
        if (!masters)
            ApplyMeetSpecific(roster, gala, event);
        programme.Events.append(std::move(event));
    }
    if (programme.Events.isEmpty()) {
        prompts.Message(NoProgrammeEntriesMessage);
        return std::nullopt;
    }
    return programme;
}

std::optional<int> ReadCopies(const QString &text, QString *error)
{
    bool ok = false;
    const int copies = text.trimmed().toInt(&ok);
    // More copies than anyone prints are a typing slip, not a print run.
    if (ok && copies >= 1 && copies <= MaxCopies)
        return copies;
    *error = QStringLiteral("\"%1\" copies cannot be printed: give a number from 1 to %2")
                 .arg(text.trimmed())
                 .arg(MaxCopies);
    return std::nullopt;
}

void PrintProgramme(Printer &printer, const Core::GalaState &gala, const Programme &programme)
{
    for (int copy = 0; copy < programme.Copies; ++copy) {
        if (copy > 0)
            printer.NewPage();
        ProgrammePages pages(printer, gala, programme.Heading);
        for (qsizetype i = 0; i < programme.Events.size(); ++i)
            pages.PrintEventPages(programme.Events.at(i), i == 0);
    }
    printer.EndDoc();
}

void ApplyMeetSpecific(MeetDay::Roster &roster, const Core::GalaState &gala,
                       const ProgrammeEvent &event)
{
    for (const PoolEventRow &row : event.Rows) {
        bool ok = false;
        const int number = row.EntrantNumber.toInt(&ok);
        if (!ok)
            continue;
        for (MeetDay::RosterEntrant &entrant : roster) {
            if (entrant.EntrantNumber != number)
                continue;
            for (MeetDay::RosterSwim &swim : entrant.Swims) {
                if (swim.EventNumber == event.Event ||
                    MeetDay::CombinedLeadOf(gala, swim.EventNumber) == event.Event)
                    swim.MeetSpecific = row.MeetSpecific;
            }
        }
    }
}

QString ChampsEventDescription(const Core::GalaState &gala, const Core::GalaEvent &event)
{
    QString text =
        event.EvSex == QLatin1String("M") ? QStringLiteral("Boys ") : QStringLiteral("Girls ");
    for (const Core::GalaGroup &group : gala.Groups)
        if (group.GroupName == event.EvGroup)
            text += group.GroupDescription + u' ';
    const double distance = Core::LeadingNumber(event.EvDistance);
    text += (distance > 0 ? QString::number(qint64(distance)) : event.EvDistance) +
            QStringLiteral("m ");
    static const QList<QPair<QString, QString>> strokes = {
        {QStringLiteral("FS"), QStringLiteral("Freestyle")},
        {QStringLiteral("BR"), QStringLiteral("Breaststroke")},
        {QStringLiteral("FLY"), QStringLiteral("Butterfly")},
        {QStringLiteral("BK"), QStringLiteral("Backstroke")},
        {QStringLiteral("MED"), QStringLiteral("Ind Medley")},
    };
    for (const auto &[code, name] : strokes)
        if (code == event.EvStroke)
            text += name;
    return text;
}

std::optional<QByteArray> ChampsProgrammeCsv(const Core::GalaState &gala, const QString &finalsDir,
                                             Core::Prompts &prompts)
{
    // Lane label and the finals-file record it takes, counted back from the best qualifier.
    static const QList<QPair<QByteArray, int>> lanes = {{"1", 4}, {"2", 2},  {"3", 0}, {"4", 1},
                                                        {"5", 3}, {"R1", 5}, {"R2", 6}};
    QByteArray out;
    for (const Core::GalaEvent &event : gala.Events) {
        out += MeetDay::QuotedField(event.EvNumber) + ',' +
               MeetDay::QuotedField(ChampsEventDescription(gala, event)) + "\r\n";
        out += "\"BCP\"\r\n\"H\"\r\n";
        PoolEventList finalists;
        if (MeetDay::SafeEventFileName(event.EvNumber)) {
            const QString path = QDir(finalsDir).filePath(MeetDay::FinalsFileName(event.EvNumber));
            const QFileInfo file(path);
            QString error;
            // A damaged file would print a final with the wrong swimmers in the lanes, or none.
            if (file.exists() && file.size() > 0 &&
                !ReadHeatsFile(path, Core::GalaChamps, finalists, &error)) {
                prompts.Message(error);
                return std::nullopt;
            }
        }
        const int c = int(finalists.size());
        if (c == 0) {
            out += "\"No finalists\"\r\n";
            continue;
        }
        for (const auto &[label, back] : lanes) {
            const int record = c - back; // 1-based
            out += '"' + label + '"';
            if (record >= 1)
                out += ',' + MeetDay::QuotedField(finalists.at(record - 1).Name) + ",\"\"";
            out += "\r\n";
        }
    }
    return out;
}

QString CreateChampsProgramme(MeetDb::Session &session, Core::Prompts &prompts)
{
    if (!prompts.AskYesNo(ExportedFinalsQuestion))
        return {};
    const QString name = prompts
                             .Input(ProgrammeCsvTitle, QStringLiteral("Output file name"),
                                    QStringLiteral("programme.csv"))
                             .value_or(QString())
                             .trimmed();
    if (name.isEmpty()) {
        prompts.Message(NoFileSpecifiedMessage);
        return {};
    }
    const Core::GalaState &gala = session.Gala;
    const QString dir = gala.WorkDir.isEmpty() ? session.ProgramDir : gala.WorkDir;
    const QString path = QDir(dir).filePath(name);
    if (QFileInfo::exists(path) && !prompts.AskYesNo(OverwriteQuestion, true))
        return {};
    const std::optional<QByteArray> bytes = ChampsProgrammeCsv(gala, dir, prompts);
    if (!bytes)
        return {};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(*bytes) < 0 || !file.commit()) {
        prompts.Message(QStringLiteral("Cannot write the programme file %1: %2")
                            .arg(QDir::toNativeSeparators(path), file.errorString()));
        return {};
    }
    return path;
}

} // namespace Reports
