#include "entryfiles.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include "core/filesync.h"
#include "core/galastate.h"
#include "core/prompts.h"
#include "core/textutil.h"
#include "entries/entrywriter.h"
#include "meetdb/keywords.h"

namespace Entries {

namespace {

const QByteArray LineEnd = QByteArrayLiteral("\r\n");

// ---- Writing ----

// A text field, or false when the text cannot be stored between quotes.
bool AddText(QByteArray &line, const QString &text, const QString &what, const QString &file,
             QString *error)
{
    if (text.contains(u'"') || text.contains(u'\r') || text.contains(u'\n')) {
        if (error) {
            const QString problem = text.contains(u'"') ? QStringLiteral("a double quote")
                                                        : QStringLiteral("a line break");
            *error = QStringLiteral("The %1 %2 holds %3, which cannot be written to %4")
                         .arg(what, text, problem, file);
        }
        return false;
    }
    line += '"';
    line += text.toUtf8();
    line += '"';
    return true;
}

QByteArray Flag(bool value)
{
    return value ? QByteArrayLiteral("#TRUE#") : QByteArrayLiteral("#FALSE#");
}

// ---- Reading ----

struct Field
{
    QString Text;
    bool Quoted = false;
    int Line = 0;
};

// Hands out the fields of a file one by one. A comma and a line end (CR LF, LF or CR) both end
// a field; line ends before a field are skipped, so blank lines and the spread of a record over
// lines do not matter. A quoted text runs to the next double quote on the same line.
class FieldReader
{
public:
    explicit FieldReader(const QByteArray &data)
        : m_data(data)
    {}

    // Skips the line ends and blanks before the next field; true when no field is left.
    bool AtEnd()
    {
        SkipToField();
        return m_pos >= m_data.size();
    }
    int Line() const { return m_line; }
    qsizetype Pos() const { return m_pos; }

    // False with `problem` set for a damaged field, or when the data ends.
    bool Next(Field &field, QString &problem)
    {
        if (AtEnd()) {
            problem = QStringLiteral("the file ends here");
            return false;
        }
        field.Line = m_line;
        const qsizetype size = m_data.size();
        if (m_data[m_pos] == '"') {
            qsizetype close = m_pos + 1;
            while (close < size && m_data[close] != '"' && m_data[close] != '\r' &&
                   m_data[close] != '\n')
                ++close;
            if (close >= size || m_data[close] != '"') {
                problem = QStringLiteral("a quoted text is not closed on its line");
                return false;
            }
            field.Text = QString::fromUtf8(m_data.constData() + m_pos + 1, close - m_pos - 1);
            field.Quoted = true;
            m_pos = close + 1;
            while (m_pos < size && (m_data[m_pos] == ' ' || m_data[m_pos] == '\t'))
                ++m_pos;
            if (m_pos < size && m_data[m_pos] != ',' && m_data[m_pos] != '\r' &&
                m_data[m_pos] != '\n') {
                problem =
                    QStringLiteral("unexpected text after the quoted text \"%1\"").arg(field.Text);
                return false;
            }
        } else {
            const qsizetype start = m_pos;
            while (m_pos < size && m_data[m_pos] != ',' && m_data[m_pos] != '\r' &&
                   m_data[m_pos] != '\n')
                ++m_pos;
            field.Text = QString::fromUtf8(m_data.constData() + start, m_pos - start).trimmed();
            field.Quoted = false;
        }
        SkipSeparator();
        return true;
    }

private:
    void SkipLineEnd()
    {
        if (m_data[m_pos] == '\r' && m_pos + 1 < m_data.size() && m_data[m_pos + 1] == '\n')
            ++m_pos;
        ++m_pos;
        ++m_line;
    }
    void SkipSeparator()
    {
        if (m_pos >= m_data.size())
            return;
        if (m_data[m_pos] == ',')
            ++m_pos;
        else
            SkipLineEnd();
    }
    void SkipToField()
    {
        while (m_pos < m_data.size()) {
            const char c = m_data[m_pos];
            if (c == '\r' || c == '\n')
                SkipLineEnd();
            else if (c == ' ' || c == '\t')
                ++m_pos;
            else
                break;
        }
    }

