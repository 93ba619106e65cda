#include "meetdb/eventselection.h"

#include <algorithm>

#include "core/galastate.h"
#include "core/prompts.h"
#include "core/textutil.h"
#include "core/timeutil.h"

namespace MeetDb {

GalaSelectEventsForm::GalaSelectEventsForm(Core::GalaState &gala, Core::Prompts &prompts)
    : m_gala(gala)
    , m_prompts(prompts)
{}

void GalaSelectEventsForm::Open()
{
    int shown = m_gala.EventCount();
    if (shown > SelectEventBoxes) {
        m_prompts.Message(TooManyEventsMessage);
        shown = SelectEventBoxes;
    }
    Boxes.clear();
    for (int i = 0; i < shown; ++i) {
        const Core::GalaEvent &event = m_gala.Events.at(i);
        Boxes.append({event.EvNumber + u':' + event.EvGroup + u' ' + event.EvDistance + u' ' +
                          event.EvStroke,
                      event.EvSelected});
    }
    Closed = false;
}

void GalaSelectEventsForm::Confirm()
{
    for (qsizetype i = 0; i < Boxes.size() && i < m_gala.Events.size(); ++i)
        m_gala.Events[i].EvSelected = Boxes.at(i).Ticked;
    Closed = true;
}

void GalaSelectEventsForm::Cancel()
{
    for (Core::GalaEvent &event : m_gala.Events)
        event.EvSelected = false;
    Closed = true;
}

void GalaSelectEventsForm::SetAll(bool selected)
{
    for (Core::GalaEvent &event : m_gala.Events)
        event.EvSelected = selected;
    for (EventBox &box : Boxes)
        box.Ticked = selected;
}

void GalaSelectEventsForm::SelectAll()
{
    SetAll(true);
}

void GalaSelectEventsForm::DeselectAll()
{
    SetAll(false);
}

QString GalaSelectEventsForm::TickLead(qsizetype index, bool *ticked)
{
    // Heats are made for the first event of a combination, with the others swum in it.
    *ticked = false;
    const QString event = m_gala.Events.at(index).EvNumber;
    for (const QStringList &group : m_gala.Combinations) {
        const int lead = m_gala.FindEvent(group.first());
        if (group.indexOf(event, 1) <= 0 || lead < 0)
            continue;
        QString message = SwumWithMessage.arg(event, group.first());
        if (!IsSelected(lead)) {
            Select(lead);
            *ticked = true;
            message += LeadTickedMessage.arg(group.first());
        }
        return message;
    }
    return {};
}

void GalaSelectEventsForm::Select(qsizetype index)
{
    m_gala.Events[index].EvSelected = true;
    if (index < Boxes.size())
        Boxes[index].Ticked = true;
}

bool GalaSelectEventsForm::IsSelected(qsizetype index) const
{
    return index < Boxes.size() ? Boxes.at(index).Ticked : m_gala.Events.at(index).EvSelected;
}

template<typename Match>
void GalaSelectEventsForm::SelectWhere(Match match, const QString &nothing)
{
    QList<qsizetype> matched;
    for (qsizetype i = 0; i < m_gala.Events.size(); ++i) {
        if (match(m_gala.Events.at(i)))
            matched << i;
    }
    // A criterion that matches nothing is usually mistyped: the ticks made so far stay.
    if (matched.isEmpty()) {
        m_prompts.Message(nothing);
        return;
    }
    if (!KeepTicks)
        SetAll(false);
    for (const qsizetype i : std::as_const(matched))
        Select(i);
    // Only the leading events brought along are worth a word here.
    QStringList brought;
    for (const qsizetype i : std::as_const(matched)) {
        bool ticked = false;
        const QString message = TickLead(i, &ticked);
        if (ticked)
            brought << message;
    }
    if (!brought.isEmpty())
        m_prompts.Message(brought.join(u'\n'));
}

void GalaSelectEventsForm::OnBoxTicked(int index, bool ticked)
{
    if (index < 0 || index >= Boxes.size())
        return;
    Boxes[index].Ticked = ticked;
    bool leadTicked = false;
    const QString message = ticked ? TickLead(index, &leadTicked) : QString();
    if (!message.isEmpty())
        m_prompts.Message(message);
}

void GalaSelectEventsForm::SelectByDate()
{
    const int date = Core::DateNumber(Criterion);
    if (date == 0) {
        m_prompts.Message(NoDateMessage);
        return;
    }
    SelectWhere([date](const Core::GalaEvent &e) { return Core::DateNumber(e.EvDate) == date; },
                NoDateMatchMessage.arg(Criterion.trimmed()));
}

void GalaSelectEventsForm::SelectByGroup()
{
    const QString group = Criterion.trimmed();
    SelectWhere(
        [&group](const Core::GalaEvent &e) {
            return e.EvGroup.compare(group, Qt::CaseInsensitive) == 0;
        },
        NoGroupMatchMessage.arg(group));
}

void GalaSelectEventsForm::SelectByStroke()
{
    const QString stroke = Criterion.trimmed();
    SelectWhere(
        [&stroke](const Core::GalaEvent &e) {
            return e.EvStroke.compare(stroke, Qt::CaseInsensitive) == 0;
        },
        NoStrokeMatchMessage.arg(stroke));
}

void GalaSelectEventsForm::SelectByEventNumberRange()
{
    const QStringList words = Core::SplitWords(Criterion);
    QList<double> ends;
    for (const QString &word : words) {
        bool ok = false;
        const double end = word.toDouble(&ok);
        if (!ok)
            break;
        ends << end;
    }
    if (words.isEmpty() || words.size() > 2 || ends.size() != words.size()) {
        m_prompts.Message(BadRangeMessage);
        return;
    }
    const double low = *std::min_element(ends.cbegin(), ends.cend());
    const double high = *std::max_element(ends.cbegin(), ends.cend());
    SelectWhere(
        [low, high](const Core::GalaEvent &e) {
            const double number = Core::LeadingNumber(e.EvNumber);
            return number >= low && number <= high;
        },
        NoRangeMatchMessage.arg(low).arg(high));
}

} // namespace MeetDb
