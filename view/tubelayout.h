#ifndef VIREO_VIEW_TUBELAYOUT_H
#define VIREO_VIEW_TUBELAYOUT_H

#include "core/selection.h"

#include <QMatrix4x4>
#include <QPointF>
#include <QVector3D>

// Where the cells lie on the tube's wall: the tube's axis is z, attribute a
// spans the angles a * step .. (a + 1) * step (step negative, so attributes go
// clockwise from the x axis) and time t the depths -t * timeStepLength ..
// -(t + 1) * timeStepLength. Shared by the geometry, the outlines, picking
// and flights, so that what is drawn and what is picked agree. No OpenGL.
class TubeLayout
{
public:
    struct Cell
    {
        int attribute = -1;
        int time = -1;
        bool isValid() const { return attribute >= 0 && time >= 0; }
    };

    TubeLayout() = default;
    TubeLayout(int attributeCount, int timeCount)
        : attributeCount(attributeCount), timeCount(timeCount)
    {}

    static float attributeStep(int attributeCount);
    float step() const { return attributeStep(attributeCount); }
    // Positions in cell units: attribute a's cell spans a .. a + 1, and so
    // for times.
    float angle(float attributePosition) const { return attributePosition * step(); }
    float depth(float timePosition) const { return -(timePosition * timeStepLength); }
    QVector3D wallPoint(float attributePosition, float timePosition) const;
    // The middle of the selection's block, across the wrap for a run that
    // passes attribute 0.
    QVector3D middle(const Selection &selection) const;

    // The cell under a wall point; invalid outside the data.
    Cell cellAt(const QVector3D &point) const;
    // Where the ray through a point of the screen (normalized device
    // coordinates) meets the wall, seen through pmv. False when it does not
    // (a ray along the axis, or a matrix that cannot be inverted).
    bool wallPointUnder(const QMatrix4x4 &pmv, const QPointF &ndc, QVector3D *point) const;
    bool contains(const Selection &selection) const;

    int attributeCount = 0;
    int timeCount = 0;
    float radius = 3.0f;
    float timeStepLength = 0.1f;
};

#endif // VIREO_VIEW_TUBELAYOUT_H
