// The time and date helpers on any text: the first line of the input is the text, the second a
// reference date for ages. Besides not crashing, each helper must keep its own promises: a time
// it shows reads back as the same time, and a date it writes is a date.

#include <cmath>

#include <QDate>
#include <QString>

#include "core/captureprompts.h"
#include "core/timeutil.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString input = QString::fromUtf8(Fuzz::Bytes(data, size));
    const qsizetype lineEnd = input.indexOf(u'\n');
    const QString text = lineEnd < 0 ? input : input.first(lineEnd);
    const QString reference = lineEnd < 0 ? QString() : input.sliced(lineEnd + 1);
    Core::CapturePrompts prompts;
    prompts.YesAnswer = size % 2 == 1;

    Core::LeadingNumber(text);

    // A time typed into an entry box is shown in its stored form, which reads back exactly.
    if (const std::optional<float> typed = Core::TypedTimeToSeconds(text)) {
        Fuzz::Check(*typed > 0 && *typed <= 3600, "a typed time outside (0, 3600]");
        const QString shown = Core::SecondsToTimeQuiet(*typed);
        Fuzz::Check(Core::TypedTimeToSeconds(shown) == typed, "a typed time does not read back");
    }

    // A time read from a file, once shown, is a time an official could type, within rounding.
    const float seconds = Core::TimeToSeconds(text);
    const QString shown = Core::SecondsToTimeQuiet(seconds);
    Fuzz::Check(shown == Core::SecondsToTime(seconds, prompts), "the two time formats differ");
    if (!shown.isEmpty()) {
        const std::optional<float> again = Core::TypedTimeToSeconds(shown);
        Fuzz::Check(again.has_value(), "a shown time cannot be typed back");
        Fuzz::Check(std::fabs(*again - seconds) <= 0.0051f, "a shown time is not the time");
    }

    const QDate date = Core::ParseDate(text);
    Fuzz::Check(!date.isValid() || (date.year() >= 1 && date.year() <= 9999),
                "a date outside years 1 to 9999");
    Fuzz::Check(Core::IsDate(text) == date.isValid(), "IsDate and ParseDate differ");
    const int number = Core::DateNumber(text);
    Fuzz::Check(number ==
                    (date.isValid() ? date.year() * 10000 + date.month() * 100 + date.day() : 0),
                "DateNumber is not the parsed date");
    const QString normal = Core::NormaliseDate(text, prompts);
    Fuzz::Check(normal.isEmpty() || (normal.size() == 8 && Core::IsDate(normal)),
                "a normalised date is not a dd/mm/yy date");
    Fuzz::Check(Core::DateToDdMmmYy(text).size() == 7, "a ddmmmyy text not of seven characters");
    // A birth on or before the reference date gives a completed age, never the question.
    const int age = Core::AgeOnDate(reference, text, prompts);
    const QDate on = Core::ParseDate(reference);
    if (date.isValid() && on.isValid() && date <= on && !text.trimmed().isEmpty())
        Fuzz::Check(age >= 0, "a birth before the reference date gives no age");
    return 0;
}
