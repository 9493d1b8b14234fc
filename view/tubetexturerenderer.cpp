#include "view/tubetexturerenderer.h"

#include <QDebug>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLFunctions>
#include <QOpenGLShaderProgram>

#include <cmath>
#include <new>

namespace {

// The wall runs on past the data's ends only where a narrowed cell may be
// seen there (the width modes): elsewhere it would cost a discarded fragment
// for most of the screen when the camera is near an end.
const char *const vertexShaderSource = "#version 130\n"
                                       "in vec4 vertex;\n"
                                       "in float time;\n"
                                       "out vec3 wallPoint;\n"
                                       "out float cellTime;\n"
                                       "uniform mat4 pmvMatrix;\n"
                                       "uniform float reach;\n"
                                       "uniform float lastTime;\n"
                                       "uniform float stepLength;\n"
                                       "void main() {\n"
                                       "   cellTime = clamp(time, -reach, lastTime + reach);\n"
                                       "   wallPoint = vec3(vertex.xy, -(cellTime * stepLength));\n"
                                       "   gl_Position = pmvMatrix * vec4(wallPoint, 1.0);\n"
                                       "}\n";

// The same colour rules as the per-vertex cells: the stops' lookup, the
// missing-value colour, and in the width modes a cell narrowed round its
// middle to the value's share of its angle (nothing left of a missing one).
// A narrowed cell is a chord of its own, farther out than the full chord the
// mesh is made of: the ray from the eye is followed outwards, cell by cell,
// to the first narrowed chord it meets, so that both paths show the same.
const char *const fragmentShaderSource =
    "#version 130\n"
    "in vec3 wallPoint;\n"
    "in float cellTime;\n"
    "uniform sampler2DArray values;\n"
    "uniform sampler2D stops;\n"
    "uniform int stopCount;\n"
    "uniform int displayMode;\n"
    "uniform vec4 missingColor;\n"
    "uniform vec4 widthColor;\n"
    "uniform vec3 eye;\n"
    "uniform float radius;\n"
    "uniform float halfAngle;\n"
    "uniform float cellStep;\n"
    "uniform float timeStepLength;\n"
    "uniform int attributeCount;\n"
    "uniform int firstAttribute;\n"
    "uniform int tileAttributes;\n"
    "uniform int timeCount;\n"
    "uniform int rowsPerLayer;\n"
    "uniform int marchSteps;\n"
    "float stopPosition(int i) { return texelFetch(stops, ivec2(i, 0), 0).r; }\n"
    "vec3 stopColor(int i) { return texelFetch(stops, ivec2(i, 1), 0).rgb; }\n"
    "vec3 gradientColor(float v) {\n"
    "   int k = stopCount - 1;\n"
    "   if (k <= 0 || stopPosition(0) > v)\n"
    "      return stopColor(0);\n"
    "   if (v > stopPosition(k))\n"
    "      return stopColor(k);\n"
    "   int lo = 0;\n"
    "   int hi = k;\n"
    "   while (hi - lo > 1) {\n"
    "      int mid = (lo + hi) / 2;\n"
    "      if (v >= stopPosition(mid))\n"
    "         lo = mid;\n"
    "      else\n"
    "         hi = mid;\n"
    "   }\n"
    "   float a = stopPosition(lo);\n"
    "   float span = stopPosition(lo + 1) - a;\n"
    "   float f = span > 0.0 ? (v - a) / span : 0.0;\n"
    "   vec3 c = stopColor(lo);\n"
    "   return c + (stopColor(lo + 1) - c) * f;\n"
    "}\n"
    "float valueAt(int a, int t) {\n"
    "   int layer = int((float(t) + 0.5) / float(rowsPerLayer));\n"
    "   ivec3 texel = ivec3(a - firstAttribute, t - layer * rowsPerLayer, layer);\n"
    "   return texelFetch(values, texel, 0).r;\n"
    "}\n"
    "bool narrowedHit(int a, int t, out float value) {\n"
    "   float centre = (float(a) + 0.5) * cellStep;\n"
    "   vec2 normal = vec2(cos(centre), sin(centre));\n"
    "   vec2 side = vec2(-normal.y, normal.x);\n"
    "   vec3 dir = wallPoint - eye;\n"
    "   float inner = dot(wallPoint.xy, normal);\n"
    "   float outward = dot(dir.xy, normal);\n"
    "   float dTime = -dir.z / timeStepLength;\n"
    "   for (int i = 0; i <= marchSteps; ++i) {\n"
    "      float v = valueAt(a, t);\n"
    "      float w = halfAngle * min(abs(v), 1.0);\n"
    "      if (!isnan(v)) {\n"
    "         float s = outward > 0.0 ? (radius * cos(w) - inner) / outward : 0.0;\n"
    "         float time = cellTime + s * dTime;\n"
    "         vec2 q = wallPoint.xy + s * dir.xy;\n"
    "         if (time >= float(t) && time < float(t + 1) && abs(dot(q, side)) < radius * sin(w)) "
    "{\n"
    "            value = v;\n"
    "            return true;\n"
    "         }\n"
    "      }\n"
    "      if (outward <= 0.0 || dTime == 0.0)\n"
    "         return false;\n"
    "      float next = (float(dTime > 0.0 ? t + 1 : t) - cellTime) / dTime;\n"
    "      t += dTime > 0.0 ? 1 : -1;\n"
    "      if (inner + next * outward > radius || t < 0 || t >= timeCount)\n"
    "         return false;\n"
    "   }\n"
    "   return false;\n"
    "}\n"
    "void main() {\n"
    "   float angle = atan(-wallPoint.y, wallPoint.x);\n"
    "   if (angle < 0.0)\n"
    "      angle += 6.283185307179586;\n"
    "   int a = int(floor(float(attributeCount) * angle / 6.283185307179586));\n"
    "   a = clamp(a, firstAttribute, firstAttribute + tileAttributes - 1);\n"
    "   bool outside = cellTime < 0.0 || cellTime >= float(timeCount);\n"
    "   if (outside && (displayMode & 2) == 0)\n"
    "      discard;\n"
    "   int t = clamp(int(floor(cellTime)), 0, timeCount - 1);\n"
    "   float v = valueAt(a, t);\n"
    "   if ((displayMode & 2) != 0) {\n"
    "      if (!narrowedHit(a, t, v))\n"
    "         discard;\n"
    "   }\n"
    "   vec3 color = isnan(v) ? missingColor.rgb\n"
    "                         : (displayMode == 2 ? widthColor.rgb : gradientColor(v));\n"
    "   gl_FragColor = vec4(color, 1.0);\n"
    "}\n";

constexpr int stride = TubeTiling::floatsPerVertex * int(sizeof(float));
// Rows converted and sent at a time: bounds the staging copy, whatever the
// tile's size.
constexpr int stagingFloats = 1 << 22;

void clearErrors(QOpenGLFunctions &gl)
{
    // Errors left by others must not pass for ours.
    for (int i = 0; i < 16 && gl.glGetError() != GL_NO_ERROR; ++i) {
    }
}

void setNearest(QOpenGLFunctions &gl, GLenum target)
{
    // No mipmaps: the default minifying filter would leave the texture
    // incomplete, and cells must never blend into their neighbours.
    gl.glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl.glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gl.glTexParameteri(target, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    gl.glTexParameteri(target, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

} // namespace

TubeTextureRenderer::~TubeTextureRenderer()
{
    releaseResources();
}

bool TubeTextureRenderer::isSupported(const QOpenGLContext &context)
{
    return !context.isOpenGLES() && context.format().version() >= qMakePair(3, 0);
}

bool TubeTextureRenderer::initialize(QOpenGLFunctions &gl)
{
    m_program = new QOpenGLShaderProgram;
    m_program->addShaderFromSourceCode(QOpenGLShader::Vertex, vertexShaderSource);
    m_program->addShaderFromSourceCode(QOpenGLShader::Fragment, fragmentShaderSource);
    m_program->bindAttributeLocation("vertex", 0);
    m_program->bindAttributeLocation("time", 1);
    if (!m_program->link()) {
        qDebug() << "Tube textures unavailable:" << m_program->log();
        delete m_program;
        m_program = nullptr;
        return false;
    }
    m_program->bind();
    m_pmvMatrixLocation = m_program->uniformLocation("pmvMatrix");
    m_stopCountLocation = m_program->uniformLocation("stopCount");
    m_displayModeLocation = m_program->uniformLocation("displayMode");
    m_missingColorLocation = m_program->uniformLocation("missingColor");
    m_widthColorLocation = m_program->uniformLocation("widthColor");
    m_eyeLocation = m_program->uniformLocation("eye");
    m_radiusLocation = m_program->uniformLocation("radius");
    m_halfAngleLocation = m_program->uniformLocation("halfAngle");
    m_cellStepLocation = m_program->uniformLocation("cellStep");
    m_timeStepLengthLocation = m_program->uniformLocation("timeStepLength");
    m_attributeCountLocation = m_program->uniformLocation("attributeCount");
    m_firstAttributeLocation = m_program->uniformLocation("firstAttribute");
    m_tileAttributesLocation = m_program->uniformLocation("tileAttributes");
    m_timeCountLocation = m_program->uniformLocation("timeCount");
    m_rowsPerLayerLocation = m_program->uniformLocation("rowsPerLayer");
    m_program->setUniformValue("marchSteps", TubeTiling::margin);
    m_reachLocation = m_program->uniformLocation("reach");
    m_lastTimeLocation = m_program->uniformLocation("lastTime");
    m_stepLengthLocation = m_program->uniformLocation("stepLength");
    m_program->setUniformValue("values", 0);
    m_program->setUniformValue("stops", 1);
    m_program->release();
    m_mesh.create();
    gl.glGenTextures(1, &m_gradientTexture);
    gl.glBindTexture(GL_TEXTURE_2D, m_gradientTexture);
    setNearest(gl, GL_TEXTURE_2D);
    gl.glBindTexture(GL_TEXTURE_2D, 0);
    m_gradientDirty = true;
    return true;
}

void TubeTextureRenderer::releaseResources()
{
    // Without a current context the names died with it.
    QOpenGLContext *context = QOpenGLContext::currentContext();
    if (context) {
        QOpenGLFunctions *gl = context->functions();
        releaseValues(*gl);
        if (m_gradientTexture)
            gl->glDeleteTextures(1, &m_gradientTexture);
    }
    m_textures.clear();
    m_tiling = TubeTiling();
    m_valueBytes = 0;
    m_gradientTexture = 0;
    m_mesh.destroy();
    delete m_program;
    m_program = nullptr;
}

void TubeTextureRenderer::releaseValues(QOpenGLFunctions &gl)
{
    if (!m_textures.isEmpty())
        gl.glDeleteTextures(m_textures.size(), m_textures.constData());
    m_textures.clear();
    m_tiling = TubeTiling();
    m_valueBytes = 0;
    if (m_mesh.isCreated() && m_mesh.bind()) {
        m_mesh.allocate(0);
        m_mesh.release();
    }
}

TubeGeometry::Status TubeTextureRenderer::upload(QOpenGLFunctions &gl, const TubeLayout &layout,
                                                 const Data &data, int maxTileSize)
{
    releaseValues(gl);
    const int n = data.attributeCount();
    const int m = data.timeCount();
    if (!m_program || qint64(n) * m == 0 || layout.attributeCount != n || layout.timeCount != m ||
        data.values.size() < qint64(n) * m)
        return TubeGeometry::Empty;
    GLint limit = 0;
    GLint layers = 0;
    gl.glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limit);
    gl.glGetIntegerv(GL_MAX_ARRAY_TEXTURE_LAYERS, &layers);
    const int side = maxTileSize > 0 ? qMin(maxTileSize, int(limit)) : int(limit);
    m_tiling = TubeTiling(layout, qMax(side, 1), qMax(side, 1), int(layers));
    if (m_tiling.tiles.isEmpty())
        return TubeGeometry::TooLarge;
    QVector<float> mesh;
    if (!m_tiling.buildMesh(layout, mesh)) {
        m_tiling = TubeTiling();
        return TubeGeometry::OutOfMemory;
    }
    clearErrors(gl);
    m_mesh.bind();
    m_mesh.allocate(mesh.constData(), mesh.size() * int(sizeof(float)));
    m_mesh.release();
    mesh = QVector<float>();

    m_textures.resize(m_tiling.tiles.size());
    gl.glGenTextures(m_textures.size(), m_textures.data());
    gl.glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gl.glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    QVector<float> staging;
    bool uploaded = gl.glGetError() == GL_NO_ERROR;
    for (int i = 0; uploaded && i < m_textures.size(); ++i)
        uploaded = uploadTile(gl, data, m_tiling.tiles.at(i), m_textures.at(i), staging);
    gl.glBindTexture(GL_TEXTURE_2D_ARRAY, 0);
    if (!uploaded) {
        releaseValues(gl);
        return TubeGeometry::OutOfMemory;
    }
    ++m_valueUploadCount;
    m_valueBytes = 0;
    for (const TubeTiling::Tile &tile : m_tiling.tiles)
        m_valueBytes += qint64(tile.attributeCount) * m_tiling.rowsPerLayer() *
                        m_tiling.layerCount() * qint64(sizeof(float));
    return TubeGeometry::Built;
}

bool TubeTextureRenderer::uploadTile(QOpenGLFunctions &gl, const Data &data,
                                     const TubeTiling::Tile &tile, unsigned int texture,
                                     QVector<float> &staging)
{
    QOpenGLExtraFunctions *gl3 = QOpenGLContext::currentContext()->extraFunctions();
    const int width = tile.attributeCount;
    const int rows = m_tiling.rowsPerLayer();
    const int timeCount = data.timeCount();
    gl.glBindTexture(GL_TEXTURE_2D_ARRAY, texture);
    setNearest(gl, GL_TEXTURE_2D_ARRAY);
    gl3->glTexImage3D(GL_TEXTURE_2D_ARRAY, 0, GL_R32F, width, rows, m_tiling.layerCount(), 0,
                      GL_RED, GL_FLOAT, nullptr);
    if (gl.glGetError() != GL_NO_ERROR)
        return false;
    const int rowsPerChunk = qBound(1, stagingFloats / width, rows);
    if (staging.size() < rowsPerChunk * width) {
        try {
            staging.resize(rowsPerChunk * width);
        } catch (const std::bad_alloc &) {
            return false;
        }
    }
    for (int layer = 0; layer < m_tiling.layerCount(); ++layer) {
        const int layerRows = qMin(rows, timeCount - layer * rows);
        for (int row = 0; row < layerRows; row += rowsPerChunk) {
            const int count = qMin(rowsPerChunk, layerRows - row);
            TubeTiling::copyRows(data, tile, layer * rows + row, count, staging.data());
            gl3->glTexSubImage3D(GL_TEXTURE_2D_ARRAY, 0, 0, row, layer, width, count, 1, GL_RED,
                                 GL_FLOAT, staging.constData());
        }
    }
    return gl.glGetError() == GL_NO_ERROR;
}

void TubeTextureRenderer::setColorStops(const ColorStops &stops)
{
    m_stops = stops;
    m_gradientDirty = true;
}

void TubeTextureRenderer::uploadGradient(QOpenGLFunctions &gl)
{
    // Row 0: the positions; row 1: the colours. No stops draw black.
    const ColorStops stops = m_stops.isEmpty() ? ColorStops{ColorStop(0.0, {0, 0, 0, 1})} : m_stops;
    const int k = stops.size();
    QVector<float> texels(k * 8, 0.0f);
    for (int i = 0; i < k; ++i) {
        texels[i * 4] = float(stops.at(i).position);
        const QVector4D &c = stops.at(i).color;
        for (int j = 0; j < 4; ++j)
            texels[(k + i) * 4 + j] = c[j];
    }
    gl.glBindTexture(GL_TEXTURE_2D, m_gradientTexture);
    gl.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, k, 2, 0, GL_RGBA, GL_FLOAT, texels.constData());
    gl.glBindTexture(GL_TEXTURE_2D, 0);
    m_gradientDirty = false;
}

void TubeTextureRenderer::draw(QOpenGLFunctions &gl, const QMatrix4x4 &pmv,
                               const TubeGeometry &style, const TubeLayout &layout)
{
    if (!m_program || m_textures.isEmpty())
        return;
    if (m_gradientDirty)
        uploadGradient(gl);
    if (!m_program->bind())
        qDebug() << "BindRender _program failed";
    m_program->setUniformValue(m_pmvMatrixLocation, pmv);
    m_program->setUniformValue(m_stopCountLocation, qMax(1, m_stops.size()));
    m_program->setUniformValue(m_displayModeLocation, style.displayMode);
    m_program->setUniformValue(m_missingColorLocation, style.missingValueColor);
    m_program->setUniformValue(m_widthColorLocation, style.widthColor);
    // The eye is where the projection sends everything to infinity.
    const QVector4D eye = pmv.inverted() * QVector4D(0.0f, 0.0f, 1.0f, 0.0f);
    m_program->setUniformValue(m_eyeLocation, eye.toVector3DAffine());
    m_program->setUniformValue(m_radiusLocation, layout.radius);
    m_program->setUniformValue(m_halfAngleLocation, std::abs(0.5f * layout.step()));
    m_program->setUniformValue(m_cellStepLocation, layout.step());
    m_program->setUniformValue(m_timeStepLengthLocation, layout.timeStepLength);
    m_program->setUniformValue(m_attributeCountLocation, layout.attributeCount);
    m_program->setUniformValue(m_timeCountLocation, layout.timeCount);
    m_program->setUniformValue(m_reachLocation,
                               float((style.displayMode & 2) ? TubeTiling::margin : 0));
    m_program->setUniformValue(m_lastTimeLocation, float(layout.timeCount));
    m_program->setUniformValue(m_stepLengthLocation, layout.timeStepLength);
    m_program->setUniformValue(m_rowsPerLayerLocation, m_tiling.rowsPerLayer());
    gl.glActiveTexture(GL_TEXTURE1);
    gl.glBindTexture(GL_TEXTURE_2D, m_gradientTexture);
    gl.glActiveTexture(GL_TEXTURE0);
    if (!m_mesh.bind())
        qDebug() << "BindRender failed";
    m_program->enableAttributeArray(0);
    m_program->enableAttributeArray(1);
    m_program->setAttributeBuffer(0, GL_FLOAT, 0, 3, stride);
    m_program->setAttributeBuffer(1, GL_FLOAT, 3 * sizeof(float), 1, stride);
    m_mesh.release();
    for (int i = 0; i < m_textures.size(); ++i) {
        const TubeTiling::Tile &tile = m_tiling.tiles.at(i);
        m_program->setUniformValue(m_firstAttributeLocation, tile.firstAttribute);
        m_program->setUniformValue(m_tileAttributesLocation, tile.attributeCount);
        gl.glBindTexture(GL_TEXTURE_2D_ARRAY, m_textures.at(i));
        gl.glDrawArrays(GL_TRIANGLES, tile.firstVertex, tile.vertexCount);
    }
    gl.glBindTexture(GL_TEXTURE_2D_ARRAY, 0);
    gl.glActiveTexture(GL_TEXTURE1);
    gl.glBindTexture(GL_TEXTURE_2D, 0);
    gl.glActiveTexture(GL_TEXTURE0);
    m_program->disableAttributeArray(0);
    m_program->disableAttributeArray(1);
    m_program->release();
}
