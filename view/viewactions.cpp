#include "view/viewactions.h"

#include <QCoreApplication>

const QVector<ViewActions::Row> &ViewActions::rows()
{
    static const QVector<Row> table = {
        {CameraKeys, Forward, QT_TRANSLATE_NOOP("KeysConfigurationDialog", "Forward"), "Forward",
         Qt::Key_Z},
        {CameraKeys, Backward, QT_TRANSLATE_NOOP("KeysConfigurationDialog", "Backward"), "Backward",
         Qt::Key_S},
        {CameraKeys, Right, QT_TRANSLATE_NOOP("KeysConfigurationDialog", "Right"), "Right",
         Qt::Key_Q},
        {CameraKeys, Left, QT_TRANSLATE_NOOP("KeysConfigurationDialog", "Left"), "Left", Qt::Key_D},
        {CameraKeys, Origin, QT_TRANSLATE_NOOP("KeysConfigurationDialog", "Origin"), "Origin",
         Qt::Key_O},
        {CameraKeys, Highspeed, QT_TRANSLATE_NOOP("KeysConfigurationDialog", "Highspeed"),
         "HighSpeed", Qt::Key_Shift},
        {ReturnToOriginKey, 0, QT_TRANSLATE_NOOP("KeysConfigurationDialog", "Animating origin"),
         "ReturnToOrigin", Qt::Key_R},
        {PickingKeys, Attribute, QT_TRANSLATE_NOOP("KeysConfigurationDialog", "Attribute"),
         "Attribute", Qt::Key_A},
        {PickingKeys, Times, QT_TRANSLATE_NOOP("KeysConfigurationDialog", "Times"), "Time",
         Qt::Key_T},
        {PickingKeys, Zone, QT_TRANSLATE_NOOP("KeysConfigurationDialog", "Zone"), "Zone",
         Qt::Key_Control},
        {PickingKeys, Reset, QT_TRANSLATE_NOOP("KeysConfigurationDialog", "Reset"), "Reset",
         Qt::Key_Escape},
        {MoveSelectionKeys, PrevTime, QT_TRANSLATE_NOOP("KeysConfigurationDialog", "PrevTime"),
         "PrevTime", Qt::Key_Down},
        {MoveSelectionKeys, NextTime, QT_TRANSLATE_NOOP("KeysConfigurationDialog", "NextTime"),
         "NextTime", Qt::Key_Up},
        {MoveSelectionKeys, PrevAttribute,
         QT_TRANSLATE_NOOP("KeysConfigurationDialog", "PrevAttribute"), "PrevAttribute",
         Qt::Key_Right},
        {MoveSelectionKeys, NextAttribute,
         QT_TRANSLATE_NOOP("KeysConfigurationDialog", "NextAttribute"), "NextAttribute",
         Qt::Key_Left},
    };
    return table;
}

QMap<int, int> ViewActions::defaultKeyMap(Binding binding)
{
    QMap<int, int> map;
    for (const Row &row : rows())
        if (row.binding == binding)
            map.insert(row.defaultKey, row.action);
    return map;
}

int ViewActions::defaultReturnToOriginKey()
{
    for (const Row &row : rows())
        if (row.binding == ReturnToOriginKey)
            return row.defaultKey;
    return 0;
}
