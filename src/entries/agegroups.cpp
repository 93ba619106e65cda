#include "entries/agegroups.h"

#include <algorithm>

#include "core/galastate.h"
#include "core/prompts.h"
#include "core/timeutil.h"

namespace Entries {

namespace {

const QString DateInvalid = QStringLiteral("Date is invalid");

// A date-of-birth box of blanks only is as good as empty: nothing was typed.
bool IsBlank(const QString &text)
{
    return text.trimmed().isEmpty();
}

// A number with a sign position in front: " 47" and "-3", as the Info lines print ages.
QString SignedNumber(int value)
{
    return value < 0 ? QString::number(value) : u' ' + QString::number(value);
}

// The checks every kind of meet makes on leaving the box: nothing to do for an empty box,
// "Date is invalid" for a text that is not a birth date. Returns true when the age is to be
// worked out.
bool DobToWorkOn(const Core::GalaState &gala, const QString &dob, Core::Prompts &prompts,
                 AgeResult &result)
{
    if (IsBlank(dob))
        return false;
    if (!IsBirthDate(gala, dob)) {
        prompts.Message(DateInvalid);
        result.Valid = false;
        return false;
    }
    return true;
}

} // namespace

bool IsBirthDate(const Core::GalaState &gala, const QString &dob)
{
    const QDate date = Core::ParseDate(dob);
    if (!date.isValid())
        return false;
    return gala.GalaType == Core::GalaMasters || date <= QDate::currentDate();
}

int AgeOnQualDate(const QString &birth, const QString &qualDate)
{
    return (Core::DateNumber(qualDate) - Core::DateNumber(birth)) / 10000;
}

double ExactAgeOnQualDate(const QString &birth, const QString &qualDate)
{
    return (Core::DateNumber(qualDate) - Core::DateNumber(birth)) / 10000.0;
}

int OpenAgeGroup(const Core::GalaState &gala, double age)
{
    for (int i = 0; i < gala.GroupCount(); ++i) {
        const QString &description = gala.Groups.at(i).GroupDescription;
        // A group that is not "under n" takes everyone left, which is why the stored order of
        // the groups decides: an "Open" listed first would take the youngest too.
        if (!description.startsWith(QLatin1String("U/")))
            return i;
        if (age < Core::LeadingNumber(QStringView(description).mid(2)))
            return i;
    }
    return -1;
}

AgeResult OpenMeetAge(const Core::GalaState &gala, const QString &dob, Core::Prompts &prompts)
{
    AgeResult result;
    if (!DobToWorkOn(gala, dob, prompts, result))
        return result;
    if (!gala.AgeGroups)
        return result;
    result.GroupIndex = OpenAgeGroup(gala, AgeOnQualDate(dob, gala.QualDate));
    if (result.GroupIndex < 0)
        prompts.Message(QStringLiteral("Out of age groups for this event"));
    return result;
}

int MastersAgeOnQualDate(const Core::GalaState &gala, const QString &dob, bool *corrected)
{
    const int qual = Core::DateNumber(gala.QualDate);
    const int birth = Core::DateNumber(dob);
    int age = (qual - birth) / 10000;
    if (corrected)
        *corrected = age < 0;
    if (age < 0) {
        // A two-digit year placed in the next century ("30" read as 2030 for a swimmer born in
        // 1930): a masters swimmer is never born after the meet, so take the year a hundred
        // years back with the same month and day.
        const int hundredBack = (birth / 10000 - 100) * 10000 + birth % 10000;
        age = (qual - hundredBack) / 10000;
    }
    return age;
}

QString MastersLetter(int age, bool junior)
{
    if (age < 19)
        return {};
    if (age < 25)
        return junior ? QStringLiteral("0") : QString();
    // Five-year bands from 25; "I" is skipped so it is never read as a one, and 95 and over
    // share the last band.
    static const QString letters = QStringLiteral("ABCDEFGHJKLMNOP");
    const int band = std::min((age - 25) / 5, int(letters.size()) - 1);
    return letters.at(band);
}

AgeResult MastersAge(const Core::GalaState &gala, const QString &dob, Core::Prompts &prompts)
{
    AgeResult result;
    if (!DobToWorkOn(gala, dob, prompts, result))
        return result;

    bool corrected = false;
    const int age = MastersAgeOnQualDate(gala, dob, &corrected);
    if (corrected)
        prompts.Message(QStringLiteral("Check age!"));

    result.Info = QStringLiteral("Age on ") + Core::DateToDdMmmYy(gala.QualDate) +
                  QStringLiteral(" = ") + SignedNumber(age) + QStringLiteral(" Years");

    result.MastersGroup = MastersLetter(age, gala.Junior);
    if (result.MastersGroup.isEmpty()) {
        // Clearing the date keeps a refused swimmer from being recorded with it.
        prompts.Message(age < 19 ? QStringLiteral("Too Young for Event")
                                 : QStringLiteral("Too Young for Masters"));
        result.ClearDob = true;
    }
    return result;
}

int MemberAgeGroup(const Core::GalaState &gala, const QString &memberDob)
{
    if (!gala.AgeGroups || IsBlank(memberDob) || !Core::IsDate(memberDob))
        return -1;
    // Every "U/" limit is whole, so the unrounded age picks the same group as whole years.
    return OpenAgeGroup(gala, ExactAgeOnQualDate(memberDob, gala.QualDate));
}

AgeResult DobLeft(const Core::GalaState &gala, const QString &dob, Core::Prompts &prompts)
{
    if (gala.GalaType == Core::GalaOpen)
        return OpenMeetAge(gala, dob, prompts);
    if (gala.GalaType == Core::GalaMasters)
        return MastersAge(gala, dob, prompts);
    AgeResult result;
    if (!IsBlank(dob) && !IsBirthDate(gala, dob)) {
        prompts.Message(DateInvalid);
        result.Valid = false;
    }
    return result;
}

} // namespace Entries
