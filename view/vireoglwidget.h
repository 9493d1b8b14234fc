#ifndef VIREO_VIEW_VIREOGLWIDGET_H
#define VIREO_VIEW_VIREOGLWIDGET_H

#include "core/annotation.h"
#include "core/data.h"
#include "core/selection.h"
#include "view/camera.h"
#include "view/outlinerenderer.h"
#include "view/selectionpicker.h"
#include "view/tubelayout.h"
#include "view/tuberenderer.h"
#include "view/viewcontextmenu.h"

#include <QLinearGradient>
#include <QMap>
#include <QMatrix4x4>
#include <QOpenGLFunctions>
#include <QOpenGLWidget>
#include <QPoint>
#include <QTimer>
#include <QVector>

// The data drawn as the inside of a tube: attributes side by side round the
// section, time along the axis, one coloured cell per value. The camera flies
// inside it with held keys and looks round with the right mouse button; a
// click picks a value, an attribute, a time step or a zone, and the move keys
// shift the selection. The current selection is outlined over the correlation
// results where both cover a cell.
class VireoGLWidget : public QOpenGLWidget, protected QOpenGLFunctions
{
    Q_OBJECT

public:
    explicit VireoGLWidget(QWidget *parent = nullptr);
    ~VireoGLWidget() override;

    void setData(const Data &data);
    const Data &data() const { return m_data; }

    void setBackgroundColor(const QColor &color);
    void setMissingValuesColor(const QColor &color);
    void setGradient(const QLinearGradient &gradient);
    void setWidthColor(const QColor &color);
    // index of the main window's list ("Color", "Width", "Color & Width").
    void setDisplayMode(int index);
    int displayMode() const { return m_tubeRenderer.geometry().displayMode; }
    // The outline colours show at the next repaint; they request none.
    void setSelectionColor(const QColor &color);
    void setCorrelationColor(const QColor &color);

    // Makes a selection current (also from the panels) and outlines it.
    void setSelection(const Selection &selection);
    Selection selection() const { return m_currentSelection; }
    void setCorrelation(const Selections &selections);
    Selections correlation() const { return m_correlation; }
    Annotations annotations() const { return m_annotations; }

    // Flies to the wall at a fractional attribute and time position (cell
    // units: attribute a spans a .. a + 1); not while a flight runs.
    void goTo(float attributePosition, float timePosition);
    // Flies to the middle of a selection's block, across the wrap of a run
    // that passes attribute 0.
    void goTo(const Selection &selection);
    // The cell under a window position; invalid off the data.
    TubeLayout::Cell cellAt(const QPoint &pos) const;
    const TubeLayout &layout() const { return m_layout; }
    const Camera &camera() const { return m_camera; }

    // Bindings: Qt key code -> ViewActions action.
    QMap<int, int> keyMapForCamera() const { return m_keyMapForCamera; }
    void setKeyMapForCamera(const QMap<int, int> &map) { m_keyMapForCamera = map; }
    int keyForReturnToOrigin() const { return m_keyForReturnToOrigin; }
    void setKeyForReturnToOrigin(int key) { m_keyForReturnToOrigin = key; }
    QMap<int, int> keyMapForPicking() const { return m_keyMapForPicking; }
    void setKeyMapForPicking(const QMap<int, int> &map) { m_keyMapForPicking = map; }
    QMap<int, int> keyMapToMoveSelection() const { return m_keyMapToMoveSelection; }
    void setKeyMapToMoveSelection(const QMap<int, int> &map) { m_keyMapToMoveSelection = map; }

    // The drawing of the cells, for benchmarks and tests that compare its
    // paths and count what it uploads.
    TubeRenderer &tubeRenderer() { return m_tubeRenderer; }

    float tubeRadius() const { return m_layout.radius; }
    float timeStepLength() const { return m_layout.timeStepLength; }

signals:
    void correlationRequested(Selection selection);
    void exportFinished();
    void selectionChanged(Selection selection);
    void correlationChanged(Selections selections);
    void annotationsChanged(Annotations annot);
    // The data cannot be drawn (too large, or no memory for it); the view
    // shows nothing for it and waits for the next data.
    void displayFailed(const QString &message);

public slots:
    // The menu of actions on the current selection.
    void showContextMenu(QPoint pos);

protected:
    // The one way to a warning box, so that tests can answer it.
    virtual void warn(const QString &title, const QString &text);

    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;

private:
    void cleanup();
    void startAnimationIfMoving();
    void reportDisplayFailure(TubeGeometry::Status status);
    bool hasFixedFunctions() const;
    bool wallPointAt(const QPoint &pos, QVector3D *point) const;
    void pickAt(const QPoint &pos);
    void moveSelection(int action);

    Data m_data;
    Camera m_camera;
    Selection m_currentSelection;
    Selections m_correlation;
    Annotations m_annotations;
    // Radius and time step length of the tube; the renderers draw by it.
    TubeLayout m_layout;
    QMap<int, int> m_keyMapForCamera;
    int m_keyForReturnToOrigin = 0;
    QMap<int, int> m_keyMapForPicking;
    SelectionPicker m_picker;
    QMap<int, int> m_keyMapToMoveSelection;
    int m_mouseState = 0;
    QPoint m_lastMousePosition;
    QTimer m_animationTimer;
    QMatrix4x4 m_projection;
    TubeRenderer m_tubeRenderer;
    OutlineRenderer m_selectionOutline;
    OutlineRenderer m_correlationOutline;
    // One message per data set, however often its build fails.
    bool m_failureReported = false;
    ViewContextMenu m_contextMenu;
};

#endif // VIREO_VIEW_VIREOGLWIDGET_H
