// The in-memory member name index: sorted insertion and the look-ups the entry window makes
// while a name is typed.

#include <algorithm>

#include "core/prompts.h"
#include "members/memberdb.h"

namespace Members {

namespace {

// Splits typed text or a key at its first blank into surname and forename parts; each part
// loses its trailing blanks. Without a blank everything is the surname.
void SplitName(const QString &text, QString &surname, QString &forename)
{
    const qsizetype blank = text.indexOf(u' ');
    if (blank < 0) {
        surname = text;
        forename.clear();
    } else {
        surname = text.left(blank);
        forename = text.mid(blank + 1);
    }
    while (surname.endsWith(u' '))
        surname.chop(1);
    while (forename.endsWith(u' '))
        forename.chop(1);
}

} // namespace

QString MemberKey(const QString &surname, const QString &forename)
{
    QString key = surname + u' ' + forename;
    while (key.endsWith(u' '))
        key.chop(1);
    return key;
}

MemberIndex::MemberIndex(int capacity)
    : m_capacity(std::max(capacity, 0))
{}

void MemberIndex::SetCapacity(int capacity)
{
    m_capacity = std::max(capacity, Count());
}

void MemberIndex::Clear()
{
    m_keys.clear();
    m_ids.clear();
    m_collisions.clear();
}

// One narrowing step halves lo..hi at mid = lo + (hi - lo) / 2 rounded to the nearest whole
// number, a half going to the even neighbour: 1..4 gives 2, 2..5 gives 4. The entry at mid
// then moves lo up when it sorts at or before the key, else hi down. Stopping while fewer than
// five entries span the range leaves a short stretch for the callers to scan; the key's place
// always lies within lo..hi.
void MemberIndex::Narrow(const QString &key, int &lo, int &hi) const
{
    while (hi - lo >= 5) {
        const int sum = lo + hi; // twice lo + (hi - lo) / 2
        int mid = sum / 2;
        if (sum % 2 != 0 && mid % 2 != 0)
            ++mid;
        if (m_keys.at(mid - 1) <= key)
            lo = mid;
        else
            hi = mid;
    }
}

bool MemberIndex::InsertIndexEntry(const QString &key, int recordId, Core::Prompts &prompts)
{
    if (Count() + 1 > m_capacity) {
        prompts.Message(QStringLiteral("Index Full"));
        return true;
    }
    if (m_keys.isEmpty() || key > m_keys.constLast()) {
        m_keys.append(key);
        m_ids.append(recordId);
        return true;
    }

    prompts.ShowStatus(QStringLiteral("Out of sequence : ") + u'\n' + key);
    int lo = 1;
    int hi = Count();
    Narrow(key, lo, hi);
    int position = 0;
    for (int i = lo; i <= hi; ++i) {
        const QString &entry = m_keys.at(i - 1);
        if (entry == key) {
            prompts.Message(key + QStringLiteral("Duplicate Entry !! "));
            return false;
        }
        if (entry > key) {
            position = i;
            break;
        }
    }
    if (position == 0) {
        prompts.Message(key + QStringLiteral("Can't resolve index !! "));
        return false;
    }
    m_keys.insert(position - 1, key);
    m_ids.insert(position - 1, recordId);
    return true;
}

int MemberIndex::FindIndexEntry(const QString &key, int mode) const
{
    if (m_keys.isEmpty())
        return 0;
    int lo = 1;
    int hi = Count();
    Narrow(key, lo, hi);
    int found = 0;
    for (int i = lo; i <= hi; ++i) {
        const QString &entry = m_keys.at(i - 1);
        if (mode == 0 ? entry == key : entry.contains(key))
            found = i;
    }
    return found;
}

QString MemberIndex::CompleteMemberName(const QString &typed) const
{
    QString typedSurname, typedForename;
    SplitName(typed, typedSurname, typedForename);
    if (typedSurname.isEmpty())
        return QString();
    int position = FindIndexEntry(typedSurname, 1);
    if (position == 0)
        return QString();

    QString surname, forename;
    // The look-up gives the last match among the few entries it scans, which with several
    // members of one family is not the first of them; step back to the first member whose
    // surname still holds the typed part, so that "Smith" offers the first Smith in order.
    while (position > 1) {
        const QString &previous = m_keys.at(position - 2);
        if (previous < typedSurname)
            break;
        SplitName(previous, surname, forename);
        if (!surname.contains(typedSurname))
            break;
        --position;
    }

    for (int i = position; i <= Count(); ++i) {
        SplitName(m_keys.at(i - 1), surname, forename);
        if (surname.contains(typedSurname) && forename.contains(typedForename))
            return m_keys.at(i - 1);
        // Surnames that begin with the typed part sort together just after it ("Brack" before
        // "Brackenby"), so the scan goes on through them and ends at the first that does not
        // hold it.
        if (surname > typedSurname && !surname.contains(typedSurname))
            break;
    }
    return QString();
}

} // namespace Members
