#include "widgets/keysconfigurationdialog.h"

#include "ui_keysconfigurationdialog.h"
#include "view/viewactions.h"
#include "widgets/keysconfigurationwidget.h"

#include <QKeySequence>
#include <QLabel>
#include <QPushButton>

namespace {

using Row = ViewActions::Row;

QString rowLabel(const Row &row)
{
    return KeysConfigurationDialog::tr(row.name);
}

// Inverts action -> key back to key -> action, in ascending action order: of
// two actions on one key the larger one keeps it, as the view can hold only one.
QMap<int, int> keyToAction(const QMap<int, int> &actionKeys)
{
    QMap<int, int> keyMap;
    for (auto it = actionKeys.constBegin(); it != actionKeys.constEnd(); ++it)
        keyMap.insert(it.value(), it.key());
    return keyMap;
}

} // namespace

KeysConfigurationDialog::KeysConfigurationDialog(QWidget *parent)
    : QDialog(parent), ui(new Ui::KeysConfigurationDialog)
{
    ui->setupUi(this);
    ui->conflictLabel->setStyleSheet(QStringLiteral("color: red"));

    const QVector<Row> &rows = ViewActions::rows();
    QWidget *previous = nullptr;
    for (int i = 0; i < rows.size(); ++i) {
        const Row &row = rows[i];
        const bool camera =
            row.binding == ViewActions::CameraKeys || row.binding == ViewActions::ReturnToOriginKey;
        QWidget *group = camera ? ui->groupBox : ui->groupBox_2;
        const QString name = QString::fromLatin1(row.rowName);

        auto *label = new QLabel(rowLabel(row), group);
        label->setObjectName(name + QStringLiteral("Label"));
        auto *keyLabel = new QLabel(group);
        keyLabel->setObjectName(name + QStringLiteral("KeyLabel"));
        keyLabel->setMinimumSize(0, 0);
        keyLabel->setIndent(0);
        auto *capture = new KeysConfigurationWidget(group);
        capture->setObjectName(name + QStringLiteral("Widget"));
        auto *edit = new QLabel(tr("Edit"), capture);
        edit->setObjectName(name + QStringLiteral("EditLabel"));
        edit->setStyleSheet(QStringLiteral("color: white"));
        (new QHBoxLayout(capture))->addWidget(edit);

        auto *line = new QHBoxLayout;
        line->addWidget(label, 1);
        line->addWidget(keyLabel, 1);
        line->addWidget(capture);
        (camera ? ui->cameraRowsLayout : ui->pickingRowsLayout)->addLayout(line);

        connect(capture, &KeysConfigurationWidget::keyChoose, this,
                [this, i](int key) { chooseKey(i, key); });
        if (previous)
            setTabOrder(previous, capture);
        previous = capture;
        keyLabels << keyLabel;
    }
    QPushButton *ok = ui->buttonBox->button(QDialogButtonBox::Ok);
    setTabOrder(previous, ok);
    setTabOrder(ok, ui->buttonBox->button(QDialogButtonBox::Cancel));
    // Escape and Return keep their dialog meaning until a square is clicked.
    ok->setFocus();

    for (int kind : {ViewActions::CameraKeys, ViewActions::ReturnToOriginKey,
                     ViewActions::PickingKeys, ViewActions::MoveSelectionKeys})
        refreshRows(kind);
    refreshConflicts();
}

KeysConfigurationDialog::~KeysConfigurationDialog()
{
    delete ui;
}

void KeysConfigurationDialog::setCameraKeys(const QMap<int, int> &keyMap)
{
    setKeys(ViewActions::CameraKeys, keyMap);
}

void KeysConfigurationDialog::setPickingKeys(const QMap<int, int> &keyMap)
{
    setKeys(ViewActions::PickingKeys, keyMap);
}

void KeysConfigurationDialog::setMoveSelectionKeys(const QMap<int, int> &keyMap)
{
    setKeys(ViewActions::MoveSelectionKeys, keyMap);
}

void KeysConfigurationDialog::setKeys(int mapKind, const QMap<int, int> &keyMap)
{
    QMap<int, int> *keys = actionKeys(mapKind);
    keys->clear();
    for (auto it = keyMap.constBegin(); it != keyMap.constEnd(); ++it)
        keys->insert(it.value(), it.key());
    refreshRows(mapKind);
    refreshConflicts();
}

