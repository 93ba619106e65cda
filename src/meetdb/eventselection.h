#pragma once

#include <QList>
#include <QString>

namespace Core {
class Prompts;
struct GalaState;
} // namespace Core

/*
 * The window "Select Events" (`GalaSelectEvents`) without its widgets: one tick box per event,
 * quick ways to tick events by date, group, stroke or number range, and "Confirm" / "Cancel".
 * The meet-day commands open it before they run over a chosen set of events and then read
 * `EvSelected` of each event.
 *
 * The quick selections and "Select All" / "Deselect All" set `EvSelected` of every event at
 * once, shown or not; "Confirm" copies the boxes back only for the events shown, so events
 * beyond the window's 222 boxes keep what the other commands gave them.
 */
namespace MeetDb {

inline constexpr int SelectEventBoxes = 222;

inline const QString TooManyEventsMessage = QStringLiteral("More events than can be displayed");
inline const QString NoDateMessage = QStringLiteral("No date specified");
inline const QString BadRangeMessage = QStringLiteral("Incorrect range specified");

struct EventBox
{
    QString Caption; // "12:U11 50 FS"
    bool Ticked = false;
};

class GalaSelectEventsForm
{
public:
    // The gala and the prompts must outlive the form.
    GalaSelectEventsForm(Core::GalaState &gala, Core::Prompts &prompts);

    // Opening: one box per event up to 222 ("More events than can be displayed" beyond).
    void Open();

    void Confirm();
    void Cancel();
    void SelectAll();
    void DeselectAll();
    void SelectByDate();
    void SelectByGroup();
    void SelectByStroke();
    void SelectByEventNumberRange();

    QString Criterion;
    bool Heats = true;     // the "Heats" / "Finals" choice
    QList<EventBox> Boxes; // the shown boxes, event-table order
    bool Closed = false;

private:
    // Selects every event for which `match` is true and ticks its box; others are unchanged.
    template<typename Match>
    void SelectWhere(Match match);
    void SetAll(bool selected);

    Core::GalaState &m_gala;
    Core::Prompts &m_prompts;
};

} // namespace MeetDb
