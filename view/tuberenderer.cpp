#include "view/tuberenderer.h"

#include <QDebug>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLShaderProgram>

namespace {

const char *const vertexShaderSource = "attribute vec4 vertex;\n"
                                       "attribute vec4 color;\n"
                                       "varying vec4 vertColor;\n"
                                       "uniform mat4 pmvMatrix;\n"
                                       "void main() {\n"
                                       "   vertColor = color;\n"
                                       "   gl_Position = pmvMatrix * vertex;\n"
                                       "}\n";

const char *const fragmentShaderSource = "varying highp vec4 vertColor;\n"
                                         "void main() {\n"
                                         "   gl_FragColor = vec4(vertColor.xyz, 1.0);\n"
                                         "}\n";

constexpr int stride = TubeGeometry::floatsPerVertex * int(sizeof(float));

} // namespace

TubeRenderer::~TubeRenderer()
{
    releaseResources();
}

void TubeRenderer::initialize()
{
    m_program = new QOpenGLShaderProgram;
    m_program->addShaderFromSourceCode(QOpenGLShader::Vertex, vertexShaderSource);
    m_program->addShaderFromSourceCode(QOpenGLShader::Fragment, fragmentShaderSource);
    m_program->bindAttributeLocation("vertex", 0);
    m_program->bindAttributeLocation("color", 1);
    m_program->link();
    m_program->bind();
    m_pmvMatrixLocation = m_program->uniformLocation("pmvMatrix");
    m_buffer.create();
    m_program->release();
    QOpenGLContext *context = QOpenGLContext::currentContext();
    m_texturesSupported = context && TubeTextureRenderer::isSupported(*context) &&
                          m_textures.initialize(*context->functions());
    m_initialized = true;
    // A new context holds none of the old geometry.
    markDirty(true);
}

void TubeRenderer::releaseResources()
{
    m_buffer.destroy();
    delete m_program;
    m_program = nullptr;
    m_textures.releaseResources();
    m_vertexFloatCount = 0;
    markDirty(true);
}

bool TubeRenderer::fits(qint64 attributeCount, qint64 timeCount) const
{
    // The textures hold whatever a Data can.
    if (m_texturesAllowed && (!m_initialized || m_texturesSupported))
        return true;
    return m_geometry.fits(attributeCount, timeCount);
}

void TubeRenderer::setTexturesAllowed(bool allowed)
{
    m_texturesAllowed = allowed;
    markDirty(true);
}

void TubeRenderer::setMaxTileSize(int size)
{
    m_maxTileSize = size;
    markDirty(true);
}

void TubeRenderer::markDirty(bool valuesChanged)
{
    m_dirty = true;
    if (valuesChanged)
        m_valuesDirty = true;
    if (valuesChanged || !usesTextures())
        m_status = TubeGeometry::Empty;
}

void TubeRenderer::applyClearColor(QOpenGLFunctions &gl) const
{
    if (qint64(m_geometry.data.attributeCount()) * m_geometry.data.timeCount() == 0)
        return;
    gl.glClearColor(m_backgroundColor.x(), m_backgroundColor.y(), m_backgroundColor.z(),
                    m_backgroundColor.w());
}

void TubeRenderer::uploadValues(QOpenGLFunctions &gl)
{
    // One path's copy of the data at a time.
    if (m_vertexFloatCount > 0) {
        m_buffer.bind();
        m_buffer.allocate(0);
        m_buffer.release();
        m_vertexFloatCount = 0;
    }
    m_dirty = true;
    m_status = m_textures.upload(gl, m_layout, m_geometry.data, m_maxTileSize);
    if (m_status != TubeGeometry::Empty)
        m_valuesDirty = false;
}

void TubeRenderer::build(QOpenGLFunctions &gl)
{
    m_textures.releaseValues(gl);
    m_valuesDirty = true;
    m_status = m_geometry.build(m_layout, m_vertices);
    if (m_status == TubeGeometry::Empty)
        return; // stays dirty: nothing to draw until data arrives
    m_dirty = false;
    m_vertexFloatCount = m_status == TubeGeometry::Built ? m_vertices.size() : 0;
    // Errors left by others must not pass for ours.
    for (int i = 0; i < 16 && gl.glGetError() != GL_NO_ERROR; ++i) {
    }
    m_buffer.bind();
    m_buffer.allocate(m_vertices.constData(), m_vertexFloatCount * int(sizeof(float)));
    m_buffer.release();
    if (m_vertexFloatCount > 0 && gl.glGetError() == GL_OUT_OF_MEMORY) {
        m_status = TubeGeometry::OutOfMemory;
        m_vertexFloatCount = 0;
    }
    // The GL buffer holds the vertices now; keeping a second copy would
    // double the memory of large data.
    m_vertices = QVector<float>();
}

void TubeRenderer::draw(QOpenGLFunctions &gl, const QMatrix4x4 &pmv)
{
    if (!m_program)
        return;
    if (usesTextures()) {
        if (m_valuesDirty)
            uploadValues(gl);
        if (m_status != TubeGeometry::Built)
            return;
        applyClearColor(gl);
        m_textures.draw(gl, pmv, m_geometry, m_layout);
        return;
    }
    if (m_dirty)
        build(gl);
    if (m_dirty || m_vertexFloatCount == 0)
        return;
    if (!m_program->bind())
        qDebug() << "BindRender _program failed";
    m_program->setUniformValue(m_pmvMatrixLocation, pmv);
    if (!m_buffer.bind())
        qDebug() << "BindRender failed";
    applyClearColor(gl);
    m_program->enableAttributeArray(0);
    m_program->enableAttributeArray(1);
    m_program->setAttributeBuffer(0, GL_FLOAT, 0, 3, stride);
    m_program->setAttributeBuffer(1, GL_FLOAT, 3 * sizeof(float), 3, stride);
    m_buffer.release();
    gl.glDrawArrays(GL_TRIANGLES, 0, m_vertexFloatCount / TubeGeometry::floatsPerVertex);
    m_program->disableAttributeArray(0);
    m_program->disableAttributeArray(1);
    m_program->release();
}

void TubeRenderer::setData(const Data &data)
{
    m_geometry.data = data;
    markDirty(true);
}

void TubeRenderer::setMissingValueColor(const QVector4D &color)
{
    m_geometry.missingValueColor = color;
    markDirty(false);
}

void TubeRenderer::setColorStops(const ColorStops &stops)
{
    m_geometry.colorStops = stops;
    m_textures.setColorStops(stops);
    markDirty(false);
}

void TubeRenderer::setWidthColor(const QVector4D &color)
{
    m_geometry.widthColor = color;
    markDirty(false);
}

void TubeRenderer::setDisplayMode(int mode)
{
    m_geometry.displayMode = mode;
    markDirty(false);
}
