#include "mainwindow/vireomainwindow.h"

#include "core/task.h"
#include "io/csvexporter.h"
#include "io/filereader.h"
#include "mainwindow/csvlayout.h"
#include "mainwindow/profile.h"
#include "mainwindow/selectionpanels.h"
#include "mainwindow/stepeditors.h"
#include "operations/agregation.h"
#include "operations/correlation.h"
#include "operations/normalization.h"
#include "operations/reorganization.h"
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

// Not translated: the same in every language.
QString profileFilter()
{
    return QStringLiteral("INI Files (*.ini);;All files(*.*)");
}

// An index the list does not have would empty it.
void setIndex(QComboBox *box, const std::optional<int> &index)
{
    if (index && *index >= 0 && *index < box->count())
        box->setCurrentIndex(*index);
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

    stepEditors = std::make_unique<StepEditors>(gmtEditors(), ui->spinEpoch, ui->spinNbEpoch);
    panels = new SelectionPanels(
        {ui->glWidget, ui->selectedValueLabel, ui->selectionTreeView, ui->grp5Correlation,
         ui->correlationProgressBar, ui->correlationTreeView, ui->annotationTreeWidget,
         ui->radioBtnEpoch},
        [this] { return nonNormalizedData(); }, this);
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
    currentTask.stop();
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
    for (QSpinBox *box : gmtEditors())
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
    // Failures quote file names and file content: never take them as markup.
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void VireoMainWindow::showInformation(const QString &title, const QString &text)
{
    QMessageBox::information(this, title, text);
}

// --- tasks

void VireoMainWindow::startTask(Task *task, void (VireoMainWindow::*finished)(Task *),
                                void (VireoMainWindow::*progress)(Task *), const QString &message)
{
    currentTask.start(task, this, finished, progress);
    statusBar()->showMessage(message);
}

bool VireoMainWindow::releaseTask(Task *task, const QString &failureTitle)
{
    const CurrentTask::Outcome outcome = currentTask.release(task);
    if (outcome == CurrentTask::Failed) {
        statusBar()->showMessage(tr("%1: %2").arg(failureTitle, task->errorMessage()));
        showWarning(failureTitle, task->errorMessage());
    }
    return outcome == CurrentTask::Succeeded;
}

void VireoMainWindow::showProgress(QProgressBar *bar, Task *task)
{
    // A superseded task that had already finished may still report.
    if (currentTask.is(task))
        bar->setValue(task->progress());
}

void VireoMainWindow::closeEvent(QCloseEvent *event)
{
    currentTask.stop();
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
    startTask(new FileReader(fileName, mode, origin), &VireoMainWindow::fileLoaded,
              &VireoMainWindow::onReadProgressChanged, tr("Loading data..."));
}

void VireoMainWindow::fileLoaded(Task *task)
{
    if (!releaseTask(task, tr("Unable to load file")))
        return;
    // Only readers are connected here.
    auto *reader = static_cast<FileReader *>(task);
    ui->txtNom->setText(reader->fileName());
    setWindowTitle(QStringLiteral("%1 — Vireo").arg(QFileInfo(reader->fileName()).fileName()));
    originalData = reader->result();
    stage = 1;
    originalDataChanged();
}

void VireoMainWindow::onReadProgressChanged(Task *task)
{
    showProgress(ui->readingProgressBar, task);
}

void VireoMainWindow::originalDataChanged()
{
    statusBar()->showMessage(tr("Data loaded"));
    stage = 1;
    ui->txtNbAttribut->setText(QString::number(originalData.attributeCount()));
    stepEditors->setSpan(originalData);
    if (originalData.timeCount() < 2) {
        // No time step to start from: show what was read and go no further.
        timeDisplayModeChanged();
        stage = 0;
        statusBar()->showMessage(tr("The file has too few time stamps to be processed."));
        return;
    }
    // All three step editors at once: the chain then starts one aggregation.
    stepEditors->show(originalData.timeAt(0).secsTo(originalData.timeAt(1)));
    timeDisplayModeChanged();
    agregationDataChanged();
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

// --- processing chain

void VireoMainWindow::onAgregProgressChanged(Task *task)
{
    showProgress(ui->agregProgressBar, task);
}

void VireoMainWindow::onNormProgressChanged(Task *task)
{
    showProgress(ui->normProgressBar, task);
}

void VireoMainWindow::onReorgProgressChanged(Task *task)
{
    showProgress(ui->reorgProgressBar, task);
}

void VireoMainWindow::onCorrelationProgressChanged(Task *task)
{
    showProgress(ui->correlationProgressBar, task);
}

void VireoMainWindow::agregationDataChanged()
{
    if (stage < 1)
        return;
    const int mode = ui->comboBoxModeAgregation->currentIndex();
    if (mode == 0) {
        currentTask.stop();
        agregated(originalData);
        ui->agregProgressBar->setValue(100);
        return;
    }
    stage = 1;
    startTask(new Agregation(originalData, mode - 1, ui->spinEpoch->value()),
              &VireoMainWindow::agregated, &VireoMainWindow::onAgregProgressChanged,
              tr("Agregating data..."));
}

void VireoMainWindow::normalisationDataChanged()
{
    if (stage < 2)
        return;
    stage = 2;
    const int mode =
        ui->radioNormalizationGlobal->isChecked() ? Normalization::Global : Normalization::Local;
    startTask(new Normalization(agregatedData, mode), &VireoMainWindow::normalized,
              &VireoMainWindow::onNormProgressChanged, tr("Normalizing data..."));
}

void VireoMainWindow::reorganizationDataChanged()
{
    if (stage < 3)
        return;
    const int mode = ui->comboBoxModeReorganization->currentIndex();
    if (mode == 0) {
        currentTask.stop();
        reorganized(normalizedData);
        ui->reorgProgressBar->setValue(100);
        return;
    }
    stage = 3;
    startTask(new Reorganization(normalizedData, mode - 1), &VireoMainWindow::reorganized,
              &VireoMainWindow::onReorgProgressChanged, tr("Reorganizing data..."));
}

void VireoMainWindow::agregated(Task *task)
{
    if (releaseTask(task, tr("Unable to agregate data")))
        agregated(static_cast<Agregation *>(task)->result());
}

void VireoMainWindow::agregated(Data result)
{
    statusBar()->showMessage(tr("Data agregated"));
    stage = 2;
    agregatedData = result;
    normalisationDataChanged();
}

void VireoMainWindow::normalized(Task *task)
{
    if (releaseTask(task, tr("Unable to normalize data")))
        normalized(static_cast<Normalization *>(task)->result());
}

void VireoMainWindow::normalized(Data result)
{
    statusBar()->showMessage(tr("Data normalized"));
    stage = 3;
    normalizedData = result;
    reorganizationDataChanged();
}

void VireoMainWindow::reorganized(Task *task)
{
    if (!releaseTask(task, tr("Unable to reorganize data")))
        return;
    auto *reorganization = static_cast<Reorganization *>(task);
    attributeOrder = reorganization->permutation();
    reorganized(reorganization->result());
}

void VireoMainWindow::reorganized(Data result)
{
    // Before the view takes the data: its own complaint must stay visible.
    statusBar()->showMessage(tr("Data reorganized & displayed"));
    stage = 4;
    finalData = result;
    ui->glWidget->setData(finalData);
    correlationScores.clear();
    correlationShown = false;
}

Data VireoMainWindow::nonNormalizedData() const
{
    if (stage < 4)
        return Data();
    const int count = agregatedData.attributeCount();
    if (ui->comboBoxModeReorganization->currentIndex() == 0 || attributeOrder.size() != count)
        return agregatedData;
    Data ordered = agregatedData;
    for (int i = 0; i < count; ++i)
        ordered.attributes[i] = agregatedData.attributes.at(attributeOrder.at(i));
    double *values = ordered.values.data();
    for (int t = 0; t < agregatedData.timeCount(); ++t)
        for (int i = 0; i < count; ++i)
            values[qsizetype(t) * count + i] = agregatedData.value(t, attributeOrder.at(i));
    return ordered;
}

// --- aggregation step editors

std::array<QSpinBox *, 6> VireoMainWindow::gmtEditors() const
{
    return {ui->spinYear, ui->spinMonth, ui->spinDay, ui->spinHour, ui->spinMinute, ui->spinSecond};
}

void VireoMainWindow::restartAgregation()
{
    // Without aggregation the step changes nothing downstream.
    if (ui->comboBoxModeAgregation->currentIndex() != 0)
        agregationDataChanged();
}

void VireoMainWindow::agregationDeltaTimeEpochChanged()
{
    stepEditors->secondsEdited();
    restartAgregation();
}

void VireoMainWindow::agregationDeltaTimeStepCountChanged()
{
    if (stepEditors->countEdited())
        restartAgregation();
}

void VireoMainWindow::agregationDeltaTimeGMTChanged()
{
    if (stepEditors->fieldsEdited())
        restartAgregation();
}

// --- correlation

void VireoMainWindow::startCorrelation(Selection selection)
{
    if (stage < 4 || selection.type == Selection::None)
        return;
    stage = 4;
    startTask(new Correlation(ui->correlationMode->currentIndex(), selection,
                              ui->correlationThreshold->value() / 100.0, correlationScores),
              &VireoMainWindow::correlated, &VireoMainWindow::onCorrelationProgressChanged,
              tr("Correlating data..."));
}

void VireoMainWindow::correlated(Task *task)
{
    if (!releaseTask(task, tr("Unable to correlate data")))
        return;
    auto *correlation = static_cast<Correlation *>(task);
    stage = 5;
    correlationScores = correlation->scores();
    correlationShown = true;
    ui->glWidget->setCorrelation(correlation->result());
    statusBar()->showMessage(tr("Data correlated"));
}

void VireoMainWindow::on_correlationThreshold_valueChanged(int value)
{
    ui->correlationThresholdLabel->setText(QString::number(value / 100.0, 'f', 2));
    // The view's current selection is the model of the result shown. A
    // search under way would otherwise answer for the previous threshold.
    if (correlationShown || correlationRunning())
        startCorrelation(ui->glWidget->selection());
}

void VireoMainWindow::on_correlationMode_currentIndexChanged(int)
{
    correlationScores.clear();
    correlationShown = false;
    // Its scores would be kept for a zone they do not belong to.
    if (correlationRunning())
        startCorrelation(ui->glWidget->selection());
}

bool VireoMainWindow::correlationRunning() const
{
    // Every other task lowers the stage.
    return stage == 4 && currentTask.get();
}

// --- export, profiles, key bindings and palettes

void VireoMainWindow::exportNormDatas()
{
    exportCsv(false);
}

void VireoMainWindow::exportNonNormDatas()
{
    exportCsv(true);
}

void VireoMainWindow::exportCsv(bool nonNormalized)
{
    const QString fileName =
        askSaveFileName(tr("Save file"), tr("CSV Files (*.csv);;All files(*.*)"));
    if (fileName.isEmpty())
        return;
    QString message;
    if (!CsvExporter(fileName).exportData(nonNormalized ? nonNormalizedData() : finalData,
                                          message)) {
        showWarning(tr("Unable to save file"), message);
        return;
    }
    statusBar()->showMessage(tr("File saved"));
}

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

void VireoMainWindow::exportSelectFinished()
{
    statusBar()->showMessage(tr("Export selection finished"));
}

void VireoMainWindow::saveCompleteProfile()
{
    saveProfile(Profile::Complete);
}

void VireoMainWindow::openCompleteProfile()
{
    openProfile(Profile::Complete);
}

void VireoMainWindow::saveOperationsProfile()
{
    saveProfile(Profile::Operations);
}

void VireoMainWindow::openOperationsProfile()
{
    openProfile(Profile::Operations);
}

void VireoMainWindow::saveDisplayProfile()
{
    saveProfile(Profile::Display);
}

void VireoMainWindow::openDisplayProfile()
{
    openProfile(Profile::Display);
}

void VireoMainWindow::saveKeysProfile()
{
    saveProfile(Profile::Keys);
}

void VireoMainWindow::openKeysProfile()
{
    openProfile(Profile::Keys);
}

void VireoMainWindow::saveProfile(int kind)
{
    const QString fileName = askSaveFileName(tr("Save profile"), profileFilter());
    if (fileName.isEmpty())
        return;
    Profile profile = currentProfile();
    if (!profile.save(fileName, kind)) {
        showWarning(
            tr("Unable to save profile"),
            tr("The profile could not be saved to %1: %2").arg(fileName, profile.errorString()));
        return;
    }
    statusBar()->showMessage(tr("Profile saved"));
}

void VireoMainWindow::openProfile(int kind)
{
    const QString fileName = askOpenFileName(tr("Open profile"), profileFilter());
    if (fileName.isEmpty())
        return;
    Profile profile = currentProfile();
    if (!profile.open(fileName, kind)) {
        showWarning(
            tr("Unable to open profile"),
            tr("The profile %1 could not be opened: %2").arg(fileName, profile.errorString()));
        return;
    }
    applyProfile(profile, kind);
    statusBar()->showMessage(tr("Profile opened"));
}

Profile VireoMainWindow::currentProfile() const
{
    Profile profile;
    profile.operations = {ui->comboBoxModeAgregation->currentIndex(),
                          ui->spinEpoch->value(),
                          ui->radioNormalizationGlobal->isChecked() ? 0 : 1,
                          ui->comboBoxModeReorganization->currentIndex(),
                          ui->correlationMode->currentIndex(),
                          ui->correlationThreshold->value()};
    profile.display = {
        ui->radioBtnEpoch->isChecked() ? 0 : 1, ui->displayModeComboBox->currentIndex(),
        ui->missingValuesColorWidget->color(),  ui->backgroundColorWidget->color(),
        ui->widthColorWidget->color(),          ui->gradientColorsForValuesWidget->gradient()};
    const VireoGLWidget *view = ui->glWidget;
    profile.keys = {view->keyMapForCamera(), view->keyForReturnToOrigin(), view->keyMapForPicking(),
                    view->keyMapToMoveSelection()};
    return profile;
}

void VireoMainWindow::applyProfile(const Profile &profile, int kind)
{
    // A button set by program emits no clicked(): what a click would do is
    // done here, or the view would go on showing the other choice.
    const auto check = [this](QRadioButton *button, void (VireoMainWindow::*changed)()) {
        if (button->isChecked())
            return;
        button->setChecked(true);
        (this->*changed)();
    };
    if (kind == Profile::Complete || kind == Profile::Operations) {
        const Profile::OperationSettings &operations = profile.operations;
        setIndex(ui->comboBoxModeAgregation, operations.agregationType);
        if (operations.agregationEpoch)
            ui->spinEpoch->setValue(*operations.agregationEpoch);
        if (operations.normalizationMode)
            check(*operations.normalizationMode == 0 ? ui->radioNormalizationGlobal
                                                     : ui->radioNormalizationLocal,
                  &VireoMainWindow::normalisationDataChanged);
        setIndex(ui->comboBoxModeReorganization, operations.reorganizationMode);
        setIndex(ui->correlationMode, operations.correlationMode);
        if (operations.correlationThreshold)
            ui->correlationThreshold->setValue(*operations.correlationThreshold);
    }
    if (kind == Profile::Complete || kind == Profile::Display) {
        const Profile::DisplaySettings &display = profile.display;
        if (display.displayTime)
            check(*display.displayTime == 0 ? ui->radioBtnEpoch : ui->radioBtnGMT,
                  &VireoMainWindow::timeDisplayModeChanged);
        setIndex(ui->displayModeComboBox, display.displayMode);
        if (display.missingValueColor)
            ui->missingValuesColorWidget->setColor(*display.missingValueColor);
        if (display.backgroundColor)
            ui->backgroundColorWidget->setColor(*display.backgroundColor);
        if (display.widthColor)
            ui->widthColorWidget->setColor(*display.widthColor);
        if (display.gradient)
            ui->gradientColorsForValuesWidget->setGradient(*display.gradient);
    }
    if (kind == Profile::Keys) {
        const Profile::KeyBindings &keys = profile.keys;
        setConfigurations(keys.camera, keys.returnToOrigin, keys.picking, keys.moveSelection);
    }
}

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

void VireoMainWindow::selectionChanged(Selection selection)
{
    correlationScores.clear();
    correlationShown = false;
    panels->showSelection(selection);
}

void VireoMainWindow::correlationSelectionChanged(Selections selections)
{
    panels->showCorrelation(selections);
}

void VireoMainWindow::corrItemSelected(QModelIndex index)
{
    panels->selectArea(index, false);
}

void VireoMainWindow::corrItemActivated(QModelIndex index)
{
    panels->selectArea(index, true);
}

void VireoMainWindow::annotationsChanged(Annotations annot)
{
    panels->showAnnotations(annot);
}

void VireoMainWindow::annotItemSelected(QModelIndex index)
{
    panels->selectAnnotation(index, false);
}

void VireoMainWindow::annotItemActivated(QModelIndex index)
{
    panels->selectAnnotation(index, true);
}
