#ifndef VIREO_WIDGETS_COLORBREWERWIDGET_H
#define VIREO_WIDGETS_COLORBREWERWIDGET_H

#include "widgets/vireogradientcolorwidget.h"

// One preset palette shown as a read-only gradient bar. A click or a double
// click is only reported; the dialog holding the swatches decides which one
// is selected and marks it with setSelected().
class ColorBrewerWidget : public VireoGradientColorWidget
{
    Q_OBJECT

public:
    explicit ColorBrewerWidget(QWidget *parent = nullptr);

    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);

signals:
    void clicked();
    void doubleClicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_selected = false;
};

#endif // VIREO_WIDGETS_COLORBREWERWIDGET_H
