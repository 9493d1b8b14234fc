#ifndef VIREO_VIEW_TUBERENDERER_H
#define VIREO_VIEW_TUBERENDERER_H

#include "view/tubegeometry.h"

#include <QMatrix4x4>
#include <QOpenGLBuffer>
#include <QVector4D>

class QOpenGLFunctions;
class QOpenGLShaderProgram;

// Draws the cells of the tube with per-vertex colours. The geometry is
// rebuilt lazily, at the first draw after any change of its inputs.
class TubeRenderer
{
public:
    // The layout is the view's; it outlives the renderer.
    explicit TubeRenderer(const TubeLayout &layout) : m_layout(layout) {}
    ~TubeRenderer();
    TubeRenderer(const TubeRenderer &) = delete;
    TubeRenderer &operator=(const TubeRenderer &) = delete;

    // In the GL context.
    void initialize();
    void releaseResources();
    void draw(QOpenGLFunctions &gl, const QMatrix4x4 &pmv);
    // The view's background, once there is data to draw on it.
    void applyClearColor(QOpenGLFunctions &gl) const;

    void setData(const Data &data);
    void setBackgroundColor(const QVector4D &color) { m_backgroundColor = color; }
    void setMissingValueColor(const QVector4D &color);
    void setColorStops(const ColorStops &stops);
    void setWidthColor(const QVector4D &color);
    void setDisplayMode(int mode);

    const TubeGeometry &geometry() const { return m_geometry; }
    // What the last build gave; a failure keeps the renderer clean (nothing
    // drawn, no retry) until its inputs change.
    TubeGeometry::Status status() const { return m_status; }
    bool hasFailed() const
    {
        return m_status == TubeGeometry::TooLarge || m_status == TubeGeometry::OutOfMemory;
    }

private:
    void build(QOpenGLFunctions &gl);
    void markDirty()
    {
        m_dirty = true;
        m_status = TubeGeometry::Empty;
    }

    const TubeLayout &m_layout;
    bool m_dirty = true;
    QVector4D m_backgroundColor{0.0f, 0.0f, 0.0f, 1.0f};
    TubeGeometry m_geometry;
    QOpenGLBuffer m_buffer{QOpenGLBuffer::VertexBuffer};
    QVector<float> m_vertices;
    int m_vertexFloatCount = 0;
    QOpenGLShaderProgram *m_program = nullptr;
    int m_pmvMatrixLocation = -1;
    TubeGeometry::Status m_status = TubeGeometry::Empty;
};

#endif // VIREO_VIEW_TUBERENDERER_H
