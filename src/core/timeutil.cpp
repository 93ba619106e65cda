#include "timeutil.h"

#include <array>
#include <cfloat>
#include <cmath>
#include <ctime>

#include "core/prompts.h"

namespace Core {

namespace {

constexpr std::array<const char *, 12> MonthNames = {
    "january", "february", "march",     "april",   "may",      "june",
    "july",    "august",   "september", "october", "november", "december"};
constexpr std::array<char16_t, 36> MonthAbbrev = {
    u'J', u'a', u'n', u'F', u'e', u'b', u'M', u'a', u'r', u'A', u'p', u'r',
    u'M', u'a', u'y', u'J', u'u', u'n', u'J', u'u', u'l', u'A', u'u', u'g',
    u'S', u'e', u'p', u'O', u'c', u't', u'N', u'o', u'v', u'D', u'e', u'c'};

constexpr std::array<double, 19> PowersOfTen = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,
                                                1e7,  1e8,  1e9,  1e10, 1e11, 1e12, 1e13,
                                                1e14, 1e15, 1e16, 1e17, 1e18};

bool IsAsciiDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

bool IsAsciiLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}

char16_t Lower(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') ? char16_t(u + (u'a' - u'A')) : u;
}

// The value of a run of ASCII digits (at most 4 are ever passed).
int DigitsValue(QStringView digits)
{
    int value = 0;
    for (QChar c : digits)
        value = value * 10 + (c.unicode() - u'0');
    return value;
}

// The month (1..12) named by an English name or a prefix of it of at least three letters
// ("Mar", "marc", "MARCH"); 0 for anything else.
int MonthFromName(QStringView name)
{
    if (name.size() < 3 || name.size() > 9)
        return 0;
    for (int m = 0; m < 12; ++m) {
        const char *full = MonthNames[m];
        qsizetype i = 0;
        while (i < name.size() && full[i] != '\0' && Lower(name[i]) == char16_t(full[i]))
            ++i;
        if (i == name.size())
            return m + 1;
    }
    return 0;
}

// QDate::currentDate() costs microseconds (it converts to local time), which would dominate the
// reading of a whole entry file of dates. The year is looked up again after a minute at most.
int ThisYear()
{
    thread_local std::time_t checkedAt = 0;
    thread_local int year = 0;
    const std::time_t now = std::time(nullptr);
    if (year == 0 || now < checkedAt || now - checkedAt >= 60) {
        year = QDate::currentDate().year();
        checkedAt = now;
    }
    return year;
}

// A two-digit year falls in the hundred years that end ten years after the current year.
int WindowYear(int twoDigits, int currentYear)
{
    if (currentYear == 0)
        currentYear = ThisYear();
    const int last = currentYear + 10;
    int year = (last / 100) * 100 + twoDigits;
    if (year > last)
        year -= 100;
    return year;
}

int YearFromDigits(QStringView digits, int currentYear)
{
    if (digits.size() <= 2)
        return WindowYear(DigitsValue(digits), currentYear);
    if (digits.size() == 4)
        return DigitsValue(digits);
    return 0; // three digits: no year we could place
}

int MonthFromToken(QStringView token, bool digits)
{
    if (!digits)
        return MonthFromName(token);
    return token.size() <= 2 ? DigitsValue(token) : 0;
}

struct DateToken
{
    QStringView Text;
    bool Digits = false;
};

bool IsDateSeparator(QChar c)
{
    switch (c.unicode()) {
    case u' ':
    case u'\t':
    case u'/':
    case u'-':
    case u'.':
    case u',':
    case u'\'':
        return true;
    default:
        return false;
    }
}

// Cuts a date text into runs of digits and runs of letters, so that "5/3/10", "5 Mar 2010" and
// the compact "05Mar10" all give three tokens. Returns the number of tokens, or -1 when the text
// holds a character that has no place in a date or more than three tokens.
int TokeniseDate(QStringView text, std::array<DateToken, 3> &tokens)
{
    int count = 0;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const QChar c = text[i];
        if (IsDateSeparator(c)) {
            ++i;
            continue;
        }
        const bool digits = IsAsciiDigit(c);
        if (!digits && !IsAsciiLetter(c))
            return -1;
        const qsizetype start = i;
        while (i < n && (digits ? IsAsciiDigit(text[i]) : IsAsciiLetter(text[i])))
            ++i;
        if (count == 3 || i - start > 9)
            return -1;
        tokens[count++] = DateToken{text.mid(start, i - start), digits};
    }
    return count;
}

QDate MakeDate(int year, int month, int day)
{
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > 31)
        return {};
    return QDate(year, month, day); // invalid for 31/02 and the like
}

