#ifndef VIREO_VIEW_VIEWACTIONS_H
#define VIREO_VIEW_VIEWACTIONS_H

#include <QMap>
#include <QVector>

// What the keys of the view do, shared by the view, the key dialog and the
// profiles. A key map goes from a Qt key code to one of these actions.
class ViewActions
{
public:
    // Bits: held camera keys combine into one mask.
    enum CameraAction
    {
        Forward = 1,
        Right = 2,
        Backward = 4,
        Left = 8,
        Origin = 16,
        Highspeed = 32
    };
    // Indexes of the picking state.
    enum PickingAction
    {
        Attribute = 0,
        Times = 1,
        Zone = 2,
        Reset = 3
    };
    enum MoveAction
    {
        PrevTime = 0,
        NextTime = 1,
        PrevAttribute = 2,
        NextAttribute = 3
    };
    static constexpr int pickingActionCount = 4;
    static constexpr int moveActionCount = 4;

    // The four bindings; the numbers are the dialog's map kinds.
    enum Binding
    {
        CameraKeys = 0,
        ReturnToOriginKey = 1,
        PickingKeys = 2,
        MoveSelectionKeys = 3
    };

    // One row of the key dialog. name is its untranslated label, to be
    // translated in the dialog's context; rowName prefixes its widgets'
    // object names.
    struct Row
    {
        Binding binding;
        int action; // 0 for the return-to-origin key
        const char *name;
        const char *rowName;
        int defaultKey;
    };
    // Rows in the dialog's order: the camera ones, return to origin, picking,
    // moving the selection.
    static const QVector<Row> &rows();

    // key -> action, as the view installs them at its construction.
    static QMap<int, int> defaultKeyMap(Binding binding);
    static QMap<int, int> defaultCameraKeys() { return defaultKeyMap(CameraKeys); }
    static QMap<int, int> defaultPickingKeys() { return defaultKeyMap(PickingKeys); }
    static QMap<int, int> defaultMoveSelectionKeys() { return defaultKeyMap(MoveSelectionKeys); }
    static int defaultReturnToOriginKey();
};

#endif // VIREO_VIEW_VIEWACTIONS_H
