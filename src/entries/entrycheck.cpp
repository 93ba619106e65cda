#include "entries/entrycheck.h"

#include <algorithm>

#include "core/galastate.h"
#include "core/textutil.h"
#include "core/timeutil.h"
#include "entries/agegroups.h"

namespace Entries {

namespace {

EntryFault Refuse(const QString &text, EntryField field, int swim = -1,
                  SwimRefusal refusal = SwimRefusal::None)
{
    return EntryFault{text, EntryQuestion::None, field, swim, refusal};
}

EntryFault Ask(EntryQuestion question, const QString &text, EntryField field)
{
    return EntryFault{text, question, field, -1};
}

bool IsMastersLetter(const QString &letter, bool junior)
{
    if (letter == u"0")
        return junior;
    return letter.size() == 1 && QStringLiteral("ABCDEFGHJKLMNOP").contains(letter);
}

const Core::GalaGroup *GroupNamed(const Core::GalaState &gala, const QString &name)
{
    const auto found =
        std::find_if(gala.Groups.cbegin(), gala.Groups.cend(),
                     [&name](const Core::GalaGroup &g) { return g.GroupName == name; });
    return found == gala.Groups.cend() ? nullptr : &*found;
}

// The fault of one swim, or none.
EntryFault CheckSwim(const Core::GalaState &gala, const EntrantToCheck &entrant, int index,
                     EntrySwimRecord &swim)
{
    if (swim.EventIndex < 0 || swim.EventIndex >= gala.EventCount())
        return Refuse(QStringLiteral("Event %1 is not an event of this meet").arg(swim.EventNumber),
                      EntryField::None, index, SwimRefusal::NoEvent);
    const Core::GalaEvent &event = gala.Events.at(swim.EventIndex);
    if (event.EvType == u"Final")
        return Refuse(
            QStringLiteral("Event %1 is a final, which takes no entries").arg(event.EvNumber),
            EntryField::None, index, SwimRefusal::Final);
    if (event.EvSex != entrant.Record.Sex)
        return Refuse(QStringLiteral("Event %1 is for sex %2, not %3")
                          .arg(event.EvNumber, event.EvSex, entrant.Record.Sex),
                      EntryField::None, index, SwimRefusal::WrongSex);
    if (entrant.Group >= 0 && entrant.Group < gala.GroupCount() &&
        event.EvGroup != gala.Groups.at(entrant.Group).GroupName)
        return Refuse(QStringLiteral("Event %1 is not in group %2")
                          .arg(event.EvNumber, gala.Groups.at(entrant.Group).GroupDescription),
                      EntryField::None, index, SwimRefusal::WrongGroup);

    // An "under n" group takes swimmers younger than n on the qualifying date; masters groups
    // go by the masters letter instead.
    const Core::GalaGroup *group = GroupNamed(gala, event.EvGroup);
    if (group && gala.GalaType != Core::GalaMasters && !entrant.Dob.trimmed().isEmpty() &&
        group->GroupDescription.startsWith(QLatin1String("U/")) && Core::IsDate(gala.QualDate)) {
        const int age = AgeOnQualDate(entrant.Dob, gala.QualDate);
        if (age >= Core::LeadingNumber(QStringView(group->GroupDescription).mid(2)))
            return Refuse(QStringLiteral("Age %1 on the qualifying date is too old for %2")
                              .arg(age)
                              .arg(group->GroupDescription),
                          EntryField::IntDob, index, SwimRefusal::TooOld);
    }

    if (entrant.TypedTimes) {
        const std::optional<QString> time = NormaliseTypedTime(swim.EntryTime);
        if (!time)
            return Refuse(InvalidTimeText, EntryField::EntryTime, index, SwimRefusal::InvalidTime);
        swim.EntryTime = *time;
    }
    return {};
}

} // namespace

std::optional<QString> NormaliseTypedTime(const QString &text)
{
    if (text.isEmpty())
        return QString();
    if (text.trimmed().compare(NtText, Qt::CaseInsensitive) == 0)
        return NtText;
    const std::optional<float> seconds = Core::TypedTimeToSeconds(text);
    if (!seconds)
        return std::nullopt;
    return Core::SecondsToTimeQuiet(*seconds);
}

QString StoredDate(const QString &text)
{
    const QDate date = Core::ParseDate(text);
    return date.isValid() ? date.toString(Qt::ISODate) : text;
}

QString EntryFileDate(const QString &text)
{
    const QDate date = Core::ParseDate(text);
    if (!date.isValid())
        return text;
    const QString shortForm = date.toString(QStringLiteral("dd/MM/yy"));
    return Core::ParseDate(shortForm) == date ? shortForm
                                              : date.toString(QStringLiteral("dd/MM/yyyy"));
}

QString AgeFieldKey(const QString &age)
{
    const QDate date = Core::ParseDate(age);
    return date.isValid() ? date.toString(Qt::ISODate) : age.trimmed().toLower();
}

bool SameAgeField(const QString &a, const QString &b)
{
    return AgeFieldKey(a) == AgeFieldKey(b);
}

QString DuplicateQuestion(const QString &name, int number)
{
    return QStringLiteral("%1 is already entered as number %2. Enter again?").arg(name).arg(number);
}

EntryFault CheckEntrant(const Core::GalaState &gala, EntrantToCheck &entrant,
                        const FindEntrantFn &findEntrant)
{
    EntrantRecord &record = entrant.Record;
    const QString name = record.FullName.isEmpty() ? record.Name : record.FullName;
    QString fault = Core::TextLimitFault(name, Core::MaxSwimmerNameLength,
                                         QStringLiteral("The swimmer's name"));
    if (!fault.isEmpty())
        return Refuse(fault, EntryField::FullName);

    const bool withClub = record.Kind != EntrantKind::Member;
    if (withClub) {
        record.Club = Core::ClubCode(record.Club);
        fault = Core::TextLimitFault(record.Club, Core::MaxClubCodeLength,
                                     QStringLiteral("The club code"));
        if (!fault.isEmpty())
            return Refuse(fault, EntryField::ClubName);
    }

    if (!entrant.Dob.trimmed().isEmpty() && !IsBirthDate(gala, entrant.Dob))
        return Refuse(DateInvalidText, EntryField::IntDob);
    // One spelling per date, so that every reader of the field sees the same date.
    if (record.Kind != EntrantKind::Relay)
        record.Age = StoredDate(record.Age);
    if (gala.GalaType == Core::GalaMasters && record.Kind == EntrantKind::Individual &&
        !record.Age.isEmpty() && !IsMastersLetter(record.Age, gala.Junior))
        return Refuse(QStringLiteral("\"%1\" is not a masters age group").arg(record.Age),
                      EntryField::IntDob);

    for (int i = 0; i < record.Swims.size(); ++i) {
        const EntryFault swimFault = CheckSwim(gala, entrant, i, record.Swims[i]);
        if (swimFault.IsFault())
            return swimFault;
    }

    if (withClub && !entrant.ClubConfirmed && gala.FindClub(record.Club) < 0)
        return Ask(EntryQuestion::UnknownClub, UnknownClubQuestion, EntryField::ClubName);
    if (record.Kind != EntrantKind::Relay && !entrant.DuplicateConfirmed && findEntrant) {
        const int number = findEntrant(record);
        if (number > 0)
            return Ask(EntryQuestion::Duplicate, DuplicateQuestion(name.trimmed(), number),
                       EntryField::FullName);
    }
    return {};
}

} // namespace Entries
