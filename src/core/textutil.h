#pragma once

#include <optional>

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

/*
 * Names, fixed-width columns, word lists and keyword lines.
 */
namespace Core {

class Prompts;
struct GalaState;

inline constexpr int MaxWords = 1000;

// The text before the first blank (trailing blanks removed); the whole text when it has none.
QString FirstWord(const QString &name);
// The text after the first blank (trailing blanks removed); the whole text when it has none.
QString AfterFirstWord(const QString &name);
// "Jane Ann Brown" becomes "Ann Brown Jane": the first word moves to the end. A name without a
// blank is unchanged. This key form is used for every look-up of a member by name.
QString SurnameFirst(const QString &name);
// A member key turned back forename first: the text after the first blank, a blank, then the
// text before it ("Brown Jane" becomes "Jane Brown"). For a key of two parts this undoes
// SurnameFirst; trailing blanks are removed and a key without a blank is unchanged.
QString ForenameFirst(const QString &key);
// Exactly `width` characters: a longer text is cut to width-1 characters and ">", a shorter one
// is padded with blanks. A width below 1 gives "".
QString PadToWidth(const QString &text, int width);

// Splits at each occurrence of `separator` (a blank when it is empty), dropping empty words.
// Words past MaxWords are not returned; the scan stops there, so a huge text costs no more.
QStringList SplitWords(QStringView text, QStringView separator = {});

// True when the file can be opened for reading; false for a folder, an empty path and any
// failure.
bool FileExists(const QString &path);

// The largest file the meet day reads whole: heat work files, finals files and entry files.
// A full meet writes well under a megabyte; a bigger file is damaged or of another kind, and
// reading it whole would hold up the meet desk for minutes and take gigabytes of memory.
inline constexpr qint64 MaxDayFileBytes = 4 * 1024 * 1024;

// Reads the file at `path` whole into `bytes`, reading no more than `maxBytes` + 1 bytes of it
// (so a file that grows, or a device, is bounded too). False when the file cannot be read or is
// longer than `maxBytes`, with `error` (when given) naming the file: "Cannot read <path>:
// <reason>" or "<path> is larger than 4 MB, too large for <what>".
bool ReadCappedFile(const QString &path, qint64 maxBytes, const QString &what, QByteArray &bytes,
                    QString *error);

// True when `evNumber` equals the number of one of the loaded events (exact text comparison);
// false when no events are loaded.
bool EventExists(const GalaState &gala, const QString &evNumber);

// Reads keyword lines ("keyword=value") from an open device. Comment lines (first character
// "#") are skipped, and the last line of the file is never returned, so a file that the system
// rewrites ends with "End=End". Lines end with LF or CR LF and are decoded as UTF-8 (bytes that
// are not UTF-8 become replacement characters). A line longer than MaxParamLineLength bytes is
// cut there and the rest of it skipped unread into memory, so that a damaged or binary file is
// read in bounded time and memory.
class ParamLineReader
{
public:
    static constexpr qint64 MaxParamLineLength = 65536;

    explicit ParamLineReader(QIODevice &device);

    // Reads the next parameter line. Returns false at the end of the file (a line is returned
    // only when another line, even a comment, follows it), and for a line without "=", after
    // showing "Invalid Parameter"; a blank line is such a line. After a false return from a line
    // without "=" the next call goes on with the following line.
    bool ReadParamLine(Prompts &prompts);

    QString ParamKeyword; // text before the first "=", not trimmed
    QString ParamValue;   // text after it, not trimmed
    QStringList Words;    // ParamValue split at blanks (WordCount = Words.size())
    int LineNumber = 0;   // 1-based physical number of the line last handed out, for messages

private:
    bool ReadRawLine(QString &line);
    bool NextLine(QString &line);

    QIODevice &m_device;
    QByteArray m_buffer; // the raw bytes of one line, reused
    QString m_pending;
    bool m_havePending = false;
    int m_physicalLines = 0;
};

// The longest texts the meet holds: longer ones come only from a mistake or a crafted file,
// and a huge one would make every list that shows it crawl.
inline constexpr int MaxSwimmerNameLength = 60;
inline constexpr int MaxClubCodeLength = 10;
inline constexpr int MaxMeetNameLength = 100;

// Why `text` cannot be kept as a text of at most `maxLength` characters: "is longer than 100
// characters" or "holds a control character" (NUL, a tab, a line end, DEL, C1 ...). "" when it
// can.
QString TextFault(QStringView text, int maxLength);

// The same, naming the text: "The swimmer's name is longer than 60 characters".
QString TextLimitFault(QStringView text, int maxLength, const QString &what);

// The text of a file made by hand or by a spreadsheet: UTF-8, or Latin-1 when the bytes are not
// UTF-8; a byte-order mark at the start is dropped.
QString DecodeTextFile(const QByteArray &bytes);

// Splits one CSV line into fields. A field may be quoted ("..."), with "" standing for a quote
// inside it and commas kept; text after a closing quote is not allowed. Returns std::nullopt with
// `error` set for an unclosed quote or text after one.
std::optional<QStringList> SplitCsvLine(QStringView line, QString *error);

} // namespace Core
