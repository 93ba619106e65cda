#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

namespace Core {
class Prompts;
struct GalaState;
} // namespace Core

/*
 * The internal gala entry files: the store the entry window records into when it works without
 * the meet database, and the formats the meet day reads back.
 *
 * Field encoding. Every file here is text lines ended by CR LF. A line holds fields separated by
 * commas: a text in double quotes, an integer as bare decimal digits (a minus sign when
 * negative), a flag as #TRUE# or #FALSE#. A reader takes the fields one after another and treats
 * a comma and a line end alike, so how a record is spread over lines does not matter to it.
 *
 * A text is written between double quotes with nothing escaped, so a text that holds a double
 * quote or a line break cannot be stored: it would read back as a different record. Such a text
 * is refused before anything is written, with a message the caller shows; the files never hold a
 * record that reads back differently. Texts are written and read as UTF-8.
 *
 * Two layouts, chosen by the kind of competition (LayoutFor):
 *
 *   entrant layout  intent.vb and intent.cds (the same blocks in both; intent.cds is a second
 *                   copy nobody reads back) and intent.ctl, one line holding the next entrant
 *                   number. A block: number, name, club, age, sex, swim count, then per swim:
 *                   event number, entry time, confirmed flag (and a final rank in the finals
 *                   session of a "Champs" meet).
 *   swim layout     intent.vb only, one line per swim: event number, member name key (surname
 *                   first), date, entry time ("" when the member has none).
 *
 * Readers never crash on a damaged file: they return false with a message that names the file,
 * the line and, where known, the entrant.
 */
namespace Entries {

inline const QString EntryFileName = QStringLiteral("intent.vb");
inline const QString CardFileName = QStringLiteral("intent.cds");
inline const QString ControlFileName = QStringLiteral("intent.ctl");
inline const QString ScratchFileName = QStringLiteral("intent.tmp");
inline const QString TmpIniName = QStringLiteral("tmp.ini");
// The meet day's rewrite of intent.vb keeps the previous file as intent.BAK, and writes the new
// contents to "intent.vb.new" first.
inline const QString EntryBackupName = QStringLiteral("intent.BAK");
inline const QString NewFileSuffix = QStringLiteral(".new");
// The meet day's file of a gala kept in swim lines, and its backup.
inline const QString DayFileName = QStringLiteral("finals.cds");
inline const QString DayBackupName = QStringLiteral("finals.bak");

// The text stored for a swim without an entry time in the entrant layout.
inline const QString NoEntryTime = QStringLiteral("9:99.99");

enum class EntryLayout { Entrant, Swim };

// The entrant layout for "Open", "Masters", and "Champs" with OneCard; the swim layout for
// every other kind. A "Champs" meet with OneCard keeps its members' swims in the entrant layout
// too (see EntryFiles::AppendMember), because its meet day reads intent.vb as entrant blocks.
EntryLayout LayoutFor(const Core::GalaState &gala);

// The folder the entry files live in: GalaDir, with "\" read as a folder separator; an empty
// GalaDir means the program's folder, and a relative one is taken from the program's folder.
QString EntryDirPath(const Core::GalaState &gala, const QString &programDir);

// ---- Records ----------------------------------------------------------------------------------

struct EntrySwim
{
    QString EventNumber;
    QString EntryTime;      // a time text, "9:99.99" for none, or "NT"
    bool Confirmed = false; // false at entry; set on the meet day
    int FinalRank = 0;      // only in files read or written with a final rank
};

struct EntrantBlock
{
    int Number = 0;
    QString Name; // full name, or a relay team's name
    QString Club;
    QString Age; // date of birth (dd/mm/yy), masters age-group letter, or a relay's group name
    QString Sex; // "M", "F" or "X"
    QList<EntrySwim> Swims;

    // Set by the reader: the line the block starts on, and the bytes it takes in the file
    // (from its first field up to and including the separator after its last field).
    int Line = 0;
    qsizetype Begin = 0;
    qsizetype End = 0;
};

struct SwimLine
{
    QString EventNumber;
    QString MemberKey; // the member's name surname first
    QString Date;      // date of birth, or the entry date when the meet checks entry dates
    QString EntryTime; // personal best as it stands; "" for none