// The compact "ddmmmyy" form: two digits, three letters, two digits, nothing else.
QDate ParseCompactDate(QStringView text, int currentYear)
{
    if (text.size() != 7 || !IsAsciiDigit(text[0]) || !IsAsciiDigit(text[1]) ||
        !IsAsciiDigit(text[5]) || !IsAsciiDigit(text[6]))
        return {};
    for (int i = 2; i < 5; ++i) {
        if (!IsAsciiLetter(text[i]))
            return {};
    }
    const int month = MonthFromName(text.mid(2, 3));
    return MakeDate(WindowYear(DigitsValue(text.mid(5, 2)), currentYear), month,
                    DigitsValue(text.first(2)));
}

QString FromUtf16(const char16_t *buffer, qsizetype length)
{
    return QString(reinterpret_cast<const QChar *>(buffer), length);
}

void PutTwoDigits(char16_t *out, int value)
{
    out[0] = char16_t(u'0' + value / 10);
    out[1] = char16_t(u'0' + value % 10);
}

// Hundredths of a second (1..360000) as "m:ss.hh", or "ss.hh" below a minute.
QString FormatHundredths(qint64 hundredths)
{
    const int minutes = int(hundredths / 6000);
    const int rest = int(hundredths % 6000);
    char16_t buffer[8];
    qsizetype n = 0;
    if (minutes > 0) {
        if (minutes >= 10)
            buffer[n++] = char16_t(u'0' + minutes / 10);
        buffer[n++] = char16_t(u'0' + minutes % 10);
        buffer[n++] = u':';
    }
    PutTwoDigits(buffer + n, rest / 100);
    n += 2;
    buffer[n++] = u'.';
    PutTwoDigits(buffer + n, rest % 100);
    n += 2;
    return FromUtf16(buffer, n);
}

bool IsValidTime(float seconds)
{
    return seconds >= 0.0f && seconds <= 3600.0f; // false for NaN as well
}

} // namespace

double LeadingNumber(QStringView text)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    double value = 0;
    for (; i < n && IsAsciiDigit(text[i]); ++i)
        value = value * 10 + (text[i].unicode() - u'0');
    if (i < n && text[i] == u'.') {
        // Up to 18 decimals are taken as one integer and scaled once, so that "65.3" is the
        // nearest double to 65.3; further decimals cannot change a swim time.
        quint64 fraction = 0;
        int places = 0;
        for (++i; i < n && IsAsciiDigit(text[i]); ++i) {
            if (places < 18) {
                fraction = fraction * 10 + (text[i].unicode() - u'0');
                ++places;
            }
        }
        value += double(fraction) / PowersOfTen[places];
    }
    return negative ? -value : value;
}

std::optional<float> TypedTimeToSeconds(QStringView text)
{
    text = text.trimmed();
    // Reads a run of 1 to `most` digits at `at`; -1 when there is none or it is longer.
    const auto digits = [&text](qsizetype &at, int most) {
        int value = 0;
        const qsizetype start = at;
        while (at < text.size() && IsAsciiDigit(text[at]) && at - start < most)
            value = value * 10 + (text[at++].unicode() - u'0');
        const bool more = at < text.size() && IsAsciiDigit(text[at]);
        return at == start || more ? -1 : value;
    };
    qsizetype at = 0;
    int minutes = 0;
    int seconds = digits(at, 4);
    if (seconds < 0)
        return std::nullopt;
    if (at < text.size() && text[at] == u':') {
        ++at;
        minutes = seconds;
        seconds = digits(at, 2);
        if (seconds < 0 || seconds >= 60 || minutes > 60)
            return std::nullopt;
    }
    int hundredths = 0;
    if (at < text.size() && text[at] == u'.') {
        ++at;
        const qsizetype start = at;
        hundredths = digits(at, 2);
        if (hundredths < 0)
            return std::nullopt;
        if (at - start == 1)
            hundredths *= 10;
    }
    if (at != text.size())
        return std::nullopt;
    const int total = (minutes * 60 + seconds) * 100 + hundredths;
    if (total <= 0 || total > 3600 * 100)
        return std::nullopt;
    return float(total / 100.0);
}

float TimeToSeconds(QStringView text)
{
    qsizetype p = text.indexOf(u':');
    if (p < 0)
        p = text.indexOf(u';');
    if (p < 0)
        p = text.indexOf(u'-');
    if (p < 0) {
        // A single point is the decimal point of plain seconds; only a second one makes the
        // first a minutes separator ("1.05.30").
        p = text.indexOf(u'.');
        if (p >= 0 && text.indexOf(u'.', p + 1) < 0)
            p = -1;
    }
    const double seconds =
        p < 0 ? LeadingNumber(text)
              : LeadingNumber(text.first(p)) * 60 + LeadingNumber(text.sliced(p + 1));
    // A run of hundreds of digits overflows the double; keep the float conversion defined.
    if (std::isnan(seconds))
        return 0;
    if (seconds > FLT_MAX)
        return HUGE_VALF;
    if (seconds < -FLT_MAX)
        return -HUGE_VALF;
    return float(seconds);
}

