#pragma once

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
// The inverse of SurnameFirst for a key of two parts: "Brown Jane" becomes "Jane Brown".
QString ForenameFirst(const QString &key);
// Exactly `width` characters: a longer text is cut to width-1 characters and ">", a shorter one
// is padded with blanks.
QString PadToWidth(const QString &text, int width);

// Splits at each separator (a blank when `separator` is empty), dropping empty words, at most
// MaxWords words.
QStringList SplitWords(QStringView text, QStringView separator = {});

// True when the file can be opened for reading.
bool FileExists(const QString &path);

// True when `evNumber` equals the number of one of the loaded events (exact text comparison).
bool EventExists(const GalaState &gala, const QString &evNumber);

// Reads keyword lines ("keyword=value") from an open device. Comment lines (first character
// "#") are skipped, and the last line of the file is never returned, so a file that the system
// rewrites ends with "End=End". Lines are cut at MaxParamLineLength characters, so that a
// damaged or binary file is read in bounded time and memory.
class ParamLineReader
{
public:
    static constexpr qint64 MaxParamLineLength = 65536;

    explicit ParamLineReader(QIODevice &device);

    // Reads the next parameter line. Returns false at the end of the file, and for a line
    // without "=", after showing "Invalid Parameter".
    bool ReadParamLine(Prompts &prompts);

    QString ParamKeyword; // text before the first "=", not trimmed
    QString ParamValue;   // text after it, not trimmed
    QStringList Words;    // ParamValue split at blanks (WordCount = Words.size())
    int LineNumber = 0;   // 1-based number of the line last read, for messages

private:
    bool ReadRawLine(QString &line);

    QIODevice &m_device;
    QString m_pending;
    bool m_havePending = false;
};

} // namespace Core
