#ifndef VIREO_WIDGETS_KEYSCONFIGURATIONWIDGET_H
#define VIREO_WIDGETS_KEYSCONFIGURATIONWIDGET_H

#include <QWidget>

// A blue capture square: once it has the focus, the next key pressed is
// reported instead of doing what it would normally do in the dialog.
class KeysConfigurationWidget : public QWidget
{
    Q_OBJECT

public:
    explicit KeysConfigurationWidget(QWidget *parent = nullptr);
    ~KeysConfigurationWidget() override;

signals:
    void keyChoose(int key);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};

#endif // VIREO_WIDGETS_KEYSCONFIGURATIONWIDGET_H