QString SecondsToTimeQuiet(float seconds)
{
    if (!IsValidTime(seconds))
        return {};
    // Rounding to hundredths comes before the split into minutes, so that 119.999 becomes
    // "2:00.00" and never "1:60.00". A time that rounds to nothing is no time: "00.00" would
    // read back as 0 and could not be typed.
    const qint64 hundredths = std::llround(double(seconds) * 100.0);
    if (hundredths == 0)
        return {};
    return FormatHundredths(hundredths);
}

QString SecondsToTime(float seconds, Prompts &prompts)
{
    if (!IsValidTime(seconds)) {
        prompts.Message(QStringLiteral("Invalid Time"));
        return {};
    }
    return SecondsToTimeQuiet(seconds);
}

QDate ParseDate(QStringView text, int currentYear)
{
    std::array<DateToken, 3> tokens;
    if (TokeniseDate(text, tokens) != 3)
        return {};
    const DateToken &first = tokens[0];
    const DateToken &second = tokens[1];
    const DateToken &third = tokens[2];
    if (!first.Digits || !third.Digits)
        return {};
    // Year first ("2010-03-05") is taken as well: it is how a database hands a date over as text.
    if (first.Text.size() == 4 && third.Text.size() <= 2)
        return MakeDate(DigitsValue(first.Text), MonthFromToken(second.Text, second.Digits),
                        DigitsValue(third.Text));
    if (first.Text.size() > 2)
        return {};
    return MakeDate(YearFromDigits(third.Text, currentYear),
                    MonthFromToken(second.Text, second.Digits), DigitsValue(first.Text));
}

bool IsDate(QStringView text)
{
    return ParseDate(text).isValid();
}

QString NormaliseDate(const QString &text, Prompts &prompts)
{
    // Seven characters without "/" or "'" are the compact form of the entry forms ("05Mar10");
    // the day-first reading would also take "5-03-10", but that spelling never comes from them.
    const bool compact = text.size() == 7 && !text.contains(u'/') && !text.contains(u'\'');
    const QDate date = compact ? ParseCompactDate(text, 0) : ParseDate(text);
    if (!date.isValid()) {
        prompts.Message(QStringLiteral("Invalid Date"));
        return {};
    }
    char16_t buffer[8];
    PutTwoDigits(buffer, date.day());
    buffer[2] = u'/';
    PutTwoDigits(buffer + 3, date.month());
    buffer[5] = u'/';
    PutTwoDigits(buffer + 6, date.year() % 100);
    return FromUtf16(buffer, 8);
}

QString DateToDdMmmYy(const QString &text)
{
    const QString blanks(7, u' ');
    char16_t buffer[7];
    if (text.contains(u'/')) {
        const QDate date = ParseDate(text);
        if (!date.isValid())
            return blanks;
        PutTwoDigits(buffer, date.day());
        PutTwoDigits(buffer + 5, date.year() % 100);
        for (int i = 0; i < 3; ++i)
            buffer[2 + i] = MonthAbbrev[(date.month() - 1) * 3 + i];
        return FromUtf16(buffer, 7);
    }
    // The six-digit "ddmmyy" typed on the entry form. Besides the month, the day digits must be
    // 1 to 31; the year digits are not checked, since "00" and "45" are good years. A day such as
    // 31 in a 30-day month still passes: this only reformats, it does not validate a calendar.
    if (text.size() != 6)
        return blanks;
    for (QChar c : text) {
        if (!IsAsciiDigit(c))
            return blanks;
    }
    const int day = DigitsValue(QStringView(text).first(2));
    const int month = DigitsValue(QStringView(text).sliced(2, 2));
    if (day < 1 || day > 31 || month < 1 || month > 12)
        return blanks;
    buffer[0] = text[0].unicode();
    buffer[1] = text[1].unicode();
    for (int i = 0; i < 3; ++i)
        buffer[2 + i] = MonthAbbrev[(month - 1) * 3 + i];
    buffer[5] = text[4].unicode();
    buffer[6] = text[5].unicode();
    return FromUtf16(buffer, 7);
}

int DateNumber(QStringView text)
{
    const QDate date = ParseDate(text);
    return date.isValid() ? date.year() * 10000 + date.month() * 100 + date.day() : 0;
}

int AgeOnDate(const QString &reference, const QString &birth, Prompts &prompts)
{
    if (birth.trimmed().isEmpty())
        return 100;
    // The difference of the yyyymmdd numbers, in ten-thousands, is the number of completed
    // years: the birthday itself counts, the day before it does not.
    int age = (DateNumber(reference) - DateNumber(birth)) / 10000;
    if (age < 0) {
        age += 100;
        if (!prompts.AskYesNo(QStringLiteral("Confirm age:") + u' ' + QString::number(age)))
            return -1;
    }
    return age;
}

} // namespace Core
