#ifndef VIREO_VIEW_OUTLINEGEOMETRY_H
#define VIREO_VIEW_OUTLINEGEOMETRY_H

#include "core/selection.h"
#include "view/tubelayout.h"

#include <QVector>

// A thin frame drawn just inside the tube's wall round each selection: a band
// along the top and bottom edge of every selected attribute and one band down
// each side. Vertices are x, y, z only. No OpenGL here.
class OutlineGeometry
{
public:
    static constexpr int floatsPerVertex = 3;
    // Two triangles of three vertices.
    static constexpr int floatsPerBand = 6 * floatsPerVertex;

    // False when there is nothing to outline or the frames would not fit in
    // one buffer; vertices are then left empty. Selections that do not lie
    // on the layout's cells are left out.
    bool build(const TubeLayout &layout, QVector<float> &vertices) const;

    Selections selections;
    // How far inside the wall the frames lie, towards the camera.
    float inset = 0.01f;
    qint64 floatLimit = (qint64(INT_MAX) - 64) / qint64(sizeof(float));

private:
    void appendSelection(float *&out, const Selection &s, const TubeLayout &layout) const;
};

#endif // VIREO_VIEW_OUTLINEGEOMETRY_H
