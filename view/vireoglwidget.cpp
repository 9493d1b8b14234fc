#include "view/vireoglwidget.h"

#include "view/viewactions.h"

#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QPainter>
#include <QSurfaceFormat>

namespace {

// mouseState bits.
constexpr int leftPressed = 1;
constexpr int leftDragged = 2;
constexpr int rightPressed = 16;
constexpr int rightDragged = 32;

// How far inside the wall the outlines lie. The selection lies nearer to the
// camera, so that the depth test keeps it over a correlation block on the
// same cells (a search always finds its model block).
constexpr float selectionInset = 0.02f;
constexpr float correlationInset = 0.01f;

} // namespace

VireoGLWidget::VireoGLWidget(QWidget *parent)
    : QOpenGLWidget(parent), m_keyMapForCamera(ViewActions::defaultCameraKeys()),
      m_keyForReturnToOrigin(ViewActions::defaultReturnToOriginKey()),
      m_keyMapForPicking(ViewActions::defaultPickingKeys()),
      m_keyMapToMoveSelection(ViewActions::defaultMoveSelectionKeys()), m_animationTimer(this),
      m_tubeRenderer(m_layout),
      m_selectionOutline(m_layout, QVector4D(0.0f, 1.0f, 0.0f, 1.0f), selectionInset),
      m_correlationOutline(m_layout, QVector4D(0.0f, 0.0f, 0.39f, 1.0f), correlationInset),
      m_contextMenu(this, [this](const QString &title, const QString &text) { warn(title, text); })
{
    // The shaders are GLSL without a version line and glShadeModel is fixed
    // function: both need a compatibility context.
    QSurfaceFormat surfaceFormat = QSurfaceFormat::defaultFormat();
    surfaceFormat.setProfile(QSurfaceFormat::CompatibilityProfile);
    setFormat(surfaceFormat);

    QLinearGradient gradient;
    gradient.setColorAt(0.0, QColor(0, 0, 255));
    gradient.setColorAt(1.0, QColor(170, 255, 255));
    m_tubeRenderer.setColorStops(ColorStop::fromGradient(gradient));

    m_animationTimer.setObjectName(QStringLiteral("animationTimer"));
    m_animationTimer.setInterval(16);
    connect(&m_animationTimer, &QTimer::timeout, this, [this] { update(); });

    setFocusPolicy(Qt::StrongFocus);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&m_contextMenu, &ViewContextMenu::correlationRequested, this,
            &VireoGLWidget::correlationRequested);
    connect(&m_contextMenu, &ViewContextMenu::exportFinished, this, &VireoGLWidget::exportFinished);
    connect(&m_contextMenu, &ViewContextMenu::noteWritten, this, [this](const Annotation &note) {
        m_annotations.append(note);
        emit annotationsChanged(m_annotations);
    });
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
    m_layout.attributeCount = data.attributeCount();
    m_layout.timeCount = data.timeCount();
    m_tubeRenderer.setData(data);
    m_annotations.clear();
    m_failureReported = false;
    setSelection(Selection());
    setCorrelation(Selections());
    if (!m_tubeRenderer.fits(data.attributeCount(), data.timeCount()))
        reportDisplayFailure(TubeGeometry::TooLarge);
    update();
}

void VireoGLWidget::reportDisplayFailure(TubeGeometry::Status status)
{
    if (m_failureReported)
        return;
    m_failureReported = true;
    const qint64 cells = qint64(m_data.attributeCount()) * m_data.timeCount();
    if (status == TubeGeometry::OutOfMemory)
        emit displayFailed(
            tr("Not enough memory to display %1 cells; aggregate the data to fewer time steps.")
                .arg(cells));
    else
        emit displayFailed(tr("The data has too many cells to be displayed (%1); aggregate it to "
                              "fewer time steps.")
                               .arg(cells));
}

void VireoGLWidget::setBackgroundColor(const QColor &color)
{
    m_tubeRenderer.setBackgroundColor(ColorStop::toVector(color));
    update();
}

void VireoGLWidget::setMissingValuesColor(const QColor &color)
{
    m_tubeRenderer.setMissingValueColor(ColorStop::toVector(color));
    update();
}

void VireoGLWidget::setGradient(const QLinearGradient &gradient)
{
    m_tubeRenderer.setColorStops(ColorStop::fromGradient(gradient));
    update();
}

void VireoGLWidget::setWidthColor(const QColor &color)
{
    m_tubeRenderer.setWidthColor(ColorStop::toVector(color));
    update();
}

void VireoGLWidget::setDisplayMode(int index)
{
    m_tubeRenderer.setDisplayMode(qBound(1, index + 1, 3));
    update();
}

void VireoGLWidget::setSelectionColor(const QColor &color)
{
    m_selectionOutline.setColor(ColorStop::toVector(color));
}

void VireoGLWidget::setCorrelationColor(const QColor &color)
{
    m_correlationOutline.setColor(ColorStop::toVector(color));
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
    if (m_camera.isAnimating() || m_layout.attributeCount == 0)
        return;
    m_camera.focusOn(m_layout.wallPoint(attributePosition, timePosition));
    update();
}

void VireoGLWidget::goTo(const Selection &selection)
{
    if (m_camera.isAnimating() || !m_layout.contains(selection))
        return;
    m_camera.focusOn(m_layout.middle(selection));
    update();
}

void VireoGLWidget::showContextMenu(QPoint pos)
{
    m_contextMenu.exec(pos);
}

