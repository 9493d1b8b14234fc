#include "view/vireoglwidget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QPainter>
#include <QSurfaceFormat>

#include <cmath>

namespace {

// mouseState bits.
constexpr int leftPressed = 1;
constexpr int leftDragged = 2;
constexpr int rightPressed = 16;
constexpr int rightDragged = 32;

QVector4D toVector(const QColor &color)
{
    return QVector4D(float(color.redF()), float(color.greenF()), float(color.blueF()),
                     float(color.alphaF()));
}

QMap<int, int> defaultCameraKeys()
{
    return {{Qt::Key_Z, Camera::Forward},  {Qt::Key_Q, Camera::Right},
            {Qt::Key_S, Camera::Backward}, {Qt::Key_D, Camera::Left},
            {Qt::Key_O, Camera::Origin},   {Qt::Key_Shift, Camera::Highspeed}};
}

QMap<int, int> defaultPickingKeys()
{
    return {{Qt::Key_A, 0}, {Qt::Key_T, 1}, {Qt::Key_Control, 2}, {Qt::Key_Escape, 3}};
}

QMap<int, int> defaultMoveSelectionKeys()
{
    return {{Qt::Key_Down, 0}, {Qt::Key_Up, 1}, {Qt::Key_Right, 2}, {Qt::Key_Left, 3}};
}

} // namespace

VireoGLWidget::VireoGLWidget(QWidget *parent)
    : QOpenGLWidget(parent), m_keyMapForCamera(defaultCameraKeys()),
      m_keyForReturnToOrigin(Qt::Key_R), m_keyMapForPicking(defaultPickingKeys()),
      m_pickingState(4, false), m_keyMapToMoveSelection(defaultMoveSelectionKeys()),
      m_animationTimer(this),
      m_selectionOutline(QVector4D(0.0f, 1.0f, 0.0f, 1.0f), m_tubeRadius - 0.01f),
      m_correlationOutline(QVector4D(0.0f, 0.0f, 0.39f, 1.0f), m_tubeRadius - 0.02f)
{
    // The shaders are GLSL without a version line and glShadeModel is fixed
    // function: both need a compatibility context.
    QSurfaceFormat surfaceFormat = QSurfaceFormat::defaultFormat();
    surfaceFormat.setProfile(QSurfaceFormat::CompatibilityProfile);
    setFormat(surfaceFormat);

    m_tubeRenderer.setRadius(m_tubeRadius);
    m_tubeRenderer.setTimeStepLength(m_timeStepLength);
    m_selectionOutline.setTimeStepLength(m_timeStepLength);
    m_correlationOutline.setTimeStepLength(m_timeStepLength);
    QLinearGradient gradient;
    gradient.setColorAt(0.0, QColor(0, 0, 255));
    gradient.setColorAt(1.0, QColor(170, 255, 255));
    m_tubeRenderer.setColorStops(ColorStop::fromGradient(gradient));

    m_animationTimer.setObjectName(QStringLiteral("animationTimer"));
    m_animationTimer.setInterval(16);
    connect(&m_animationTimer, &QTimer::timeout, this, [this] { update(); });

    setFocusPolicy(Qt::StrongFocus);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

VireoGLWidget::~VireoGLWidget()
{
    cleanup();
    // The base class destroys the context later, when this part is gone.
    if (context())
        disconnect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &VireoGLWidget::cleanup);
}

void VireoGLWidget::cleanup()
{
    if (!context())
        return;
    makeCurrent();
    m_tubeRenderer.releaseResources();
    m_selectionOutline.releaseResources();
    m_correlationOutline.releaseResources();
    doneCurrent();
}

void VireoGLWidget::setData(const Data &data)
{
    m_data = data;
    m_tubeRenderer.setData(data);
    m_annotations.clear();
    m_failureReported = false;
    setSelection(Selection());
    setCorrelation(Selections());
    if (!m_tubeRenderer.geometry().fits(data.attributeCount(), data.timeCount()))
        reportDisplayFailure();
    update();
}

void VireoGLWidget::reportDisplayFailure()
{
    if (m_failureReported)
        return;
    m_failureReported = true;
    const qint64 cells = qint64(m_data.attributeCount()) * m_data.timeCount();
    emit displayFailed(
        tr("The data has too many cells to be displayed (%1); aggregate it to fewer time steps.")
            .arg(cells));
}

void VireoGLWidget::setBackgroundColor(const QColor &color)
{
    m_tubeRenderer.setBackgroundColor(toVector(color));
    update();
}

void VireoGLWidget::setMissingValuesColor(const QColor &color)
{
    m_tubeRenderer.setMissingValueColor(toVector(color));
    update();
}

void VireoGLWidget::setGradient(const QLinearGradient &gradient)
{
    m_tubeRenderer.setColorStops(ColorStop::fromGradient(gradient));
    update();
}

void VireoGLWidget::setWidthColor(const QColor &color)
{
    m_tubeRenderer.setWidthColor(color);
    update();
}

void VireoGLWidget::setDisplayMode(int index)
{
    m_tubeRenderer.setDisplayMode(qBound(1, index + 1, 3));
    update();
}

void VireoGLWidget::setSelectionColor(const QColor &color)
{
    m_selectionOutline.setColor(toVector(color));
}

void VireoGLWidget::setCorrelationColor(const QColor &color)
{
    m_correlationOutline.setColor(toVector(color));
}

void VireoGLWidget::setSelection(const Selection &selection)
{
    m_currentSelection = selection;
    m_selectionOutline.setSelections({selection});
    emit selectionChanged(selection);
    update();
}

