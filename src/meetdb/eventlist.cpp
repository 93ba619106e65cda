#include "meetdb/eventlist.h"

#include <QList>

#include "core/galastate.h"

namespace MeetDb {

bool SelectEventList(Core::GalaState &gala, const QString &list, QString *error)
{
    QList<bool> chosen(gala.Events.size(), false);
    for (const QString &raw : list.split(u',')) {
        const QString part = raw.trimmed();
        bool matched = false;
        // An event spelt as the meet spells it comes first, so that a number with a dash of its
        // own is never read as a range.
        const int exact = gala.FindEvent(part);
        const qsizetype dash = part.indexOf(u'-', 1);
        if (exact >= 0) {
            chosen[exact] = true;
            matched = true;
        } else if (dash > 0) {
            bool lowOk = false;
            bool highOk = false;
            const int low = part.left(dash).trimmed().toInt(&lowOk);
            const int high = part.mid(dash + 1).trimmed().toInt(&highOk);
            if (!lowOk || !highOk || high < low) {
                *error = QStringLiteral("\"%1\" is not a range of event numbers").arg(part);
                return false;
            }
            for (qsizetype i = 0; i < gala.Events.size(); ++i) {
                bool numbered = false;
                const int number = gala.Events.at(i).EvNumber.toInt(&numbered);
                if (numbered && number >= low && number <= high)
                    chosen[i] = matched = true;
            }
        }
        if (!matched) {
            *error = QStringLiteral("no event \"%1\" in the meet").arg(part);
            return false;
        }
    }
    for (qsizetype i = 0; i < gala.Events.size(); ++i)
        gala.Events[i].EvSelected = chosen.at(i);
    return true;
}

} // namespace MeetDb