    const QByteArray &m_data;
    qsizetype m_pos = 0;
    int m_line = 1;
};

// Typed reads over a FieldReader; each failure builds a message naming file, line and record.
class RecordReader
{
public:
    RecordReader(const QByteArray &data, const QString &file)
        : m_fields(data)
        , m_file(file)
    {}

    FieldReader &Fields() { return m_fields; }
    // Names the record in messages ("entrant 12"); `line` is where it starts, which a message
    // about the file ending inside the record points at.
    void SetRecord(const QString &record, int line)
    {
        m_record = record;
        m_recordLine = line;
    }

    bool Text(QString &value, const QString &what, QString *error)
    {
        Field field;
        if (!Read(field, what, error))
            return false;
        if (!field.Quoted)
            return Fail(
                field.Line,
                QStringLiteral("%1 should be a quoted text, found %2").arg(what, Shown(field.Text)),
                error);
        value = field.Text;
        return true;
    }

    bool Int(int &value, const QString &what, QString *error)
    {
        Field field;
        if (!Read(field, what, error))
            return false;
        bool ok = false;
        value = field.Text.toInt(&ok);
        if (field.Quoted || !ok)
            return Fail(field.Line,
                        QStringLiteral("%1 should be a whole number, found %2")
                            .arg(what, Shown(field, field.Text)),
                        error);
        return true;
    }

    bool Flag(bool &value, const QString &what, QString *error)
    {
        Field field;
        if (!Read(field, what, error))
            return false;
        if (!field.Quoted) {
            if (field.Text.compare(u"#TRUE#", Qt::CaseInsensitive) == 0) {
                value = true;
                return true;
            }
            if (field.Text.compare(u"#FALSE#", Qt::CaseInsensitive) == 0) {
                value = false;
                return true;
            }
            bool ok = false;
            const int number = field.Text.toInt(&ok);
            if (ok) {
                value = number != 0;
                return true;
            }
        }
        return Fail(field.Line,
                    QStringLiteral("%1 should be #TRUE#, #FALSE# or a number, found %2")
                        .arg(what, Shown(field, field.Text)),
                    error);
    }

    bool Fail(int line, const QString &problem, QString *error) const
    {
        if (error) {
            *error = m_record.isEmpty()
                         ? QStringLiteral("%1, line %2: %3").arg(m_file).arg(line).arg(problem)
                         : QStringLiteral("%1, line %2, %3: %4")
                               .arg(m_file)
                               .arg(line)
                               .arg(m_record, problem);
        }
        return false;
    }

private:
    static QString Shown(const QString &text)
    {
        return text.isEmpty() ? QStringLiteral("nothing") : text;
    }
    static QString Shown(const Field &field, const QString &text)
    {
        return field.Quoted ? QLatin1Char('"') + text + QLatin1Char('"') : Shown(text);
    }

    bool Read(Field &field, const QString &what, QString *error)
    {
        QString problem;
        if (m_fields.Next(field, problem))
            return true;
        if (m_fields.AtEnd())
            return Fail(m_recordLine, QStringLiteral("the file ends where %1 should be").arg(what),
                        error);
        return Fail(m_fields.Line(), problem, error);
    }

