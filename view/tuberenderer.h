#ifndef VIREO_VIEW_TUBERENDERER_H
#define VIREO_VIEW_TUBERENDERER_H

#include "view/tubegeometry.h"
#include "view/tubetexturerenderer.h"

#include <QMatrix4x4>
#include <QOpenGLBuffer>
#include <QVector4D>

class QOpenGLFunctions;
class QOpenGLShaderProgram;

// Draws the cells of the tube. Where the context has float textures the
// values go to the GPU once and the shaders colour them (TubeTextureRenderer);
// elsewhere every cell is a quad of per-vertex colours, rebuilt lazily at the
// first draw after any change of its inputs. Both draw the same picture.
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

    // The data and display settings; the vertices of the per-vertex path.
    const TubeGeometry &geometry() const { return m_geometry; }
    // What the last build gave; a failure keeps the renderer clean (nothing
    // drawn, no retry) until its inputs change.
    TubeGeometry::Status status() const { return m_status; }
    bool hasFailed() const
    {
        return m_status == TubeGeometry::TooLarge || m_status == TubeGeometry::OutOfMemory;
    }
    // Whether data of this shape can be drawn by the path in use (before the
    // first context, the texture path is assumed).
    bool fits(qint64 attributeCount, qint64 timeCount) const;

    // The value textures are used when the context has them and they are
    // allowed; tests and benchmarks turn them off to compare both paths.
    void setTexturesAllowed(bool allowed);
    bool usesTextures() const { return m_texturesAllowed && m_texturesSupported; }
    // Largest side of a value texture, below the GL limit (0: the limit).
    void setMaxTileSize(int size);
    const TubeTextureRenderer &textureRenderer() const { return m_textures; }

private:
    void build(QOpenGLFunctions &gl);
    void uploadValues(QOpenGLFunctions &gl);
    // Style changes cost the texture path nothing; the per-vertex path
    // rebuilds every vertex.
    void markDirty(bool valuesChanged);

    const TubeLayout &m_layout;
    bool m_dirty = true;
    bool m_valuesDirty = true;
    bool m_texturesAllowed = true;
    bool m_texturesSupported = false;
    bool m_initialized = false;
    int m_maxTileSize = 0;
    QVector4D m_backgroundColor{0.0f, 0.0f, 0.0f, 1.0f};
    TubeGeometry m_geometry;
    TubeTextureRenderer m_textures;
    QOpenGLBuffer m_buffer{QOpenGLBuffer::VertexBuffer};
    QVector<float> m_vertices;
    int m_vertexFloatCount = 0;
    QOpenGLShaderProgram *m_program = nullptr;
    int m_pmvMatrixLocation = -1;
    TubeGeometry::Status m_status = TubeGeometry::Empty;
};

#endif // VIREO_VIEW_TUBERENDERER_H
