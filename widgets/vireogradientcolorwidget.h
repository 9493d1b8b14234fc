#ifndef VIREO_WIDGETS_VIREOGRADIENTCOLORWIDGET_H
#define VIREO_WIDGETS_VIREOGRADIENTCOLORWIDGET_H

#include <QColorDialog>
#include <QGradientStops>
#include <QLinearGradient>
#include <QMetaType>
#include <QWidget>

// A vertical bar showing a gradient whose stops the user adds (left click on
// empty space), drags (left press and move), recolours (double click) and
// removes (right click). Stops are kept in widget orientation, 0 at the top;
// the gradient seen outside is flipped so that its position 0 is at the bottom.
// The first and last stops are the ends: they never move and are never removed.
class VireoGradientColorWidget : public QWidget
{
    Q_OBJECT

public:
    enum Flag
    {
        ReadOnly = 0x1
    };

    explicit VireoGradientColorWidget(QWidget *parent = nullptr);

    QLinearGradient gradient() const;
    int flags() const { return m_flags; }
    void setFlags(int flags) { m_flags = flags; }
    const QGradientStops &stops() const { return m_stops; }
    int draggedStop() const { return m_draggedStop; }

public slots:
    void setGradient(const QLinearGradient &gradient);

signals:
    void gradientChanged(const QLinearGradient &gradient);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

    // The only way to the modal colour dialog; an invalid colour means cancelled.
    virtual QColor askColor(const QColor &initial, const QString &title,
                            QColorDialog::ColorDialogOptions options);

private:
    bool isReadOnly() const { return m_flags & ReadOnly; }
    bool isInnerStop(int index) const { return index > 0 && index < m_stops.size() - 1; }
    QColor askStopColor();
    int stopAt(const QPointF &point) const;
    double positionAt(const QPointF &point) const;
    QRectF bandOf(double position) const;
    void addStopAt(const QPointF &point);
    void removeStop(int index);
    void mergeDraggedStop();
    void announce();

    int m_flags = 0;
    int m_draggedStop = -1;
    QGradientStops m_stops;
};

Q_DECLARE_METATYPE(QLinearGradient)

#endif // VIREO_WIDGETS_VIREOGRADIENTCOLORWIDGET_H