void VireoGLWidget::setCorrelation(const Selections &selections)
{
    m_correlation = selections;
    m_correlationOutline.setSelections(selections);
    emit correlationChanged(selections);
    update();
}

void VireoGLWidget::goTo(float attributePosition, float timePosition)
{
    if (m_camera.isAnimating() || m_data.attributeCount() == 0)
        return;
    const float angle = attributePosition * TubeGeometry::attributeStep(m_data.attributeCount());
    const QVector3D point(float(m_tubeRadius * std::cos(double(angle))),
                          float(m_tubeRadius * std::sin(double(angle))),
                          -(m_timeStepLength * timePosition));
    m_camera.focusOn(point);
    update();
}

void VireoGLWidget::showContextMenu(QPoint pos)
{
    // No actions on selections are offered yet.
    Q_UNUSED(pos)
}

void VireoGLWidget::startAnimationIfMoving()
{
    if (m_camera.isMoving() && !m_animationTimer.isActive())
        m_animationTimer.start();
}

void VireoGLWidget::mousePressEvent(QMouseEvent *event)
{
    m_lastMousePosition = event->pos();
    if (event->button() == Qt::LeftButton) {
        m_mouseState |= leftPressed;
        m_camera.press(Camera::LeftButton);
    } else if (event->button() == Qt::RightButton) {
        m_mouseState |= rightPressed;
        m_camera.press(Camera::RightButton);
    }
    startAnimationIfMoving();
}

void VireoGLWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_mouseState &= ~(leftPressed | leftDragged | 4 | 8);
        m_camera.release(Camera::LeftButton);
    } else if (event->button() == Qt::RightButton) {
        // A drag turned the view; only a plain click asks for the menu.
        if (!(m_mouseState & rightDragged))
            showContextMenu(event->pos());
        m_mouseState &= ~(rightPressed | rightDragged | 64 | 128);
        m_camera.release(Camera::RightButton);
    }
}

void VireoGLWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Not a second press: a double click is reserved for flying to the
    // clicked cell, which needs picking.
    Q_UNUSED(event)
}

void VireoGLWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (m_mouseState & leftPressed)
        m_mouseState |= leftDragged;
    if (m_mouseState & rightPressed)
        m_mouseState |= rightDragged;
    const QPoint delta = event->pos() - m_lastMousePosition;
    m_camera.look(delta.x(), delta.y());
    m_lastMousePosition = event->pos();
}

void VireoGLWidget::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const auto camera = m_keyMapForCamera.constFind(key);
    if (camera != m_keyMapForCamera.constEnd()) {
        m_camera.press(camera.value());
        startAnimationIfMoving();
        return;
    }
    if (key == m_keyForReturnToOrigin) {
        if (!m_camera.isAnimating()) {
            m_camera.returnToOrigin();
            startAnimationIfMoving();
        }
        return;
    }
    QOpenGLWidget::keyPressEvent(event);
}

void VireoGLWidget::keyReleaseEvent(QKeyEvent *event)
{
    const auto camera = m_keyMapForCamera.constFind(event->key());
    if (camera != m_keyMapForCamera.constEnd()) {
        m_camera.release(camera.value());
        return;
    }
    QOpenGLWidget::keyReleaseEvent(event);
}

void VireoGLWidget::focusOutEvent(QFocusEvent *event)
{
    m_pickingState.fill(false);
    m_camera.releaseAll();
    QOpenGLWidget::focusOutEvent(event);
}

bool VireoGLWidget::hasFixedFunctions() const
{
    const QOpenGLContext *gl = context();
    const QSurfaceFormat surfaceFormat = gl->format();
    if (gl->isOpenGLES() || surfaceFormat.profile() == QSurfaceFormat::CoreProfile)
        return false;
    if (surfaceFormat.version() == qMakePair(3, 1))
        return gl->hasExtension(QByteArrayLiteral("GL_ARB_compatibility"));
    return true;
}

void VireoGLWidget::initializeGL()
{
    // Resources die with the context (also when the widget is reparented
    // and gets a new one); initializeGL runs again for the new context.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &VireoGLWidget::cleanup);
    initializeOpenGLFunctions();
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    if (hasFixedFunctions()) {
        ::glShadeModel(GL_SMOOTH);
        glEnable(GL_TEXTURE_2D);
    }
    glEnable(GL_DEPTH_TEST);
    m_tubeRenderer.initialize();
    m_selectionOutline.initialize();
    m_correlationOutline.initialize();
}

void VireoGLWidget::resizeGL(int w, int h)
{
    m_projection.setToIdentity();
    m_projection.perspective(45.0f, float(w) / float(qMax(h, 1)), 0.01f, 1000.0f);
}

void VireoGLWidget::paintGL()
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.beginNativePainting();
    // Set before the clear, so that a new background shows in the frame that
    // the change asked for, not one frame later.
    m_tubeRenderer.applyClearColor(*this);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    m_camera.update();
    const QMatrix4x4 pmv = m_projection * m_camera.viewMatrix();
    m_tubeRenderer.draw(*this, pmv);
    m_correlationOutline.draw(*this, pmv);
    m_selectionOutline.draw(*this, pmv);
    painter.endNativePainting();
    painter.end();

    if (m_tubeRenderer.hasFailed() && !m_failureReported) {
        // Not from inside the paint: a receiver may open a dialog.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_tubeRenderer.hasFailed())
                    reportDisplayFailure();
            },
            Qt::QueuedConnection);
    }
    if (m_camera.isMoving())
        startAnimationIfMoving();
    else if (m_animationTimer.isActive())
        m_animationTimer.stop();
}
