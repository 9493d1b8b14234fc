#include "mainwindow/vireomainwindow.h"

#include "core/task.h"
#include "io/filereader.h"
#include "mainwindow/csvlayout.h"
#include "ui_vireomainwindow.h"
#include "widgets/colorbrewerdialog.h"
#include "widgets/keysconfigurationdialog.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageWriter>
#include <QMimeData>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTimer>

namespace {

// The local .csv file a drag carries, if it carries exactly one.
QString droppedCsvFile(const QMimeData *mime)
{
    const QList<QUrl> urls = mime ? mime->urls() : QList<QUrl>();
    if (urls.size() != 1 || !urls[0].isLocalFile())
        return QString();
    const QString fileName = urls[0].toLocalFile();
    return fileName.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive) ? fileName : QString();
}

// Spin boxes hold ints; a 64-bit count is clamped to the box's range first.
int clampedTo(const QSpinBox *box, qint64 value)
{
    return int(qBound<qint64>(box->minimum(), value, box->maximum()));
}

} // namespace

// The icon lives in a static library, whose resource object the linker would
// otherwise leave out. Outside any namespace, as the macro requires.
static void initResources()
{
    Q_INIT_RESOURCE(vireo);
}

VireoMainWindow::VireoMainWindow(QWidget *parent) : QMainWindow(parent), ui(nullptr)
{
    initResources();
    ui = new Ui::VireoMainWindow;
    ui->setupUi(this);

    connectActions();
    connectEditors();
    connectPanels();
    setStartColors();

    ui->selectedValueLabel->setText(QStringLiteral("No selection"));
    ui->selectionTreeView->hide();
    ui->selectionTreeView->setHeaderHidden(false);
    ui->grp5Correlation->hide();
    ui->correlationTreeView->hide();
    ui->correlationTreeView->setHeaderHidden(false);
    ui->annotationTreeWidget->hide();
    setAcceptDrops(true);
}

VireoMainWindow::~VireoMainWindow()
{
    // Nobody would receive the result of a task still running.
    stopCurrentTask();
    delete ui;
}

QString VireoMainWindow::translationFileName(const QString &localeName)
{
    return QStringLiteral("lang/Vireo_") + localeName.section(QLatin1Char('_'), 0, 0);
}

void VireoMainWindow::connectActions()
{
    connect(ui->actionOpenSyncFile, &QAction::triggered, this, &VireoMainWindow::openSyncFile);
    connect(ui->actionOpenAsyncFile, &QAction::triggered, this, &VireoMainWindow::openAsyncFile);
    connect(ui->actionExportNormalizedDatas, &QAction::triggered, this,
            &VireoMainWindow::exportNormDatas);
    connect(ui->actionExportNonNormalizedDatas, &QAction::triggered, this,
            &VireoMainWindow::exportNonNormDatas);
    connect(ui->actionQuit, &QAction::triggered, this, &VireoMainWindow::close);
    connect(ui->actionSaveCompleteProfile, &QAction::triggered, this,
            &VireoMainWindow::saveCompleteProfile);
    connect(ui->actionOpenCompleteProfile, &QAction::triggered, this,
            &VireoMainWindow::openCompleteProfile);
    connect(ui->actionSaveOperationsProfile, &QAction::triggered, this,
            &VireoMainWindow::saveOperationsProfile);
    connect(ui->actionOpenOperationsProfile, &QAction::triggered, this,
            &VireoMainWindow::openOperationsProfile);
    connect(ui->actionSaveDisplayProfile, &QAction::triggered, this,
            &VireoMainWindow::saveDisplayProfile);
    connect(ui->actionOpenDisplayProfile, &QAction::triggered, this,
            &VireoMainWindow::openDisplayProfile);
    connect(ui->actionSaveKeysProfile, &QAction::triggered, this,
            &VireoMainWindow::saveKeysProfile);
    connect(ui->actionOpenKeysProfile, &QAction::triggered, this,
            &VireoMainWindow::openKeysProfile);
    connect(ui->actionKeys_configuration, &QAction::triggered, this,
            &VireoMainWindow::keyConfiguration);
    connect(ui->actionAbout, &QAction::triggered, this, &VireoMainWindow::displayAbout);
    connect(ui->actionExportPicture, &QAction::triggered, this, &VireoMainWindow::exportPicture);
}

