#include "view/tuberenderer.h"

#include <QDebug>
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
    // A new context holds none of the old geometry.
    markDirty();
}

void TubeRenderer::releaseResources()
{
    m_buffer.destroy();
    delete m_program;
    m_program = nullptr;
    m_vertexFloatCount = 0;
    markDirty();
}

void TubeRenderer::applyClearColor(QOpenGLFunctions &gl) const
{
    if (qint64(m_geometry.data.attributeCount()) * m_geometry.data.timeCount() == 0)
        return;
    gl.glClearColor(m_backgroundColor.x(), m_backgroundColor.y(), m_backgroundColor.z(),
                    m_backgroundColor.w());
}

void TubeRenderer::build(QOpenGLFunctions &gl)
{
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
    markDirty();
}

void TubeRenderer::setMissingValueColor(const QVector4D &color)
{
    m_geometry.missingValueColor = color;
    markDirty();
}

void TubeRenderer::setColorStops(const ColorStops &stops)
{
    m_geometry.colorStops = stops;
    markDirty();
}

void TubeRenderer::setWidthColor(const QVector4D &color)
{
    m_geometry.widthColor = color;
    markDirty();
}

void TubeRenderer::setDisplayMode(int mode)
{
    m_geometry.displayMode = mode;
    markDirty();
}
