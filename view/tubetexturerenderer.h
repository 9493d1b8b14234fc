#ifndef VIREO_VIEW_TUBETEXTURERENDERER_H
#define VIREO_VIEW_TUBETEXTURERENDERER_H

#include "view/colorstop.h"
#include "view/tubegeometry.h"
#include "view/tubetiling.h"

#include <QMatrix4x4>
#include <QOpenGLBuffer>
#include <QVector>

class QOpenGLContext;
class QOpenGLFunctions;
class QOpenGLShaderProgram;

// Draws the tube from the values themselves: they live on the GPU as float
// textures (4 bytes a cell), the gradient as a texture of its stops, and the
// wall is a coarse mesh whose fragment shader looks up each cell. So only new
// data uploads anything in proportion to its size; colours, gradient and
// display mode are a few uniforms or a tiny texture.
class TubeTextureRenderer
{
public:
    TubeTextureRenderer() = default;
    ~TubeTextureRenderer();
    TubeTextureRenderer(const TubeTextureRenderer &) = delete;
    TubeTextureRenderer &operator=(const TubeTextureRenderer &) = delete;

    // Float textures, texture arrays, GLSL 1.30 and texelFetch: desktop GL
    // 3.0 and up.
    static bool isSupported(const QOpenGLContext &context);

    // In the GL context. False when the shaders do not build.
    bool initialize(QOpenGLFunctions &gl);
    void releaseResources();
    bool isInitialized() const { return m_program != nullptr; }

    // The values of data as texture arrays and the mesh over them; maxTileSize
    // (0: the GL limit) bounds the attributes of an array and the time steps
    // of a layer. Anything but Built leaves nothing uploaded.
    TubeGeometry::Status upload(QOpenGLFunctions &gl, const TubeLayout &layout, const Data &data,
                                int maxTileSize);
    void releaseValues(QOpenGLFunctions &gl);
    void setColorStops(const ColorStops &stops);
    // Draws with the display settings of style (mode and colours).
    void draw(QOpenGLFunctions &gl, const QMatrix4x4 &pmv, const TubeGeometry &style,
              const TubeLayout &layout);

    // How often values went to the GPU, and their bytes now held there.
    int valueUploadCount() const { return m_valueUploadCount; }
    qint64 valueBytes() const { return m_valueBytes; }
    int tileCount() const { return m_tiling.tiles.size(); }
    int layerCount() const { return m_tiling.layerCount(); }

private:
    bool uploadTile(QOpenGLFunctions &gl, const Data &data, const TubeTiling::Tile &tile,
                    unsigned int texture, QVector<float> &staging);
    void uploadGradient(QOpenGLFunctions &gl);

    QOpenGLShaderProgram *m_program = nullptr;
    QOpenGLBuffer m_mesh{QOpenGLBuffer::VertexBuffer};
    TubeTiling m_tiling;
    QVector<unsigned int> m_textures;
    unsigned int m_gradientTexture = 0;
    ColorStops m_stops;
    bool m_gradientDirty = true;
    int m_valueUploadCount = 0;
    qint64 m_valueBytes = 0;
    int m_pmvMatrixLocation = -1;
    int m_stopCountLocation = -1;
    int m_displayModeLocation = -1;
    int m_missingColorLocation = -1;
    int m_widthColorLocation = -1;
    int m_eyeLocation = -1;
    int m_radiusLocation = -1;
    int m_halfAngleLocation = -1;
    int m_cellStepLocation = -1;
    int m_timeStepLengthLocation = -1;
    int m_attributeCountLocation = -1;
    int m_firstAttributeLocation = -1;
    int m_tileAttributesLocation = -1;
    int m_timeCountLocation = -1;
    int m_reachLocation = -1;
    int m_lastTimeLocation = -1;
    int m_stepLengthLocation = -1;
    int m_rowsPerLayerLocation = -1;
};

#endif // VIREO_VIEW_TUBETEXTURERENDERER_H