void VireoMainWindow::connectEditors()
{
    connect(ui->radioBtnGMT, &QRadioButton::clicked, this,
            &VireoMainWindow::timeDisplayModeChanged);
    connect(ui->radioBtnEpoch, &QRadioButton::clicked, this,
            &VireoMainWindow::timeDisplayModeChanged);
    connect(ui->displayModeComboBox, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &VireoMainWindow::onDisplayModeComboBoxCurrentIndexChanged);
    for (QSpinBox *box :
         {ui->spinYear, ui->spinMonth, ui->spinDay, ui->spinHour, ui->spinMinute, ui->spinSecond})
        connect(box, qOverload<int>(&QSpinBox::valueChanged), this,
                &VireoMainWindow::agregationDeltaTimeGMTChanged);
    connect(ui->spinEpoch, qOverload<int>(&QSpinBox::valueChanged), this,
            &VireoMainWindow::agregationDeltaTimeEpochChanged);
    connect(ui->spinNbEpoch, qOverload<int>(&QSpinBox::valueChanged), this,
            &VireoMainWindow::agregationDeltaTimeStepCountChanged);
    connect(ui->comboBoxModeAgregation, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &VireoMainWindow::agregationDataChanged);
    connect(ui->radioNormalizationGlobal, &QRadioButton::clicked, this,
            &VireoMainWindow::normalisationDataChanged);
    connect(ui->radioNormalizationLocal, &QRadioButton::clicked, this,
            &VireoMainWindow::normalisationDataChanged);
    connect(ui->comboBoxModeReorganization, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &VireoMainWindow::reorganizationDataChanged);
}

void VireoMainWindow::connectPanels()
{
    VireoGLWidget *view = ui->glWidget;
    connect(view, &VireoGLWidget::correlationRequested, this, &VireoMainWindow::startCorrelation);
    connect(view, &VireoGLWidget::exportFinished, this, &VireoMainWindow::exportSelectFinished);
    connect(view, &VireoGLWidget::selectionChanged, this, &VireoMainWindow::selectionChanged);
    connect(view, &VireoGLWidget::correlationChanged, this,
            &VireoMainWindow::correlationSelectionChanged);
    connect(ui->correlationTreeView, &QTreeView::clicked, this, &VireoMainWindow::corrItemSelected);
    connect(ui->correlationTreeView, &QTreeView::activated, this,
            &VireoMainWindow::corrItemActivated);
    connect(view, &VireoGLWidget::annotationsChanged, this, &VireoMainWindow::annotationsChanged);
    connect(ui->annotationTreeWidget, &QTreeWidget::clicked, this,
            &VireoMainWindow::annotItemSelected);
    connect(ui->annotationTreeWidget, &QTreeWidget::activated, this,
            &VireoMainWindow::annotItemActivated);
    connect(ui->backgroundColorWidget, &VireoColorWidget::colorChanged, this,
            &VireoMainWindow::onBgColorChanged);
    connect(ui->missingValuesColorWidget, &VireoColorWidget::colorChanged, this,
            &VireoMainWindow::onMissingValuesColorChanged);
    connect(ui->gradientColorsForValuesWidget, &VireoGradientColorWidget::gradientChanged, this,
            &VireoMainWindow::onGradientColorForValuesChanged);
    connect(ui->selectionColorWidget, &VireoColorWidget::colorChanged, this,
            &VireoMainWindow::onSelectionColorChanged);
    connect(ui->correlationColorWidget, &VireoColorWidget::colorChanged, this,
            &VireoMainWindow::onCorrelationColorChanged);
    connect(ui->widthColorWidget, &VireoColorWidget::colorChanged, this,
            &VireoMainWindow::onWidthColorChanged);
    // A data set too large to draw would otherwise leave the view silently empty.
    connect(view, &VireoGLWidget::displayFailed, this,
            [this](const QString &message) { statusBar()->showMessage(message); });
}

void VireoMainWindow::setStartColors()
{
    ui->backgroundColorWidget->setColor(QColor(0, 0, 0));
    ui->missingValuesColorWidget->setColor(QColor(255, 0, 255));
    QLinearGradient gradient;
    gradient.setColorAt(0.0, QColor(0, 0, 255));
    gradient.setColorAt(1.0, QColor(170, 255, 255));
    ui->gradientColorsForValuesWidget->setGradient(gradient);
    ui->widthColorWidget->setColor(QColor(255, 255, 0));
    ui->selectionColorWidget->setColor(QColor(0, 255, 0));
    ui->correlationColorWidget->setColor(QColor(100, 0, 0));
}

// --- dialogs

QString VireoMainWindow::askOpenFileName(const QString &caption, const QString &filter)
{
    return QFileDialog::getOpenFileName(this, caption, QString(), filter);
}

QString VireoMainWindow::askSaveFileName(const QString &caption, const QString &filter)
{
    return QFileDialog::getSaveFileName(this, caption, QString(), filter);
}

