#ifndef VIREO_VIEW_SELECTIONPICKER_H
#define VIREO_VIEW_SELECTIONPICKER_H

#include "core/selection.h"
#include "view/tubelayout.h"

#include <QVector>

// What a click on a cell and the move keys make of the current selection,
// given the picking keys held (ViewActions::PickingAction). No OpenGL, no
// widget: the view feeds it events and shows its results.
class SelectionPicker
{
public:
    enum Outcome
    {
        Picked,
        // A zone needs a single value to start from; nothing was picked and
        // the Zone key counts as released (the warning takes its release).
        ZoneRefused
    };

    SelectionPicker();

    // Actions outside the picking actions (a stray profile value) are ignored.
    void setHeld(int action, bool held);
    bool isHeld(int action) const;
    void releaseAll();

    // The selection a click on a valid cell of data makes, in the order of
    // precedence Attribute, Times, Zone, value.
    Outcome pick(const Data &data, const TubeLayout::Cell &cell, const Selection &current,
                 Selection *picked);
    // current moved by one step of a ViewActions::MoveAction; false when that
    // move does not apply to its kind or would leave the data in time.
    static bool move(const Data &data, const Selection &current, int action, Selection *moved);

private:
    QVector<bool> m_held;
};

#endif // VIREO_VIEW_SELECTIONPICKER_H
