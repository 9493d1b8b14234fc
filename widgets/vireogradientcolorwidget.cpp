#include "widgets/vireogradientcolorwidget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {
const double bandHalfHeight = 5.0;
// Stops released closer than this become one.
const double mergeDistance = 0.01;
const QColor markerColor(146, 146, 146, 255);
const QColor markerFill(146, 146, 146, 100);
} // namespace

VireoGradientColorWidget::VireoGradientColorWidget(QWidget *parent) : QWidget(parent) {}

void VireoGradientColorWidget::setGradient(const QLinearGradient &gradient)
{
    const QGradientStops given = gradient.stops();
    m_stops.clear();
    m_stops.reserve(given.size());
    for (int i = given.size() - 1; i >= 0; --i)
        m_stops.append(QGradientStop(1.0 - given.at(i).first, given.at(i).second));
    // The indices of the old stops mean nothing any more.
    m_draggedStop = -1;
    announce();
}

QLinearGradient VireoGradientColorWidget::gradient() const
{
    QLinearGradient result;
    for (int i = m_stops.size() - 1; i >= 0; --i)
        result.setColorAt(1.0 - m_stops.at(i).first, m_stops.at(i).second);
    return result;
}

void VireoGradientColorWidget::paintEvent(QPaintEvent *)
{
    const double w = width();
    const double h = height();
    QLinearGradient fill = gradient();
    fill.setStart(0, h);
    fill.setFinalStop(0, 0);

    QPainter painter(this);
    painter.fillRect(rect(), QBrush(fill));
    painter.setPen(markerColor);
    painter.setBrush(markerFill);
    const double penWidth = painter.pen().widthF();
    for (const QGradientStop &stop : qAsConst(m_stops))
        painter.drawRect(QRectF(0, h * stop.first - bandHalfHeight, w - penWidth,
                                2 * bandHalfHeight - penWidth));
}

void VireoGradientColorWidget::mousePressEvent(QMouseEvent *event)
{
    if (isReadOnly())
        return;
    const int hit = stopAt(event->localPos());
    if (event->button() == Qt::LeftButton) {
        if (hit == -1)
            addStopAt(event->localPos());
        else
            m_draggedStop = hit;
    } else if (event->button() == Qt::RightButton && isInnerStop(hit)) {
        removeStop(hit);
    }
    announce();
}

void VireoGradientColorWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (isReadOnly() || !isInnerStop(m_draggedStop))
        return;
    // Neighbours may be overtaken: the vector keeps its order.
    m_stops[m_draggedStop].first = positionAt(event->localPos());
    announce();
}

void VireoGradientColorWidget::mouseReleaseEvent(QMouseEvent *)
{
    // The merged state is shown and announced with the next change.
    mergeDraggedStop();
    m_draggedStop = -1;
}

void VireoGradientColorWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (isReadOnly())
        return;
    const QColor chosen = askStopColor();
    if (!chosen.isValid())
        return;
    const int hit = stopAt(event->localPos());
    if (hit == -1)
        return;
    m_stops[hit].second = chosen;
    announce();
}

QColor VireoGradientColorWidget::askColor(const QColor &initial, const QString &title,
                                          QColorDialog::ColorDialogOptions options)
{
    return QColorDialog::getColor(initial, this, title, options);
}

QColor VireoGradientColorWidget::askStopColor()
{
    return askColor(Qt::black, QStringLiteral("Select Color"), QColorDialog::ColorDialogOptions());
}

int VireoGradientColorWidget::stopAt(const QPointF &point) const
{
    for (int i = 0; i < m_stops.size(); ++i) {
        QPainterPath band;
        band.addRect(bandOf(m_stops.at(i).first));
        if (band.contains(point))
            return i;
    }
    return -1;
}

double VireoGradientColorWidget::positionAt(const QPointF &point) const
{
    return qBound(0.0, point.y() / height(), 1.0);
}

QRectF VireoGradientColorWidget::bandOf(double position) const
{
    return QRectF(0, height() * position - bandHalfHeight, width(), 2 * bandHalfHeight);
}

void VireoGradientColorWidget::addStopAt(const QPointF &point)
{
    const QColor chosen = askStopColor();
    if (!chosen.isValid())
        return;
    // Just before the last stop; a widget that has no stops yet takes it as its first.
    const int index = qMax(0, m_stops.size() - 1);
    m_stops.insert(index, QGradientStop(positionAt(point), chosen));
    m_draggedStop = index;
}

void VireoGradientColorWidget::removeStop(int index)
{
    m_stops.remove(index);
    // A drag in progress keeps following the same stop.
    if (m_draggedStop == index)
        m_draggedStop = -1;
    else if (m_draggedStop > index)
        --m_draggedStop;
}

void VireoGradientColorWidget::mergeDraggedStop()
{
    // End stops are never merged away: without them the gradient would no
    // longer span the whole bar.
    if (!isInnerStop(m_draggedStop))
        return;
    const QGradientStop dragged = m_stops.at(m_draggedStop);
    for (int j = 0; j < m_stops.size(); ++j) {
        if (j != m_draggedStop && qAbs(m_stops.at(j).first - dragged.first) < mergeDistance) {
            m_stops[j].second = dragged.second;
            m_stops.remove(m_draggedStop);
            return;
        }
    }
}

void VireoGradientColorWidget::announce()
{
    update();
    emit gradientChanged(gradient());
}
