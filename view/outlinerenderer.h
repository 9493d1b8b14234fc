#ifndef VIREO_VIEW_OUTLINERENDERER_H
#define VIREO_VIEW_OUTLINERENDERER_H

#include "view/outlinegeometry.h"

#include <QMatrix4x4>
#include <QOpenGLBuffer>
#include <QVector4D>

class QOpenGLFunctions;
class QOpenGLShaderProgram;

// Draws the frames of a list of selections in one uniform colour, rebuilt
// lazily like the tube.
class OutlineRenderer
{
public:
    // The layout is the view's; it outlives the renderer. inset: how far
    // inside the wall the frames lie.
    OutlineRenderer(const TubeLayout &layout, const QVector4D &color, float inset);
    ~OutlineRenderer();
    OutlineRenderer(const OutlineRenderer &) = delete;
    OutlineRenderer &operator=(const OutlineRenderer &) = delete;

    // In the GL context.
    void initialize();
    void releaseResources();
    void draw(QOpenGLFunctions &gl, const QMatrix4x4 &pmv);

    void setColor(const QVector4D &color) { m_color = color; }
    QVector4D color() const { return m_color; }
    void setSelections(const Selections &selections);

private:
    void build();

    const TubeLayout &m_layout;
    bool m_dirty = true;
    QVector4D m_color;
    OutlineGeometry m_geometry;
    QOpenGLBuffer m_buffer{QOpenGLBuffer::VertexBuffer};
    int m_vertexFloatCount = 0;
    QOpenGLShaderProgram *m_program = nullptr;
    int m_pmvMatrixLocation = -1;
    int m_colorLocation = -1;
};

#endif // VIREO_VIEW_OUTLINERENDERER_H