QMessageBox::StandardButton VireoMainWindow::askQuestion(const QString &title, const QString &text)
{
    return QMessageBox::question(this, title, text,
                                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                 QMessageBox::NoButton);
}

void VireoMainWindow::showWarning(const QString &title, const QString &text)
{
    QMessageBox::warning(this, title, text);
}

void VireoMainWindow::showInformation(const QString &title, const QString &text)
{
    QMessageBox::information(this, title, text);
}

// --- tasks

void VireoMainWindow::stopCurrentTask()
{
    // A running task disposes of itself; one that has already finished still
    // delivers its result, which releaseTask() then drops.
    if (currentTask)
        currentTask->requestStop();
    currentTask = nullptr;
}

bool VireoMainWindow::releaseTask(Task *task)
{
    const bool current = task == currentTask;
    if (current)
        currentTask = nullptr;
    delete task;
    return current;
}

void VireoMainWindow::closeEvent(QCloseEvent *event)
{
    stopCurrentTask();
    QMainWindow::closeEvent(event);
}

// --- file opening

void VireoMainWindow::openSyncFile()
{
    openFile(0);
}

void VireoMainWindow::openAsyncFile()
{
    openFile(1);
}

void VireoMainWindow::openFile(int mode)
{
    const QString fileName = askOpenFileName(tr("Select file %1").arg(FileReader::modeName(mode)),
                                             tr("CSV Files (*.csv);;All files(*.*)"));
    const int origin = askOrigin();
    if (origin >= 0)
        loadFile(fileName, mode, origin);
}

int VireoMainWindow::askOrigin()
{
    const QMessageBox::StandardButton answer = askQuestion(
        tr("Origin of your CSV file"),
        tr("<p>Click on the origin of your CSV file : <p>Yes for French if number looks like 1,2 "
           "and separators are ';' for synchronous files and tab for asynchronous files.<p>No for "
           "International if number looks like 1.2 and separators are ','."));
    if (answer == QMessageBox::Yes)
        return 0;
    if (answer == QMessageBox::No)
        return 1;
    return -1;
}

void VireoMainWindow::openFileWith(const QString &fileName, int mode, int origin)
{
    if (mode < 0)
        mode = CsvLayout::detect(fileName);
    if (mode < 0) {
        const QMessageBox::StandardButton answer = askQuestion(
            tr("Layout of your CSV file"),
            tr("<p>Click on the layout of your CSV file : <p>Yes for synchronous if it has a "
               "header line and one row per time stamp.<p>No for asynchronous if it has one row "
               "per measurement: attribute, time, value."));
        if (answer == QMessageBox::Yes)
            mode = 0;
        else if (answer == QMessageBox::No)
            mode = 1;
        else
            return;
    }
    if (origin < 0)
        origin = askOrigin();
    if (origin >= 0)
        loadFile(fileName, mode, origin);
}

void VireoMainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedCsvFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void VireoMainWindow::dropEvent(QDropEvent *event)
{
    const QString fileName = droppedCsvFile(event->mimeData());
    if (fileName.isEmpty())
        return;
    event->acceptProposedAction();
    // The questions wait for the drop to end: a modal box inside the drop would
    // keep the program the file came from waiting for its answer.
    QTimer::singleShot(0, this, [this, fileName] { openFileWith(fileName, -1, -1); });
}

void VireoMainWindow::loadFile(const QString &fileName, int mode, int origin)
{
    if (fileName.isNull())
        return;
    stage = 0;
    stopCurrentTask();
    auto *reader = new FileReader(fileName, mode, origin);
    currentTask = reader;
    connect(reader, &Task::finished, this, &VireoMainWindow::fileLoaded);
    connect(reader, &Task::progressChanged, this, &VireoMainWindow::onReadProgressChanged);
    reader->start();
    statusBar()->showMessage(tr("Loading data..."));
}

void VireoMainWindow::fileLoaded(Task *task)
{
    // Only readers are connected here.
    auto *reader = static_cast<FileReader *>(task);
    const bool done = reader->status() == Task::Done;
    const QString message = reader->errorMessage();
    const QString fileName = reader->fileName();
    const Data result = done ? reader->result() : Data();
    if (!releaseTask(task))
        return;
    if (!done) {
        showWarning(tr("Unable to load file"), message);
        return;
    }
    ui->txtNom->setText(fileName);
    setWindowTitle(QStringLiteral("%1 — Vireo").arg(QFileInfo(fileName).fileName()));
    originalData = result;
    stage = 1;
    originalDataChanged();
}

void VireoMainWindow::onReadProgressChanged(Task *task)
{
    if (task == currentTask)
        ui->readingProgressBar->setValue(task->progress());
}

