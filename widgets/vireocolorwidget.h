#ifndef VIREO_WIDGETS_VIREOCOLORWIDGET_H
#define VIREO_WIDGETS_VIREOCOLORWIDGET_H

#include <QColor>
#include <QColorDialog>
#include <QWidget>

// A swatch showing one colour; any click asks the user for a new one.
class VireoColorWidget : public QWidget
{
    Q_OBJECT

public:
    explicit VireoColorWidget(QWidget *parent = nullptr);

    QColor color() const { return m_color; }

public slots:
    // Always notifies, even when the colour is unchanged: loading a profile
    // relies on it to push the colour on to the view.
    void setColor(const QColor &color);

signals:
    void colorChanged(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

    // The only way to the modal colour dialog; an invalid colour means cancelled.
    virtual QColor askColor(const QColor &initial, const QString &title,
                            QColorDialog::ColorDialogOptions options);

private:
    QColor m_color;
};

#endif // VIREO_WIDGETS_VIREOCOLORWIDGET_H