    // Set by the reader, as for EntrantBlock.
    int Line = 0;
    qsizetype Begin = 0;
    qsizetype End = 0;
};

// How the lines of an entrant block are laid out. All three read back alike.
enum class BlockShape {
    Individual, // fields 1-5 on one line; count; each swim on one line, flag #FALSE#/#TRUE#
    Relay,      // fields 1-3 on one line, 4-5 on the next; the rest as Individual
    MeetDay,    // fields 1-5 on one line; count; every swim field on a line of its own, the
                // flag as an integer (-1 true, 0 false)
};

// Each returns false, with `error` naming the field and the text, when a text holds a double
// quote or a line break; `out` is then untouched. `file` is the name used in the message.
// `withFinalRank` adds each swim's final rank after its flag.
bool EncodeEntrantBlock(const EntrantBlock &block, BlockShape shape, bool withFinalRank,
                        const QString &file, QByteArray &out, QString *error);
bool EncodeSwimLine(const SwimLine &swim, const QString &file, QByteArray &out, QString *error);
QByteArray EncodeControlRecord(int nextNumber);

// Parse a whole file. `file` names it in messages. On failure `error` says what is wrong where,
// and `out` holds the records read before the damage. An empty file gives no records.
// `withFinalRank`: each swim carries a fourth field, the final rank (integer); a flag may be
// #TRUE#/#FALSE# or an integer (0 false, anything else true).
bool ParseEntrantBlocks(const QByteArray &data, const QString &file, bool withFinalRank,
                        QList<EntrantBlock> &out, QString *error);
bool ParseSwimLines(const QByteArray &data, const QString &file, QList<SwimLine> &out,
                    QString *error);
// The first line of intent.ctl as an integer.
bool ParseControlRecord(const QByteArray &data, const QString &file, int &nextNumber,
                        QString *error);

// Reads a whole entry file; false with "Cannot read <path>: <reason>" in `error` when it
// cannot, or "<path> is larger than 4 MB, too large for an entry file" past
// Core::MaxDayFileBytes: no meet's entries come near that, and a file that big is not read into
// memory.
bool ReadWhole(const QString &path, QByteArray &data, QString *error);

// The same from a file on disk; a file that cannot be read is an error naming it.
bool LoadEntrantBlocks(const QString &path, bool withFinalRank, QList<EntrantBlock> &out,
                       QString *error);
bool LoadSwimLines(const QString &path, QList<SwimLine> &out, QString *error);
bool LoadControlRecord(const QString &path, int &nextNumber, QString *error);
// Writes intent.ctl through QSaveFile, so a failed write leaves the old record whole.
bool SaveControlRecord(const QString &path, int nextNumber, QString *error);

/*
 * The meet day rewrites an entry file in three steps: the new contents go to "<file>.new" and
 * are synced, the file is renamed to its backup, and "<file>.new" is renamed to the file. A stop
 * between the two renames (a crash, a power cut) leaves no file under its own name, with the new
 * contents and the old ones beside it. Whoever opens the file next puts one of them back first;
 * otherwise the entries would look gone, and the next save would remove both copies.
 *
 * RecoverEntryFile does nothing (NotNeeded) when `path` exists or when neither "<path>.new" nor
 * `backup` does. Otherwise it takes the newer of the two that reads whole as entrant blocks
 * (`withFinalRank` as for LoadEntrantBlocks), the new contents when both are as new, and puts it
 * back under `path`: "<path>.new" by renaming it, as the save would have done, the backup by
 * copying it, so that it stays the backup (Restored). `message` then says which file the
 * entries came from. Failed, with `message` saying why, when neither reads whole or the file
 * cannot be put back; nothing is changed then.
 */
enum class Recovery { NotNeeded, Restored, Failed };
Recovery RecoverEntryFile(const QString &path, const QString &backup, bool withFinalRank,
                          QString *message);

// ---- The entry store --------------------------------------------------------------------------

// One member's "Record" in a member gala.
struct MemberEntry
{
    QString FullName;  // forename first, as in the window
    QString MemberKey; // SurnameFirst of the full name
    QString Date;      // date of birth, or the entry date when the meet checks entry dates
    QString Sex;
    QString Club;           // the home club's code
    QList<EntrySwim> Swims; // event number and personal best ("" for none); flags are ignored
};

/*
 * The entry files while the entry window is open. Open() runs the start-up questions; each
 * Append writes one record to the open files (and flushes it to the operating system); Flush()
 * ends a "Record" by closing and reopening the files for appending and, in the entrant layout,
 * rewriting intent.ctl, so that after every record the files on disk hold everything recorded so
 * far. Close() ends the session; the destructor closes as well.
 *
 * Every Append checks all its texts before writing anything: a refused record leaves the files
 * as they were and uses no entrant number.
 */
class EntryFiles
{
public:
    EntryFiles() = default;
    ~EntryFiles();
    EntryFiles(const EntryFiles &) = delete;
    EntryFiles &operator=(const EntryFiles &) = delete;