    FieldReader m_fields;
    QString m_file;
    QString m_record;
    int m_recordLine = 1;
};

bool OpenFile(QFile &file, const QString &path, QIODevice::OpenMode mode, QString *error)
{
    file.setFileName(path);
    if (file.open(mode))
        return true;
    if (error)
        *error = QStringLiteral("Cannot open %1: %2").arg(path, file.errorString());
    return false;
}

// A file that was last written without a final line end gets one before more is appended, so
// that the appended record does not run into the last field.
bool EndLastLine(QFile &file, QString *error)
{
    const qint64 size = file.size();
    if (size == 0)
        return true;
    QFile reader(file.fileName());
    if (!reader.open(QIODevice::ReadOnly) || !reader.seek(size - 1))
        return true;
    char last = 0;
    if (reader.read(&last, 1) == 1 && last != '\n' && last != '\r') {
        if (file.write(LineEnd) != LineEnd.size()) {
            if (error)
                *error =
                    QStringLiteral("Cannot write %1: %2").arg(file.fileName(), file.errorString());
            return false;
        }
    }
    return true;
}

} // namespace

bool ReadWhole(const QString &path, QByteArray &data, QString *error)
{
    return Core::ReadCappedFile(path, Core::MaxDayFileBytes, QStringLiteral("an entry file"), data,
                                error);
}

// ---- Layout and folder ----

EntryLayout LayoutFor(const Core::GalaState &gala)
{
    if (gala.GalaType == Core::GalaOpen || gala.GalaType == Core::GalaMasters ||
        (gala.GalaType == Core::GalaChamps && gala.OneCard))
        return EntryLayout::Entrant;
    return EntryLayout::Swim;
}

QString EntryDirPath(const Core::GalaState &gala, const QString &programDir)
{
    QString dir = gala.GalaDir;
    dir.replace(u'\\', u'/');
    if (dir.isEmpty())
        return programDir;
    if (QFileInfo(dir).isAbsolute())
        return QDir::cleanPath(dir);
    return QDir::cleanPath(QDir(programDir).filePath(dir));
}

// ---- Encoding ----

bool EncodeEntrantBlock(const EntrantBlock &block, BlockShape shape, bool withFinalRank,
                        const QString &file, QByteArray &out, QString *error)
{
    QByteArray bytes = QByteArray::number(block.Number) + ',';
    if (!AddText(bytes, block.Name, QStringLiteral("name"), file, error))
        return false;
    bytes += ',';
    if (!AddText(bytes, block.Club, QStringLiteral("club"), file, error))
        return false;
    bytes += shape == BlockShape::Relay ? LineEnd : QByteArrayLiteral(",");
    if (!AddText(bytes, block.Age, QStringLiteral("age"), file, error))
        return false;
    bytes += ',';
    if (!AddText(bytes, block.Sex, QStringLiteral("sex"), file, error))
        return false;
    bytes += LineEnd;
    bytes += QByteArray::number(block.Swims.size()) + LineEnd;

    const QByteArray between = shape == BlockShape::MeetDay ? LineEnd : QByteArrayLiteral(",");
    for (const EntrySwim &swim : block.Swims) {
        if (!AddText(bytes, swim.EventNumber, QStringLiteral("event number"), file, error))
            return false;
        bytes += between;
        if (!AddText(bytes, swim.EntryTime, QStringLiteral("entry time"), file, error))
            return false;
        bytes += between;
        bytes += shape == BlockShape::MeetDay ? QByteArray::number(swim.Confirmed ? -1 : 0)
                                              : Flag(swim.Confirmed);
        if (withFinalRank)
            bytes += between + QByteArray::number(swim.FinalRank);
        bytes += LineEnd;
    }
    out = bytes;
    return true;
}

bool EncodeSwimLine(const SwimLine &swim, const QString &file, QByteArray &out, QString *error)
{
    QByteArray bytes;
    if (!AddText(bytes, swim.EventNumber, QStringLiteral("event number"), file, error))
        return false;
    bytes += ',';
    if (!AddText(bytes, swim.MemberKey, QStringLiteral("member name"), file, error))
        return false;
    bytes += ',';
    if (!AddText(bytes, swim.Date, QStringLiteral("date"), file, error))
        return false;
    bytes += ',';
    if (!AddText(bytes, swim.EntryTime, QStringLiteral("entry time"), file, error))
        return false;
    out = bytes + LineEnd;
    return true;
}

QByteArray EncodeControlRecord(int nextNumber)
{
    return QByteArray::number(nextNumber) + LineEnd;
}

// ---- Parsing ----

bool ParseEntrantBlocks(const QByteArray &data, const QString &file, bool withFinalRank,
                        QList<EntrantBlock> &out, QString *error)
{
    out.clear();
    RecordReader reader(data, file);
    FieldReader &fields = reader.Fields();
    while (!fields.AtEnd()) {
        EntrantBlock block;
        block.Begin = fields.Pos();
        block.Line = fields.Line();
        reader.SetRecord(
            QStringLiteral("after entrant %1")
                .arg(out.isEmpty() ? QStringLiteral("(none)") : QString::number(out.last().Number)),
            block.Line);
        if (!reader.Int(block.Number, QStringLiteral("the entrant number"), error))
            return false;
        reader.SetRecord(QStringLiteral("entrant %1").arg(block.Number), block.Line);
        if (!reader.Text(block.Name, QStringLiteral("the name"), error) ||
            !reader.Text(block.Club, QStringLiteral("the club"), error) ||
            !reader.Text(block.Age, QStringLiteral("the age"), error) ||
            !reader.Text(block.Sex, QStringLiteral("the sex"), error))
            return false;
        int count = 0;
        const int countLine = fields.Line();
        if (!reader.Int(count, QStringLiteral("the swim count"), error))
            return false;
        if (count < 0)
            return reader.Fail(countLine,
                               QStringLiteral("the swim count %1 is negative").arg(count), error);
        for (int s = 1; s <= count; ++s) {
            EntrySwim swim;
            const QString which = QStringLiteral(" of swim %1 of %2").arg(s).arg(count);
            if (!reader.Text(swim.EventNumber, QStringLiteral("the event number") + which, error) ||
                !reader.Text(swim.EntryTime, QStringLiteral("the entry time") + which, error) ||
                !reader.Flag(swim.Confirmed, QStringLiteral("the confirmed flag") + which, error))
                return false;
            if (withFinalRank &&
                !reader.Int(swim.FinalRank, QStringLiteral("the final rank") + which, error))
                return false;
            block.Swims.append(swim);
        }
        block.End = fields.Pos();
        out.append(block);
    }
    return true;
}

bool ParseSwimLines(const QByteArray &data, const QString &file, QList<SwimLine> &out,
                    QString *error)
{
    out.clear();
    RecordReader reader(data, file);
    FieldReader &fields = reader.Fields();
    while (!fields.AtEnd()) {
        SwimLine swim;
        swim.Begin = fields.Pos();
        swim.Line = fields.Line();
        reader.SetRecord(QStringLiteral("swim %1").arg(out.size() + 1), swim.Line);
        if (!reader.Text(swim.EventNumber, QStringLiteral("the event number"), error) ||
            !reader.Text(swim.MemberKey, QStringLiteral("the member name"), error) ||
            !reader.Text(swim.Date, QStringLiteral("the date"), error) ||
            !reader.Text(swim.EntryTime, QStringLiteral("the entry time"), error))
            return false;
        swim.End = fields.Pos();
        out.append(swim);
    }
    return true;
}

bool ParseControlRecord(const QByteArray &data, const QString &file, int &nextNumber,
                        QString *error)
{
    const qsizetype lineEnd = data.indexOf('\n');
    const QByteArray line = (lineEnd < 0 ? data : data.left(lineEnd)).trimmed();
    bool ok = false;
    const int number = line.toInt(&ok);
    if (!ok || number < 1 || number > MaxEntrantNumber) {
        if (error)
            *error = QStringLiteral("%1, line 1: the next entrant number should be a whole "
                                    "number from 1 to %2, found %3")
                         .arg(file, QString::number(MaxEntrantNumber),
                              line.isEmpty() ? QStringLiteral("nothing") : QString::fromUtf8(line));
        return false;
    }
    nextNumber = number;
    return true;
}

bool LoadEntrantBlocks(const QString &path, bool withFinalRank, QList<EntrantBlock> &out,
                       QString *error)
{
    QByteArray data;
    return ReadWhole(path, data, error) &&
           ParseEntrantBlocks(data, path, withFinalRank, out, error);
}

bool LoadSwimLines(const QString &path, QList<SwimLine> &out, QString *error)
{
    QByteArray data;
    return ReadWhole(path, data, error) && ParseSwimLines(data, path, out, error);
}

bool LoadControlRecord(const QString &path, int &nextNumber, QString *error)
{
    QByteArray data;
    return ReadWhole(path, data, error) && ParseControlRecord(data, path, nextNumber, error);
}

bool SaveControlRecord(const QString &path, int nextNumber, QString *error)
{
    QSaveFile file(path);
    const QByteArray bytes = EncodeControlRecord(nextNumber);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

Recovery RecoverEntryFile(const QString &path, const QString &backup, bool withFinalRank,
                          QString *message)
{
    if (QFileInfo::exists(path))
        return Recovery::NotNeeded;
    const QString native = QDir::toNativeSeparators(path);
    const QString fresh = path + NewFileSuffix;
    QFileInfo chosen;
    QStringList damaged;
    // The new contents first: of two copies as new, they are the later save.
    for (const QString &candidate : {fresh, backup}) {
        const QFileInfo info(candidate);
        if (!info.exists())
            continue;
        QList<EntrantBlock> blocks;
        QString error;
        if (!LoadEntrantBlocks(candidate, withFinalRank, blocks, &error))
            damaged << error;
        else if (!chosen.exists() || info.lastModified() > chosen.lastModified())
            chosen = info;
    }
    if (!chosen.exists() && damaged.isEmpty())
        return Recovery::NotNeeded;
    if (!chosen.exists()) {
        *message = QStringLiteral("%1 is missing, and no copy of it reads whole:\n%2")
                       .arg(native, damaged.join(u'\n'));
        return Recovery::Failed;
    }

    const QString source = chosen.filePath();
    QString reason;
    if (source == fresh) {
        if (!QFile::rename(source, path))
            reason = QStringLiteral("it cannot be renamed");
    } else {
        // The copy is written whole under a scratch name and renamed, so that a stop now leaves
        // no half file under the real name.
        QSaveFile copy(path);
        QByteArray bytes;
        if (!ReadWhole(source, bytes, &reason) || !copy.open(QIODevice::WriteOnly) ||
            copy.write(bytes) != bytes.size() || !Core::SyncToDisk(copy) || !copy.commit()) {
            if (reason.isEmpty())
                reason = copy.errorString();
        }
    }
    if (!reason.isEmpty()) {
        *message = QStringLiteral("%1 is missing, and %2 cannot be put back in its place: %3")
                       .arg(native, chosen.fileName(), reason);
        return Recovery::Failed;
    }
    Core::SyncFolder(chosen.absolutePath());
    *message = QStringLiteral("%1 was missing. Its entries were taken from %2, saved %3, and put "
                              "back under its name.")
                   .arg(native, chosen.fileName(),
                        chosen.lastModified().toString(QStringLiteral("dd/MM/yyyy hh:mm")));
    return Recovery::Restored;
}

// ---- The entry store ----

EntryFiles::~EntryFiles()
{
    Close(nullptr);
}

QString EntryFiles::EntryFilePath() const
{
    return QDir(m_dir).filePath(EntryFileName);
}

bool EntryFiles::Open(const Core::GalaState &gala, const QString &dir, Core::Prompts &prompts)
{
    Close(nullptr);
    m_dir = dir;
    m_layout = LayoutFor(gala);
    m_startedEmpty = false;
    m_offerClearEnvelopeFlags = false;
    m_nextNumber = 1;

    // A meet-day save stopped half-way leaves intent.vb missing beside its copies: starting
    // empty here would number the entrants from 1 again and lose them at the next save.
    if (m_layout == EntryLayout::Entrant) {
        QString message;
        const Recovery recovery = RecoverEntryFile(
            EntryFilePath(), QDir(m_dir).filePath(EntryBackupName), false, &message);
        if (recovery != Recovery::NotNeeded)
            prompts.Message(message);
        if (recovery == Recovery::Failed)
            return false;
    }
    const bool exists = QFileInfo::exists(EntryFilePath());
    bool ok = false;
    if (!exists) {
        ok = StartEmpty(prompts);
    } else {
        const Core::ExistingFileAnswer answer = prompts.AskExistingFile();
        if (!answer.Ok)
            return false;
        if (answer.Option == Core::ExistingFileOption::Append) {
            if (m_layout == EntryLayout::Entrant) {
                const QString control = QDir(m_dir).filePath(ControlFileName);
                if (!QFileInfo::exists(control)) {
                    prompts.Message(QStringLiteral("No Control Record .. Cannot Append"));
                    return false;
                }
                QString error;
                if (!LoadControlRecord(control, m_nextNumber, &error)) {
                    prompts.Message(error);
                    return false;
                }
            }
            QString error;
            ok = OpenForAppend(&error);
            if (!ok)
                prompts.Message(error);
        } else if (answer.Option == Core::ExistingFileOption::Overwrite) {
            // Every entry of the file goes: asked again, and the old file kept as the backup.
            if (!prompts.AskYesNo(QStringLiteral("Confirm Overwrite Existing File")))
                return false;
            QString error;
            ok = KeepBackup(&error);
            if (!ok)
                prompts.Message(error);
            else if (m_layout == EntryLayout::Swim && !RetireDayFile(prompts))
                return false;
            else
                ok = StartEmpty(prompts);
        } else {
            return false;
        }
    }
    if (!ok) {
        SuspendFiles();
        return false;
    }
    m_open = true;
    m_offerClearEnvelopeFlags = m_startedEmpty && m_layout == EntryLayout::Swim && gala.Mailing;
    return true;
}

bool EntryFiles::KeepBackup(QString *error)
{
    const QDir dir(m_dir);
    const QString backup = dir.filePath(EntryBackupName);
    if (QFileInfo::exists(backup) && !QFile::remove(backup)) {
        if (error)
            *error = QStringLiteral("Cannot replace the backup %1, so %2 is kept as it is")
                         .arg(QDir::toNativeSeparators(backup),
                              QDir::toNativeSeparators(EntryFilePath()));
        return false;
    }
    // Copied rather than renamed: should emptying the files then fail, intent.vb is still there.
    if (!QFile::copy(EntryFilePath(), backup)) {
        if (error)
            *error = QStringLiteral("Cannot keep %1 as the backup %2, so it is kept as it is")
                         .arg(QDir::toNativeSeparators(EntryFilePath()),
                              QDir::toNativeSeparators(backup));
        return false;
    }
    return true;
}

// Creates or empties intent.vb (and intent.cds); a new entrant-layout file also gets intent.ctl
// holding 1 when intent.vb did not exist. After an overwrite intent.ctl keeps the old number
// until the first flush.
bool EntryFiles::StartEmpty(Core::Prompts &prompts)
{
    const bool created = !QFileInfo::exists(EntryFilePath());
    QString error;
    const QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Truncate;
    if (!OpenFile(m_entries, EntryFilePath(), mode, &error) ||
        (m_layout == EntryLayout::Entrant &&
         !OpenFile(m_cards, QDir(m_dir).filePath(CardFileName), mode, &error)) ||
        (m_layout == EntryLayout::Entrant && created &&
         !SaveControlRecord(QDir(m_dir).filePath(ControlFileName), 1, &error))) {
        prompts.Message(error);
        return false;
    }
    m_nextNumber = 1;
    m_startedEmpty = true;
    return true;
}

bool EntryFiles::RetireDayFile(Core::Prompts &prompts)
{
    const QString day = QDir(m_dir).filePath(DayFileName);
    const QString backup = QDir(m_dir).filePath(DayBackupName);
    if (!QFileInfo::exists(day))
        return true;
    if ((QFileInfo::exists(backup) && !QFile::remove(backup)) || !QFile::rename(day, backup)) {
        prompts.Message(QStringLiteral("Cannot move %1 aside to %2 for the new entries")
                            .arg(QDir::toNativeSeparators(day), DayBackupName));
        return false;
    }
    return true;
}

bool EntryFiles::OpenForAppend(QString *error)
{
    const QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Append;
    if (!OpenFile(m_entries, EntryFilePath(), mode, error) || !EndLastLine(m_entries, error))
        return false;
    if (m_layout == EntryLayout::Entrant &&
        (!OpenFile(m_cards, QDir(m_dir).filePath(CardFileName), mode, error) ||
         !EndLastLine(m_cards, error)))
        return false;
    return true;
}

bool EntryFiles::WriteRecord(const QByteArray &entryBytes, bool alsoCards, QString *error)
{
    if (!m_open || !m_entries.isOpen() || (alsoCards && !m_cards.isOpen())) {
        if (error)
            *error = QStringLiteral("The entry files are not open");
        return false;
    }
    for (QFile *file : {&m_entries, &m_cards}) {
        if (file == &m_cards && !alsoCards)
            break;
        if (file->write(entryBytes) != entryBytes.size() || !file->flush()) {
            if (error)
                *error = QStringLiteral("Cannot write %1: %2")
                             .arg(file->fileName(), file->errorString());
            return false;
        }
    }
    return true;
}

bool EntryFiles::AppendBlock(const EntrantBlock &block, BlockShape shape, QString *error)
{
    if (m_layout != EntryLayout::Entrant) {
        if (error)
            *error = QStringLiteral("Entrant blocks belong to the entrant layout only");
        return false;
    }
    EntrantBlock numbered = block;
    numbered.Number = m_nextNumber;
    QByteArray bytes;
    if (!EncodeEntrantBlock(numbered, shape, false, EntryFileName, bytes, error) ||
        !WriteRecord(bytes, true, error))
        return false;
    ++m_nextNumber;
    return true;
}

bool EntryFiles::AppendEntrant(const EntrantBlock &block, QString *error)
{
    return AppendBlock(block, BlockShape::Individual, error);
}

bool EntryFiles::AppendRelay(const EntrantBlock &block, QString *error)
{
    return AppendBlock(block, BlockShape::Relay, error);
}

bool EntryFiles::AppendSwimLine(const SwimLine &swim, QString *error)
{
    if (m_layout != EntryLayout::Swim) {
        if (error)
            *error = QStringLiteral("Swim lines belong to the swim layout only");
        return false;
    }
    QByteArray bytes;
    return EncodeSwimLine(swim, EntryFileName, bytes, error) && WriteRecord(bytes, false, error);
}

bool EntryFiles::AppendMember(const MemberEntry &member, QString *error)
{
    if (member.Swims.isEmpty())
        return true;
    if (m_layout == EntryLayout::Entrant) {
        EntrantBlock block;
        block.Name = member.FullName;
        block.Club = member.Club;
        block.Age = member.Date;
        block.Sex = member.Sex;
        for (const EntrySwim &swim : member.Swims)
            block.Swims.append(
                {swim.EventNumber, swim.EntryTime.isEmpty() ? NoEntryTime : swim.EntryTime});
        return AppendEntrant(block, error);
    }
    // All lines are encoded before any is written, so a refused text writes nothing.
    QByteArray bytes;
    for (const EntrySwim &swim : member.Swims) {
        QByteArray line;
        if (!EncodeSwimLine({swim.EventNumber, member.MemberKey, member.Date, swim.EntryTime},
                            EntryFileName, line, error))
            return false;
        bytes += line;
    }
    return WriteRecord(bytes, false, error);
}

bool EntryFiles::Flush(QString *error)
{
    if (!m_open) {
        if (error)
            *error = QStringLiteral("The entry files are not open");
        return false;
    }
    SuspendFiles();
    if (!ResumeFiles(error))
        return false;
    return m_layout != EntryLayout::Entrant ||
           SaveControlRecord(QDir(m_dir).filePath(ControlFileName), m_nextNumber, error);
}

bool EntryFiles::Close(QString *error)
{
    if (!m_open)
        return true;
    SuspendFiles();
    m_open = false;
    return m_layout != EntryLayout::Entrant ||
           SaveControlRecord(QDir(m_dir).filePath(ControlFileName), m_nextNumber, error);
}

void EntryFiles::SuspendFiles()
{
    m_entries.close();
    m_cards.close();
}

bool EntryFiles::ResumeFiles(QString *error)
{
    if (OpenForAppend(error))
        return true;
    SuspendFiles();
    return false;
}

// ---- The gala parameter file ----

QStringList FamilyLines(const Core::GalaState &gala, ParamFamily family)
{
    QStringList lines;
    if (family == ParamFamily::Events) {
        for (const Core::GalaEvent &ev : gala.Events)
            lines << QStringLiteral("event=%1 %2 %3 %4 %5 ")
                         .arg(ev.EvNumber, ev.EvSex, ev.EvGroup, ev.EvDistance, ev.EvStroke);
    } else {
        for (const Core::GalaClub &club : gala.Clubs)
            lines << QStringLiteral("club=%1 %2").arg(club.Code, club.Name);
    }
    return lines;
}

bool RewriteParamFamily(const QString &paramFile, const QString &tmpIni, ParamFamily family,
                        const QStringList &newLines, QString *error)
{
    QByteArray original;
    if (!Core::ReadCappedFile(paramFile, MeetDb::MaxGalaFileSize,
                              QStringLiteral("a gala parameter file"), original, error))
        return false;
    const QByteArray prefix =
        family == ParamFamily::Events ? QByteArrayLiteral("event") : QByteArrayLiteral("club=");
    QByteArray copy;
    copy.reserve(original.size() + 64 * newLines.size());
    qsizetype pos = 0;
    while (pos < original.size()) {
        qsizetype end = original.indexOf('\n', pos);
        const qsizetype next = end < 0 ? original.size() : end + 1;
        if (end < 0)
            end = original.size();
        if (end > pos && original[end - 1] == '\r')
            --end;
        const QByteArrayView line(original.constData() + pos, end - pos);
        if (!line.startsWith(prefix) && !line.startsWith("End")) {
            copy.append(line);
            copy.append(LineEnd);
        }
        pos = next;
    }
    for (const QString &line : newLines)
        copy += line.toUtf8() + LineEnd;
    copy += QByteArrayLiteral("End=End") + LineEnd;

    QFile tmp(tmpIni);
    if (!tmp.open(QIODevice::WriteOnly | QIODevice::Truncate) || tmp.write(copy) != copy.size() ||
        !tmp.flush()) {
        if (error)
            *error = QStringLiteral("Cannot write %1: %2").arg(tmpIni, tmp.errorString());
        return false;
    }
    tmp.close();

    // Back from tmp.ini, as written to disk, in one replace of the parameter file.
    QByteArray back;
    if (!Core::ReadCappedFile(tmpIni, MeetDb::MaxGalaFileSize,
                              QStringLiteral("a gala parameter file"), back, error))
        return false;
    QSaveFile target(paramFile);
    if (!target.open(QIODevice::WriteOnly) || target.write(back) != back.size() ||
        !target.commit()) {
        if (error)
            *error = QStringLiteral("Cannot write %1: %2").arg(paramFile, target.errorString());
        return false;
    }
    return true;
}

bool RewriteEventLines(const Core::GalaState &gala, const QString &dir, QString *error)
{
    return RewriteParamFamily(gala.GalaParamFile, QDir(dir).filePath(TmpIniName),
                              ParamFamily::Events, FamilyLines(gala, ParamFamily::Events), error);
}

bool RewriteClubLines(const Core::GalaState &gala, const QString &dir, QString *error)
{
    return RewriteParamFamily(gala.GalaParamFile, QDir(dir).filePath(TmpIniName),
                              ParamFamily::Clubs, FamilyLines(gala, ParamFamily::Clubs), error);
}

} // namespace Entries
