#include "view/outlinerenderer.h"

#include <QDebug>
#include <QOpenGLFunctions>
#include <QOpenGLShaderProgram>

namespace {

const char *const vertexShaderSource = "attribute vec4 vertex;\n"
                                       "uniform mat4 pmvMatrix;\n"
                                       "void main() {\n"
                                       "   gl_Position = pmvMatrix * vertex;\n"
                                       "}\n";

const char *const fragmentShaderSource = "uniform highp vec4 color;\n"
                                         "void main() {\n"
                                         "   gl_FragColor = color;\n"
                                         "}\n";

} // namespace

OutlineRenderer::OutlineRenderer(const TubeLayout &layout, const QVector4D &color, float inset)
    : m_layout(layout), m_color(color)
{
    m_geometry.inset = inset;
}

OutlineRenderer::~OutlineRenderer()
{
    releaseResources();
}

void OutlineRenderer::initialize()
{
    m_program = new QOpenGLShaderProgram;
    m_program->addShaderFromSourceCode(QOpenGLShader::Vertex, vertexShaderSource);
    m_program->addShaderFromSourceCode(QOpenGLShader::Fragment, fragmentShaderSource);
    m_program->bindAttributeLocation("vertex", 0);
    m_program->link();
    m_program->bind();
    m_pmvMatrixLocation = m_program->uniformLocation("pmvMatrix");
    m_colorLocation = m_program->uniformLocation("color");
    m_buffer.create();
    m_program->release();
    m_dirty = true;
}

void OutlineRenderer::releaseResources()
{
    m_buffer.destroy();
    delete m_program;
    m_program = nullptr;
    m_vertexFloatCount = 0;
    m_dirty = true;
}

void OutlineRenderer::build()
{
    QVector<float> vertices;
    if (!m_geometry.build(m_layout, vertices))
        return; // stays dirty and draws nothing
    m_vertexFloatCount = vertices.size();
    m_buffer.bind();
    m_buffer.allocate(vertices.constData(), m_vertexFloatCount * int(sizeof(float)));
    m_buffer.release();
    m_dirty = false;
}

void OutlineRenderer::draw(QOpenGLFunctions &gl, const QMatrix4x4 &pmv)
{
    if (!m_program)
        return;
    if (m_dirty)
        build();
    if (m_dirty)
        return;
    if (!m_program->bind())
        qDebug() << "BindRender _program failed";
    m_program->setUniformValue(m_pmvMatrixLocation, pmv);
    m_program->setUniformValue(m_colorLocation, m_color);
    if (!m_buffer.bind())
        qDebug() << "BindRender failed";
    m_program->enableAttributeArray(0);
    m_program->setAttributeBuffer(0, GL_FLOAT, 0, OutlineGeometry::floatsPerVertex, 0);
    m_buffer.release();
    gl.glDrawArrays(GL_TRIANGLES, 0, m_vertexFloatCount / OutlineGeometry::floatsPerVertex);
    m_program->disableAttributeArray(0);
    m_program->release();
}

void OutlineRenderer::setSelections(const Selections &selections)
{
    m_geometry.selections = selections;
    m_dirty = true;
}
