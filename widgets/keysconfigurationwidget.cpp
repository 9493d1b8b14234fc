#include "widgets/keysconfigurationwidget.h"

#include <QKeyEvent>
#include <QPainter>

KeysConfigurationWidget::KeysConfigurationWidget(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

KeysConfigurationWidget::~KeysConfigurationWidget() = default;

void KeysConfigurationWidget::keyPressEvent(QKeyEvent *event)
{
    // Not passed on: Escape and Return are bindings here, not dialog commands.
    // A key the toolkit cannot name would match every other unnamed key.
    const int key = event->key();
    if (key != 0 && key != Qt::Key_unknown)
        emit keyChoose(key);
}

void KeysConfigurationWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 240));
}
