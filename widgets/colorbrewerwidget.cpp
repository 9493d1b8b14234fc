#include "widgets/colorbrewerwidget.h"

#include <QPainter>
#include <QPalette>

namespace {
const double highlightWidth = 5.0;
} // namespace

ColorBrewerWidget::ColorBrewerWidget(QWidget *parent) : VireoGradientColorWidget(parent)
{
    setFlags(ReadOnly);
    update();
    setMinimumSize(20, 100);
}

void ColorBrewerWidget::setSelected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    update();
}

void ColorBrewerWidget::mouseReleaseEvent(QMouseEvent *)
{
    emit clicked();
}

void ColorBrewerWidget::mouseDoubleClickEvent(QMouseEvent *)
{
    emit doubleClicked();
}

void ColorBrewerWidget::paintEvent(QPaintEvent *event)
{
    VireoGradientColorWidget::paintEvent(event);
    if (!m_selected)
        return;
    QPainter painter(this);
    QPen pen(QPalette().color(QPalette::Highlight), highlightWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    const double inset = highlightWidth / 4;
    painter.drawRect(QRectF(0, 0, width() - inset, height() - inset));
}