void VireoMainWindow::originalDataChanged()
{
    statusBar()->showMessage(tr("Data loaded"));
    stage = 1;
    ui->txtNbAttribut->setText(QString::number(originalData.attributeCount()));
    if (originalData.timeCount() < 2) {
        // No time step to start from: show what was read and go no further.
        timeDisplayModeChanged();
        stage = 0;
        statusBar()->showMessage(tr("The file has too few time stamps to be processed."));
        return;
    }
    initDeltaTime();
    timeDisplayModeChanged();
    agregationDataChanged();
}

void VireoMainWindow::initDeltaTime()
{
    {
        const QSignalBlocker blocker(ui->spinNbEpoch);
        ui->spinNbEpoch->setValue(clampedTo(ui->spinNbEpoch, originalData.timeCount()));
    }
    const qint64 firstStep = originalData.timeAt(0).secsTo(originalData.timeAt(1));
    ui->spinEpoch->setValue(clampedTo(ui->spinEpoch, firstStep));
}

void VireoMainWindow::timeDisplayModeChanged()
{
    if (stage == 0)
        return;
    if (originalData.timeCount() == 0) {
        ui->txtDataDebut->clear();
        ui->txtDataFin->clear();
        return;
    }
    const QDateTime first = originalData.firstTime();
    const QDateTime last = originalData.lastTime();
    if (ui->radioBtnGMT->isChecked()) {
        const QString format = QStringLiteral("yyyy-MM-dd hh:mm:ss");
        ui->txtDataDebut->setText(first.toString(format));
        ui->txtDataFin->setText(last.toString(format));
    } else {
        ui->txtDataDebut->setText(QString::number(first.toSecsSinceEpoch()));
        ui->txtDataFin->setText(QString::number(last.toSecsSinceEpoch()));
    }
}

void VireoMainWindow::displayAbout()
{
    showInformation(
        tr("About"),
        tr("<p><b>Vireo</b> %1</p>"
           "<p>Explore multivariate time series drawn as the inside of a tube: fly through it, "
           "select values, find correlated blocks and annotate them.</p>"
           "<p>Written by the Vireo developers with Qt %2.</p>"
           "<p>Palette presets: ColorBrewer, by Cynthia A. Brewer, Pennsylvania State "
           "University, under the Apache License 2.0. This product includes color "
           "specifications and designs developed by Cynthia Brewer "
           "(http://colorbrewer.org/).</p>")
            .arg(QStringLiteral(VIREO_VERSION), QString::fromLatin1(qVersion())));
}

// --- display

void VireoMainWindow::onDisplayModeComboBoxCurrentIndexChanged(int index)
{
    // The view bounds index + 1 to its modes 1..3 itself.
    ui->glWidget->setDisplayMode(index);
}

void VireoMainWindow::onBgColorChanged(QColor bgColor)
{
    ui->glWidget->setBackgroundColor(bgColor);
}

void VireoMainWindow::onMissingValuesColorChanged(QColor mvColor)
{
    ui->glWidget->setMissingValuesColor(mvColor);
}

void VireoMainWindow::onGradientColorForValuesChanged(QLinearGradient gradientForValues)
{
    ui->glWidget->setGradient(gradientForValues);
}

void VireoMainWindow::onSelectionColorChanged(QColor scolor)
{
    ui->glWidget->setSelectionColor(scolor);
}

void VireoMainWindow::onCorrelationColorChanged(QColor ccolor)
{
    ui->glWidget->setCorrelationColor(ccolor);
}

void VireoMainWindow::onWidthColorChanged(QColor wcolor)
{
    ui->glWidget->setWidthColor(wcolor);
}

void VireoMainWindow::setConfigurations(QMap<int, int> keyMapForCamera, int keyForReturnToOrigin,
                                        QMap<int, int> keyMapForPicking,
                                        QMap<int, int> keyMapToMoveSelection)
{
    ui->glWidget->setKeyMapForCamera(keyMapForCamera);
    ui->glWidget->setKeyForReturnToOrigin(keyForReturnToOrigin);
    ui->glWidget->setKeyMapForPicking(keyMapForPicking);
    ui->glWidget->setKeyMapToMoveSelection(keyMapToMoveSelection);
}

// --- progress of the processing stages

void VireoMainWindow::onAgregProgressChanged(Task *task)
{
    ui->agregProgressBar->setValue(task->progress());
}

void VireoMainWindow::onNormProgressChanged(Task *task)
{
    ui->normProgressBar->setValue(task->progress());
}

void VireoMainWindow::onReorgProgressChanged(Task *task)
{
    ui->reorgProgressBar->setValue(task->progress());
}