    // Start-up. `dir` is the folder of the files (EntryDirPath). Asks through `prompts` as
    // needed (existing-file window, "Confirm Overwrite Existing File") and shows its messages
    // ("No Control Record .. Cannot Append", or a file that cannot be opened). An overwrite keeps
    // the old intent.vb as intent.BAK, in either layout. Returns true when the entry window goes
    // on; false when it is to close, with nothing changed on disk. Overwriting a swim-layout
    // intent.vb starts a new gala, so the meet day's record of the old one, finals.cds, is moved
    // aside to finals.bak: the day reads it with intent.vb, and the old gala's swimmers must not
    // come back with the new one's.
    bool Open(const Core::GalaState &gala, const QString &dir, Core::Prompts &prompts);

    bool IsOpen() const { return m_open; }
    EntryLayout Layout() const { return m_layout; }
    QString Dir() const { return m_dir; }
    QString EntryFilePath() const;

    // True when Open() started intent.vb empty (created or overwritten).
    bool StartedEmpty() const { return m_startedEmpty; }
    // True when the caller is to offer clearing the members' envelope flags
    // (ClearEnvelopeFlags): a swim-layout file started empty in a meet with "mailing" set.
    bool OfferClearEnvelopeFlags() const { return m_offerClearEnvelopeFlags; }

    // The number the next entrant block is written under (entrant layout).
    int NextNumber() const { return m_nextNumber; }

    // Entrant layout. The block is written under NextNumber() (its own Number is ignored),
    // in the individual or relay shape, to intent.vb and intent.cds; NextNumber() then advances.
    bool AppendEntrant(const EntrantBlock &block, QString *error);
    bool AppendRelay(const EntrantBlock &block, QString *error);

    // Swim layout: one line to intent.vb.
    bool AppendSwimLine(const SwimLine &swim, QString *error);

    // A member gala's "Record", in whichever layout the store has. Swim layout: one line per
    // swim (key, date, time as it stands). Entrant layout ("Champs" with OneCard): one block
    // under NextNumber() holding the full name, club, date (as the age field) and sex, each swim
    // with its time or "9:99.99" when it has none. A member with no swims writes nothing.
    bool AppendMember(const MemberEntry &member, QString *error);

    // The end of a "Record": files closed and reopened for appending; entrant layout:
    // intent.ctl rewritten with NextNumber().
    bool Flush(QString *error);

    // "Exit": files closed; entrant layout: intent.ctl rewritten. Does nothing when not open.
    // Writing a "Select" gala's event list back is RewriteEventLines, called by the window.
    bool Close(QString *error);

    // For a rewrite of the files by someone else (entry deletion): SuspendFiles closes them,
    // ResumeFiles opens intent.vb (and intent.cds) for appending again.
    void SuspendFiles();
    bool ResumeFiles(QString *error);

private:
    bool OpenForAppend(QString *error);
    bool WriteRecord(const QByteArray &entryBytes, bool alsoCards, QString *error);
    bool AppendBlock(const EntrantBlock &block, BlockShape shape, QString *error);
    bool StartEmpty(Core::Prompts &prompts);
    bool RetireDayFile(Core::Prompts &prompts);
    // Copies intent.vb to intent.BAK, replacing an older backup; false with `error` when it
    // cannot, with intent.vb then unchanged.
    bool KeepBackup(QString *error);

    QString m_dir;
    EntryLayout m_layout = EntryLayout::Swim;
    bool m_open = false;
    bool m_startedEmpty = false;
    bool m_offerClearEnvelopeFlags = false;
    int m_nextNumber = 1;
    QFile m_entries;
    QFile m_cards;
};

// ---- The gala parameter file's families of lines ----------------------------------------------

enum class ParamFamily {
    Events, // every line whose first five characters are "event"
    Clubs,  // every line whose first five characters are "club="
};

// The lines a family is written as: "event=" number sex group distance stroke and a trailing
// blank, one per event; "club=" code, a blank, name, one per club.
QStringList FamilyLines(const Core::GalaState &gala, ParamFamily family);

/*
 * Replaces one family of lines of the gala parameter file. The file is copied to `tmpIni`
 * without that family and without the lines whose first three characters are "End"; the new
 * lines and "End=End" are appended; then tmp.ini is copied back over the parameter file, which
 * is replaced whole (QSaveFile), and tmp.ini is left in place. Lines kept are copied byte for
 * byte, but every line of the result ends in CR LF, whatever ending it had before, since that is
 * how the system writes its files. Returns false with a message naming the file on any failure;
 * the parameter file is then unchanged.
 */
bool RewriteParamFamily(const QString &paramFile, const QString &tmpIni, ParamFamily family,
                        const QStringList &newLines, QString *error);

// The two uses: a "Select" gala's events at "Exit", the club table on leaving the club window
// without the meet database. tmp.ini goes into `dir`, the gala directory.
bool RewriteEventLines(const Core::GalaState &gala, const QString &dir, QString *error);
bool RewriteClubLines(const Core::GalaState &gala, const QString &dir, QString *error);

} // namespace Entries
