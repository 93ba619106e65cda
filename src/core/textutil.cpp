#include "textutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include "core/galastate.h"
#include "core/prompts.h"

namespace Core {

namespace {

// Only blanks are trimmed: names come from fixed-width fields padded with blanks, and a tab in a
// name is data.
QStringView WithoutTrailingBlanks(QStringView text)
{
    qsizetype n = text.size();
    while (n > 0 && text[n - 1] == u' ')
        --n;
    return text.first(n);
}

// Swaps the parts before and after the first blank; a text without a blank is returned as it is.
QString SwapAtFirstBlank(const QString &text)
{
    const QStringView trimmed = WithoutTrailingBlanks(text);
    const qsizetype blank = trimmed.indexOf(u' ');
    if (blank < 0)
        return trimmed.toString();
    QString swapped;
    swapped.reserve(trimmed.size());
    swapped.append(trimmed.sliced(blank + 1)).append(u' ').append(trimmed.first(blank));
    return swapped;
}

} // namespace

QString FirstWord(const QString &name)
{
    const QStringView trimmed = WithoutTrailingBlanks(name);
    const qsizetype blank = trimmed.indexOf(u' ');
    return (blank < 0 ? trimmed : trimmed.first(blank)).toString();
}

QString AfterFirstWord(const QString &name)
{
    const QStringView trimmed = WithoutTrailingBlanks(name);
    const qsizetype blank = trimmed.indexOf(u' ');
    return (blank < 0 ? trimmed : trimmed.sliced(blank + 1)).toString();
}

QString SurnameFirst(const QString &name)
{
    return SwapAtFirstBlank(name);
}

QString ForenameFirst(const QString &key)
{
    return SwapAtFirstBlank(key);
}

QString PadToWidth(const QString &text, int width)
{
    if (width <= 0)
        return {};
    if (text.size() > width)
        return text.first(width - 1) + u'>';
    return text.leftJustified(width, u' ');
}

QStringList SplitWords(QStringView text, QStringView separator)
{
    if (separator.isEmpty())
        separator = u" ";
    QStringList words;
    qsizetype start = 0;
    while (words.size() < MaxWords) {
        const qsizetype found = text.indexOf(separator, start);
        const qsizetype end = found < 0 ? text.size() : found;
        if (end > start)
            words.append(text.sliced(start, end - start).toString());
        if (found < 0)
            break;
        start = found + separator.size();
    }
    return words;
}

bool FileExists(const QString &path)
{
    if (path.isEmpty() || QFileInfo(path).isDir())
        return false;
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

bool ReadCappedFile(const QString &path, qint64 maxBytes, const QString &what, QByteArray &bytes,
                    QString *error)
{
    bytes.clear();
    const QString name = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Cannot read %1: %2").arg(name, file.errorString());
        return false;
    }
    bytes = file.read(maxBytes + 1);
    if (bytes.size() > maxBytes) {
        bytes.clear();
        if (error)
            *error = QStringLiteral("%1 is larger than %2 MB, too large for %3")
                         .arg(name)
                         .arg(maxBytes / (1024 * 1024))
                         .arg(what);
        return false;
    }
    return true;
}

bool EventExists(const GalaState &gala, const QString &evNumber)
{
    for (const GalaEvent &event : gala.Events) {
        if (event.EvNumber == evNumber)
            return true;
    }
    return false;
}

ParamLineReader::ParamLineReader(QIODevice &device)
    : m_device(device)
{}

bool ParamLineReader::ReadRawLine(QString &line)
{
    // readLine() gives at most size - 1 bytes: one byte more than a line may keep is asked for,
    // so that an over-long line shows itself by its length. The buffer is the reader's own and
    // reused, so a line costs no allocation of the full length.
    constexpr qint64 bufferSize = MaxParamLineLength + 2;
    if (m_buffer.size() != bufferSize)
        m_buffer.resize(bufferSize);
    char *data = m_buffer.data();
    qint64 length = m_device.readLine(data, bufferSize);
    if (length <= 0)
        return false;
    ++m_physicalLines;
    if (data[length - 1] != '\n' && length > MaxParamLineLength) {
        // The rest of an over-long line is read and dropped chunk by chunk after the kept part.
        length = MaxParamLineLength;
        QByteArray rest(4096, Qt::Uninitialized);
        for (;;) {
            const qint64 got = m_device.readLine(rest.data(), rest.size());
            if (got <= 0 || rest[got - 1] == '\n')
                break;
        }
    }
    if (length > 0 && data[length - 1] == '\n')
        --length;
    if (length > 0 && data[length - 1] == '\r')
        --length;
    line = QString::fromUtf8(data, length);
    return true;
}

bool ParamLineReader::NextLine(QString &line)
{
    // A line read ahead is always the last physical line read, so its number is the count.
    if (m_havePending) {
        line = std::move(m_pending);
        m_pending.clear();
        m_havePending = false;
    } else if (!ReadRawLine(line)) {
        return false;
    }
    LineNumber = m_physicalLines;
    return true;
}

bool ParamLineReader::ReadParamLine(Prompts &prompts)
{
    QString line;
    do {
        if (!NextLine(line))
            return false;
    } while (line.startsWith(u'#'));

    // The last line of a file is never a parameter: look one line ahead. The line read ahead is
    // kept for the next call.
    if (!m_havePending) {
        if (!ReadRawLine(m_pending))
            return false;
        m_havePending = true;
    }

    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0) {
        prompts.Message(QStringLiteral("Invalid Parameter"));
        return false;
    }
    ParamKeyword = line.first(equals);
    ParamValue = line.sliced(equals + 1);
    Words = SplitWords(ParamValue);
    return true;
}

QString TextFault(QStringView text, int maxLength)
{
    if (text.size() > maxLength)
        return QStringLiteral("is longer than %1 characters").arg(maxLength);
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("holds a control character");
    }
    return {};
}

QString TextLimitFault(QStringView text, int maxLength, const QString &what)
{
    const QString fault = TextFault(text, maxLength);
    return fault.isEmpty() ? fault : what + u' ' + fault;
}

QString DecodeTextFile(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

std::optional<QStringList> SplitCsvLine(QStringView line, QString *error)
{
    QStringList fields;
    QString field;
    qsizetype i = 0;
    const qsizetype size = line.size();
    const auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return std::nullopt;
    };
    while (true) {
        field.clear();
        if (i < size && line.at(i) == u'"') {
            ++i;
            while (true) {
                if (i >= size)
                    return fail(QStringLiteral("a quoted field is not closed"));
                if (line.at(i) == u'"') {
                    if (i + 1 < size && line.at(i + 1) == u'"') {
                        field += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line.at(i++);
            }
            if (i < size && line.at(i) != u',')
                return fail(QStringLiteral("text after the closing quote of field %1")
                                .arg(fields.size() + 1));
        } else {
            const qsizetype comma = line.indexOf(u',', i);
            const qsizetype end = comma < 0 ? size : comma;
            field = line.mid(i, end - i).toString();
            i = end;
        }
        fields << field;
        if (i >= size)
            return fields;
        ++i; // the comma
    }
}

} // namespace Core
