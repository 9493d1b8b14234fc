#include "view/selectionpicker.h"

#include "view/viewactions.h"

SelectionPicker::SelectionPicker() : m_held(ViewActions::pickingActionCount, false) {}

void SelectionPicker::setHeld(int action, bool held)
{
    if (action >= 0 && action < m_held.size())
        m_held[action] = held;
}

bool SelectionPicker::isHeld(int action) const
{
    return action >= 0 && action < m_held.size() && m_held.at(action);
}

void SelectionPicker::releaseAll()
{
    m_held.fill(false);
}

SelectionPicker::Outcome SelectionPicker::pick(const Data &data, const TubeLayout::Cell &cell,
                                               const Selection &current, Selection *picked)
{
    const int a = cell.attribute;
    const int t = cell.time;
    if (isHeld(ViewActions::Attribute)) {
        *picked = Selection(data, a, a, 0, data.timeCount() - 1);
    } else if (isHeld(ViewActions::Times)) {
        *picked = Selection(data, 0, data.attributeCount() - 1, t, t);
    } else if (isHeld(ViewActions::Zone)) {
        if (current.type != Selection::Value) {
            setHeld(ViewActions::Zone, false);
            return ZoneRefused;
        }
        *picked = Selection(data, current.firstAttribute, a, current.firstTime, t);
    } else {
        *picked = Selection(data, a, a, t, t);
    }
    return Picked;
}

bool SelectionPicker::move(const Data &data, const Selection &current, int action, Selection *moved)
{
    const int n = data.attributeCount();
    const int m = data.timeCount();
    const int a0 = current.firstAttribute;
    const int a1 = current.lastAttribute;
    const int t0 = current.firstTime;
    const int t1 = current.lastTime;
    const bool inTime = current.type == Selection::Value || current.type == Selection::Time ||
                        current.type == Selection::Zone;
    const bool roundTube = current.type == Selection::Value ||
                           current.type == Selection::Attribute || current.type == Selection::Zone;
    const auto next = [n](int a) { return a == n - 1 ? 0 : a + 1; };
    const auto previous = [n](int a) { return a == 0 ? n - 1 : a - 1; };
    switch (action) {
    case ViewActions::PrevTime:
        if (!inTime || t0 == 0)
            return false;
        *moved = Selection(data, a0, a1, t0 - 1, t1 - 1);
        return true;
    case ViewActions::NextTime:
        if (!inTime || t1 == m - 1)
            return false;
        *moved = Selection(data, a0, a1, t0 + 1, t1 + 1);
        return true;
    case ViewActions::PrevAttribute:
        if (!roundTube)
            return false;
        *moved = Selection(data, next(a0), next(a1), t0, t1);
        return true;
    case ViewActions::NextAttribute:
        if (!roundTube)
            return false;
        *moved = Selection(data, previous(a0), previous(a1), t0, t1);
        return true;
    default:
        return false;
    }
}