void VireoGLWidget::startAnimationIfMoving()
{
    if (m_camera.isMoving() && !m_animationTimer.isActive())
        m_animationTimer.start();
}

void VireoGLWidget::warn(const QString &title, const QString &text)
{
    QMessageBox::warning(this, title, text, QMessageBox::Ok);
}

bool VireoGLWidget::wallPointAt(const QPoint &pos, QVector3D *point) const
{
    const QPointF ndc((float(pos.x()) / float(width()) - 0.5f) * 2.0f,
                      (0.5f - float(pos.y()) / float(height())) * 2.0f);
    return m_layout.wallPointUnder(m_projection * m_camera.viewMatrix(), ndc, point);
}

TubeLayout::Cell VireoGLWidget::cellAt(const QPoint &pos) const
{
    QVector3D point;
    return wallPointAt(pos, &point) ? m_layout.cellAt(point) : TubeLayout::Cell();
}

void VireoGLWidget::pickAt(const QPoint &pos)
{
    const TubeLayout::Cell cell = cellAt(pos);
    if (!cell.isValid())
        return;
    Selection picked;
    if (m_picker.pick(m_data, cell, m_currentSelection, &picked) == SelectionPicker::ZoneRefused)
        warn(tr("Unable to select zone"),
             tr("<p>To select a zone, select a value, press 'ctrl' and select another value. "
                "<p>This will select the zone between the first selected value and the other "
                "one."));
    else
        setSelection(picked);
}

void VireoGLWidget::moveSelection(int action)
{
    Selection moved;
    if (m_layout.contains(m_currentSelection) &&
        SelectionPicker::move(m_data, m_currentSelection, action, &moved))
        setSelection(moved);
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
        // The release that ends a double click has no press of its own: the
        // first click of the pair has picked already.
        const bool click = (m_mouseState & (leftPressed | leftDragged)) == leftPressed;
        m_mouseState &= ~(leftPressed | leftDragged);
        if (click)
            pickAt(event->pos());
        m_camera.release(Camera::LeftButton);
    } else if (event->button() == Qt::RightButton) {
        // A drag turned the view; only a plain click asks for the menu.
        const bool click = !(m_mouseState & rightDragged);
        m_mouseState &= ~(rightPressed | rightDragged);
        // Before the menu's event loop: a camera still turning would have the
        // timer repaint the whole tube behind the open menu.
        m_camera.release(Camera::RightButton);
        if (!m_camera.isMoving())
            m_animationTimer.stop();
        if (click)
            showContextMenu(event->pos());
    }
}

void VireoGLWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    QVector3D point;
    if (event->button() != Qt::LeftButton || m_camera.isAnimating() ||
        !wallPointAt(event->pos(), &point) || !m_layout.cellAt(point).isValid())
        return;
    m_camera.focusOn(point);
    startAnimationIfMoving();
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
    bool handled = false;
    const auto picking = m_keyMapForPicking.constFind(key);
    if (picking != m_keyMapForPicking.constEnd()) {
        m_picker.setHeld(picking.value(), true);
        handled = true;
    }
    // Every key pressed while Reset is held clears again.
    if (m_picker.isHeld(ViewActions::Reset)) {
        setSelection(Selection());
        setCorrelation(Selections());
        handled = true;
    }
    if (key == m_keyForReturnToOrigin) {
        if (!m_camera.isAnimating()) {
            m_camera.returnToOrigin();
            startAnimationIfMoving();
        }
        handled = true;
    }
    const auto move = m_keyMapToMoveSelection.constFind(key);
    if (move != m_keyMapToMoveSelection.constEnd()) {
        if (m_currentSelection.type != Selection::None)
            moveSelection(move.value());
        handled = true;
    }
    if (!handled)
        QOpenGLWidget::keyPressEvent(event);
}

void VireoGLWidget::keyReleaseEvent(QKeyEvent *event)
{
    const int key = event->key();
    const auto camera = m_keyMapForCamera.constFind(key);
    if (camera != m_keyMapForCamera.constEnd()) {
        m_camera.release(camera.value());
        return;
    }
    const auto picking = m_keyMapForPicking.constFind(key);
    if (picking != m_keyMapForPicking.constEnd()) {
        m_picker.setHeld(picking.value(), false);
        return;
    }
    QOpenGLWidget::keyReleaseEvent(event);
}

void VireoGLWidget::focusOutEvent(QFocusEvent *event)
{
    m_picker.releaseAll();
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
    // The painter switches the depth test off for its own drawing.
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    // Set before the clear, so that a new background shows in the frame that
    // the change asked for, not one frame later.
    m_tubeRenderer.applyClearColor(*this);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    m_camera.update();
    const QMatrix4x4 pmv = m_projection * m_camera.viewMatrix();
    m_tubeRenderer.draw(*this, pmv);
    // Not drawn last on purpose: the depth test alone keeps it on top.
    m_selectionOutline.draw(*this, pmv);
    m_correlationOutline.draw(*this, pmv);
    painter.endNativePainting();
    painter.end();

    if (m_tubeRenderer.hasFailed() && !m_failureReported) {
        // Not from inside the paint: a receiver may open a dialog.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_tubeRenderer.hasFailed())
                    reportDisplayFailure(m_tubeRenderer.status());
            },
            Qt::QueuedConnection);
    }
    if (m_camera.isMoving())
        startAnimationIfMoving();
    else if (m_animationTimer.isActive())
        m_animationTimer.stop();
}
