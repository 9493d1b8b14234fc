#include "widgets/vireocolorwidget.h"

#include <QPainter>

VireoColorWidget::VireoColorWidget(QWidget *parent) : QWidget(parent) {}

void VireoColorWidget::setColor(const QColor &color)
{
    m_color = color;
    update();
    emit colorChanged(m_color);
}

void VireoColorWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QBrush(m_color));
}

void VireoColorWidget::mousePressEvent(QMouseEvent *)
{
    const QColor chosen =
        askColor(Qt::black, QStringLiteral("Select Color"), QColorDialog::DontUseNativeDialog);
    if (chosen.isValid())
        setColor(chosen);
}

QColor VireoColorWidget::askColor(const QColor &initial, const QString &title,
                                  QColorDialog::ColorDialogOptions options)
{
    return QColorDialog::getColor(initial, this, title, options);
}