void VireoMainWindow::onCorrelationProgressChanged(Task *task)
{
    ui->correlationProgressBar->setValue(task->progress());
}

// --- processing chain

void VireoMainWindow::agregationDataChanged()
{
    if (stage < 1)
        return;
    // Until the processing stages are wired in, the view shows the values as read.
    finalData = originalData;
    ui->glWidget->setData(finalData);
}

void VireoMainWindow::normalisationDataChanged() {}

void VireoMainWindow::reorganizationDataChanged() {}

void VireoMainWindow::agregationDeltaTimeEpochChanged() {}

void VireoMainWindow::agregationDeltaTimeStepCountChanged() {}

void VireoMainWindow::agregationDeltaTimeGMTChanged() {}

void VireoMainWindow::agregated(Task *) {}

void VireoMainWindow::agregated(Data) {}

void VireoMainWindow::normalized(Task *) {}

void VireoMainWindow::normalized(Data) {}

void VireoMainWindow::reorganized(Task *) {}

void VireoMainWindow::reorganized(Data) {}

void VireoMainWindow::startCorrelation(Selection) {}

void VireoMainWindow::correlated(Task *) {}

void VireoMainWindow::on_correlationThreshold_valueChanged(int) {}

void VireoMainWindow::on_correlationMode_currentIndexChanged(int) {}

// --- export, profiles, key bindings and palettes

void VireoMainWindow::exportNormDatas() {}

void VireoMainWindow::exportNonNormDatas() {}

void VireoMainWindow::exportPicture()
{
    const QString fileName =
        askSaveFileName(tr("Export picture"), tr("PNG image (*.png);;JPEG image (*.jpg *.jpeg)"));
    if (fileName.isEmpty())
        return;
    QImageWriter writer(fileName);
    // Without a suffix the writer would not know which format to use.
    if (QFileInfo(fileName).suffix().isEmpty())
        writer.setFormat("png");
    if (!writer.write(ui->glWidget->grabFramebuffer())) {
        showWarning(
            tr("Unable to save picture"),
            tr("The picture could not be written to %1: %2").arg(fileName, writer.errorString()));
        return;
    }
    statusBar()->showMessage(tr("Picture saved"));
}

void VireoMainWindow::exportSelectFinished() {}

void VireoMainWindow::saveCompleteProfile() {}

void VireoMainWindow::openCompleteProfile() {}

void VireoMainWindow::saveOperationsProfile() {}

void VireoMainWindow::openOperationsProfile() {}

void VireoMainWindow::saveDisplayProfile() {}

void VireoMainWindow::openDisplayProfile() {}

void VireoMainWindow::saveKeysProfile() {}

void VireoMainWindow::openKeysProfile() {}

void VireoMainWindow::keyConfiguration()
{
    // Modeless and without a parent, so the window stays usable; it goes when
    // closed, does not keep the program running, and goes with the window.
    auto *dialog = new KeysConfigurationDialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAttribute(Qt::WA_QuitOnClose, false);
    connect(this, &QObject::destroyed, dialog, [dialog] { delete dialog; });
    VireoGLWidget *view = ui->glWidget;
    dialog->setCameraKeys(view->keyMapForCamera());
    dialog->returnToOriginKeyChoose(view->keyForReturnToOrigin());
    dialog->setPickingKeys(view->keyMapForPicking());
    dialog->setMoveSelectionKeys(view->keyMapToMoveSelection());
    dialog->show();
    connect(dialog, &KeysConfigurationDialog::configurationSelected, this,
            &VireoMainWindow::setConfigurations);
}

void VireoMainWindow::on_pushButton_clicked()
{
    ColorBrewerDialog dialog(this);
    if (execPaletteDialog(&dialog) != QDialog::Accepted || !dialog.hasSelection())
        return;
    // The widget announces the new gradient and the view follows through
    // onGradientColorForValuesChanged.
    ui->gradientColorsForValuesWidget->setGradient(dialog.selectedGradient());
}

int VireoMainWindow::execPaletteDialog(QDialog *dialog)
{
    return dialog->exec();
}

// --- selection, correlation and annotation panels

void VireoMainWindow::selectionChanged(Selection) {}

void VireoMainWindow::correlationSelectionChanged(Selections) {}

void VireoMainWindow::corrItemSelected(QModelIndex) {}

void VireoMainWindow::corrItemActivated(QModelIndex) {}

void VireoMainWindow::annotationsChanged(Annotations) {}

void VireoMainWindow::annotItemSelected(QModelIndex) {}

void VireoMainWindow::annotItemActivated(QModelIndex) {}
