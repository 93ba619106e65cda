#include "meetdb/sqltext.h"

namespace MeetDb {

namespace {

enum class Span { Blank, Comment, Text, Name, Word, Placeholder, Other };

// SQLite's own blanks; any other character outside the ASCII range belongs to a word.
bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r';
}

bool IsWordChar(QChar c)
{
    return c.unicode() >= 0x80 || c == u'_' || c == u'$' || (c >= u'0' && c <= u'9') ||
           (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// The end of the quoted span that starts at `begin`: after the closing `close`, a doubled one
// standing for itself (except in brackets); the end of the text when it is never closed.
qsizetype QuoteEnd(const QString &sql, qsizetype begin, QChar close)
{
    for (qsizetype i = begin + 1; i < sql.size(); ++i) {
        if (sql.at(i) != close)
            continue;
        if (close != u']' && i + 1 < sql.size() && sql.at(i + 1) == close) {
            ++i;
            continue;
        }
        return i + 1;
    }
    return sql.size();
}

// The kind of the span that starts at `begin`; `end` receives where it ends.
Span NextSpan(const QString &sql, qsizetype begin, qsizetype &end)
{
    const qsizetype size = sql.size();
    const QChar c = sql.at(begin);
    const QChar next = begin + 1 < size ? sql.at(begin + 1) : QChar();
    if (IsBlank(c)) {
        for (end = begin + 1; end < size && IsBlank(sql.at(end));)
            ++end;
        return Span::Blank;
    }
    if (c == u'-' && next == u'-') {
        end = sql.indexOf(u'\n', begin);
        end = end < 0 ? size : end + 1;
        return Span::Comment;
    }
    if (c == u'/' && next == u'*') {
        end = sql.indexOf(QStringLiteral("*/"), begin + 2);
        end = end < 0 ? size : end + 2;
        return Span::Comment;
    }
    if (c == u'\'') {
        end = QuoteEnd(sql, begin, c);
        return Span::Text;
    }
    if (c == u'"' || c == u'`' || c == u'[') {
        end = QuoteEnd(sql, begin, c == u'[' ? QChar(u']') : c);
        return Span::Name;
    }
    if (c == u'{') {
        end = sql.indexOf(u'}', begin + 1);
        end = end < 0 ? size : end + 1;
        return Span::Placeholder;
    }
    if (IsWordChar(c)) {
        for (end = begin + 1; end < size && IsWordChar(sql.at(end));)
            ++end;
        return Span::Word;
    }
    // An operator of two characters ("<>", "||") is one token, as SQLite reads it.
    static const QString operatorChars = QStringLiteral("<>=!|");
    for (end = begin + 1; end < size && end - begin < 2 && operatorChars.contains(c) &&
                          operatorChars.contains(sql.at(end));)
        ++end;
    return Span::Other;
}

// A quoted name without its quotes, doubled quotes made single.
QString Unquoted(QStringView quoted)
{
    const QChar open = quoted.front();
    const QChar close = open == u'[' ? QChar(u']') : open;
    QStringView inner = quoted.mid(1);
    if (inner.endsWith(close))
        inner.chop(1);
    QString name = inner.toString();
    if (open != u'[')
        name.replace(QString(2, close), QString(close));
    return name;
}

// SQLite matches names without regard to the case of ASCII letters only.
QString AsciiLower(QStringView text)
{
    QString lower = text.toString();
    for (QChar &c : lower) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return lower;
}

bool IsPlainWord(const QString &name)
{
    if (name.isEmpty() || (name.front() >= u'0' && name.front() <= u'9'))
        return false;
    for (QChar c : name) {
        if (!IsWordChar(c))
            return false;
    }
    return true;
}

} // namespace

QString WithoutComments(const QString &sql)
{
    QString out;
    out.reserve(sql.size());
    qsizetype end = 0;
    for (qsizetype i = 0; i < sql.size(); i = end) {
        if (NextSpan(sql, i, end) == Span::Comment)
            out += u' ';
        else
            out += QStringView(sql).sliced(i, end - i);
    }
    while (!out.isEmpty() && (IsBlank(out.back()) || out.back() == u';'))
        out.chop(1);
    return out;
}

QStringList SqlTokens(const QString &sql)
{
    QStringList tokens;
    qsizetype end = 0;
    for (qsizetype i = 0; i < sql.size(); i = end) {
        const Span span = NextSpan(sql, i, end);
        const QStringView text = QStringView(sql).sliced(i, end - i);
        switch (span) {
        case Span::Blank:
        case Span::Comment:
            break;
        case Span::Name: {
            const QString name = AsciiLower(Unquoted(text));
            tokens << (IsPlainWord(name) ? name : u'"' + name + u'"');
            break;
        }
        case Span::Word:
            tokens << AsciiLower(text);
            break;
        default:
            tokens << text.toString();
        }
    }
    return tokens;
}

QString JoinTokens(const QStringList &tokens)
{
    QString text;
    for (const QString &token : tokens) {
        if (!text.isEmpty() && !text.endsWith(u'(') && token != u"," && token != u")")
            text += u' ';
        text += token;
    }
    return text;
}

} // namespace MeetDb
