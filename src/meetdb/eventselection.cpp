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

template<typename Match>
void GalaSelectEventsForm::SelectWhere(Match match)
{
    for (qsizetype i = 0; i < m_gala.Events.size(); ++i) {
        if (!match(m_gala.Events.at(i)))
            continue;
        m_gala.Events[i].EvSelected = true;
        if (i < Boxes.size())
            Boxes[i].Ticked = true;
    }
}

void GalaSelectEventsForm::SelectByDate()
{
    const int date = Core::DateNumber(Criterion);
    if (date == 0) {
        m_prompts.Message(NoDateMessage);
        return;
    }
    SelectWhere([date](const Core::GalaEvent &e) { return Core::DateNumber(e.EvDate) == date; });
}

void GalaSelectEventsForm::SelectByGroup()
{
    SelectWhere([this](const Core::GalaEvent &e) { return e.EvGroup == Criterion; });
}

void GalaSelectEventsForm::SelectByStroke()
{
    SelectWhere([this](const Core::GalaEvent &e) { return e.EvStroke == Criterion; });
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
    SelectWhere([low, high](const Core::GalaEvent &e) {
        const double number = Core::LeadingNumber(e.EvNumber);
        return number >= low && number <= high;
    });
}

} // namespace MeetDb
