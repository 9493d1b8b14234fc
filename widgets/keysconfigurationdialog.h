#ifndef VIREO_WIDGETS_KEYSCONFIGURATIONDIALOG_H
#define VIREO_WIDGETS_KEYSCONFIGURATIONDIALOG_H

#include <QDialog>
#include <QMap>
#include <QString>
#include <QVector>

class QLabel;

namespace Ui {
class KeysConfigurationDialog;
}

// Rebinds the keys of the tube view, one row per action: a click on a row's
// blue square and a key press bind that key. The maps are edited per action
// (action -> key) so that each row owns exactly one entry, and are handed back
// in the view's key -> action form on Ok. Keys bound to several actions are
// named under the rows while the dialog is open.
class KeysConfigurationDialog : public QDialog
{
    Q_OBJECT

public:
    explicit KeysConfigurationDialog(QWidget *parent = nullptr);
    ~KeysConfigurationDialog() override;

    // key -> action maps, as the view holds them.
    void setCameraKeys(const QMap<int, int> &keyMap);
    void setPickingKeys(const QMap<int, int> &keyMap);
    void setMoveSelectionKeys(const QMap<int, int> &keyMap);

public slots:
    // The return-to-origin row, also how its current key is passed in.
    void returnToOriginKeyChoose(int value);

signals:
    void configurationSelected(QMap<int, int> keyMapForCamera, int keyForReturnToOrigin,
                               QMap<int, int> keyMapForPicking,
                               QMap<int, int> keyMapToMoveSelection);

private slots:
    void on_buttonBox_accepted();
    void on_buttonBox_rejected();

private:
    // row: index in ViewActions::rows().
    void chooseKey(int row, int key);
    void setKeys(int mapKind, const QMap<int, int> &keyMap);
    QMap<int, int> *actionKeys(int mapKind);
    int keyOf(int mapKind, int action) const;
    // mapKind as ViewActions::Binding: 0 camera, 1 return to origin, 2
    // picking, 3 move-selection.
    QString keyText(int mapKind, int action) const;
    void refreshRows(int mapKind);
    void refreshConflicts();

    Ui::KeysConfigurationDialog *ui;
    // action -> key
    QMap<int, int> cameraKeys;
    int returnToOriginKey = 0;
    QMap<int, int> pickingKeys;
    QMap<int, int> moveSelectionKeys;
    // The key label of each row, in the rows' order.
    QVector<QLabel *> keyLabels;
};

#endif // VIREO_WIDGETS_KEYSCONFIGURATIONDIALOG_H
