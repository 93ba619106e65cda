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
 *
 * A quick selection matches group and stroke without regard to case, ticks exactly the events it
 * matches (or adds them to the ticks with KeepTicks), and says so when it matches none, leaving
 * the ticks as they were. Heats are made for the event that leads a combination, with the events
 * swum with it: an event ticked without its leading event brings that one along, and says so.
 */
namespace MeetDb {

inline constexpr int SelectEventBoxes = 222;

inline const QString TooManyEventsMessage = QStringLiteral("More events than can be displayed");
inline const QString NoDateMessage = QStringLiteral("No date specified");
inline const QString BadRangeMessage = QStringLiteral("Incorrect range specified");
inline const QString NoDateMatchMessage = QStringLiteral("No event is swum on %1");
inline const QString NoGroupMatchMessage = QStringLiteral("No event is in the group \"%1\"");
inline const QString NoStrokeMatchMessage = QStringLiteral("No event is of the stroke \"%1\"");
inline const QString NoRangeMatchMessage = QStringLiteral("No event is numbered from %1 to %2");
// "Event 7 is swum with event 5: its heats are made with event 5."
inline const QString SwumWithMessage =
    QStringLiteral("Event %1 is swum with event %2: its heats are made with event %2.");
inline const QString LeadTickedMessage = QStringLiteral(" Event %1 is ticked as well.");

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
    // The box of the event at `index` was ticked or cleared by hand.
    void OnBoxTicked(int index, bool ticked);

    QString Criterion;
    bool KeepTicks = false; // the quick selections add to the ticks instead of replacing them
    bool Heats = true;      // the "Heats" / "Finals" choice
    QList<EventBox> Boxes;  // the shown boxes, event-table order
    bool Closed = false;

private:
    // Selects every event for which `match` is true and ticks its box, after clearing the others
    // unless KeepTicks. When none matches, shows `nothing` and changes nothing.
    template<typename Match>
    void SelectWhere(Match match, const QString &nothing);
    void SetAll(bool selected);
    void Select(qsizetype index);
    bool IsSelected(qsizetype index) const;
    // When the event at `index` is swum with an event that leads it, ticks that one (`ticked`
    // says whether it had to be) and returns the words saying so; "" for an event not swum with
    // another, or one that leads.
    QString TickLead(qsizetype index, bool *ticked);

    Core::GalaState &m_gala;
    Core::Prompts &m_prompts;
};

} // namespace MeetDb