void KeysConfigurationDialog::returnToOriginKeyChoose(int value)
{
    returnToOriginKey = value;
    refreshRows(ViewActions::ReturnToOriginKey);
    refreshConflicts();
}

void KeysConfigurationDialog::chooseKey(int row, int key)
{
    const Row &chosen = ViewActions::rows().at(row);
    if (chosen.binding == ViewActions::ReturnToOriginKey) {
        returnToOriginKeyChoose(key);
        return;
    }
    actionKeys(chosen.binding)->insert(chosen.action, key);
    keyLabels[row]->setText(keyText(chosen.binding, chosen.action));
    refreshConflicts();
}

void KeysConfigurationDialog::on_buttonBox_accepted()
{
    emit configurationSelected(keyToAction(cameraKeys), returnToOriginKey, keyToAction(pickingKeys),
                               keyToAction(moveSelectionKeys));
    close();
}

void KeysConfigurationDialog::on_buttonBox_rejected()
{
    close();
}

QMap<int, int> *KeysConfigurationDialog::actionKeys(int mapKind)
{
    switch (mapKind) {
    case ViewActions::CameraKeys:
        return &cameraKeys;
    case ViewActions::PickingKeys:
        return &pickingKeys;
    default:
        return &moveSelectionKeys;
    }
}

int KeysConfigurationDialog::keyOf(int mapKind, int action) const
{
    if (mapKind == ViewActions::ReturnToOriginKey)
        return returnToOriginKey;
    const QMap<int, int> &keys = mapKind == ViewActions::CameraKeys    ? cameraKeys
                                 : mapKind == ViewActions::PickingKeys ? pickingKeys
                                                                       : moveSelectionKeys;
    return keys.value(action, 0);
}

QString KeysConfigurationDialog::keyText(int mapKind, int action) const
{
    // QKeySequence names a lone modifier as a combination ("Ctrl+").
    switch (const int key = keyOf(mapKind, action)) {
    case 0:
        return QString();
    case Qt::Key_Control:
        return QStringLiteral("Ctrl");
    case Qt::Key_Shift:
        return QStringLiteral("Shift");
    case Qt::Key_Meta:
        return QStringLiteral("Meta");
    case Qt::Key_Alt:
        return QStringLiteral("Alt");
    default:
        return QKeySequence(key).toString(QKeySequence::PortableText);
    }
}

void KeysConfigurationDialog::refreshRows(int mapKind)
{
    const QVector<Row> &rows = ViewActions::rows();
    for (int i = 0; i < rows.size(); ++i)
        if (rows[i].binding == mapKind)
            keyLabels[i]->setText(keyText(mapKind, rows[i].action));
}

void KeysConfigurationDialog::refreshConflicts()
{
    // Within one map only one action keeps a shared key; across maps a camera
    // key hides the others and the rest act together. Either way the user is
    // told before the bindings are handed over.
    const QVector<Row> &rows = ViewActions::rows();
    QMap<int, QVector<int>> rowsOfKey;
    for (int i = 0; i < rows.size(); ++i)
        if (const int key = keyOf(rows[i].binding, rows[i].action))
            rowsOfKey[key] << i;

    for (QLabel *label : qAsConst(keyLabels))
        label->setStyleSheet(QString());
    // In the order of the rows, so the list reads like the dialog.
    QStringList lines;
    for (int row = 0; row < rows.size(); ++row) {
        const int key = keyOf(rows[row].binding, rows[row].action);
        const QVector<int> sharing = rowsOfKey.value(key);
        if (sharing.size() < 2 || sharing.first() != row)
            continue;
        QStringList names;
        for (int i : sharing) {
            keyLabels[i]->setStyleSheet(QStringLiteral("color: red"));
            names << rowLabel(rows[i]);
        }
        lines << tr("%1 is bound to several actions: %2.")
                     .arg(keyLabels[row]->text(), names.join(QStringLiteral(", ")));
    }
    ui->conflictLabel->setText(lines.join(QLatin1Char('\n')));
    ui->conflictLabel->setVisible(!lines.isEmpty());
}
