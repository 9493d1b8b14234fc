#ifndef VIREO_VIEW_OUTLINEGEOMETRY_H
#define VIREO_VIEW_OUTLINEGEOMETRY_H

#include "core/selection.h"

#include <QVector>

// A thin frame drawn on the tube's wall round each selection: a band along
// the top and bottom edge of every selected attribute and one band down each
// side. Vertices are x, y, z only. No OpenGL here.
class OutlineGeometry
{
public:
    static constexpr int floatsPerVertex = 3;
    // Two triangles of three vertices.
    static constexpr int floatsPerBand = 6 * floatsPerVertex;

    // False when there is nothing to outline or the frames would not fit in
    // one buffer; vertices are then left empty.
    bool build(QVector<float> &vertices) const;

    Selections selections;
    float radius = 3.0f;
    float timeStepLength = 0.1f;
    qint64 floatLimit = (qint64(INT_MAX) - 64) / qint64(sizeof(float));

private:
    void appendSelection(float *&out, const Selection &s, int attributeCount, float step) const;
};

#endif // VIREO_VIEW_OUTLINEGEOMETRY_H
