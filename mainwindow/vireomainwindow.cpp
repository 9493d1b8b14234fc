#include "mainwindow/vireomainwindow.h"

#include "mainwindow/fileopening.h"
#include "mainwindow/processingchain.h"
#include "mainwindow/selectionpanels.h"
#include "mainwindow/viewkeybindings.h"
#include "mainwindow/windowexports.h"
#include "mainwindow/windowprofiles.h"
#include "ui_vireomainwindow.h"
#include "widgets/colorbrewerdialog.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QStatusBar>

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

    chain = new ProcessingChain(ui, *this, statusBar(), this);
    panels = new SelectionPanels(
        {ui->glWidget, ui->selectedValueLabel, ui->selectionTreeView, ui->grp5Correlation,
         ui->correlationProgressBar, ui->correlationTreeView, ui->annotationTreeWidget,
         ui->radioBtnEpoch},
        [this] { return nonNormalizedData(); }, this);
    profiles = std::make_unique<WindowProfiles>(
        ui, *this, statusBar(), [this] { normalisationDataChanged(); },
        [this] { timeDisplayModeChanged(); },
        [this](const Profile::KeyBindings &keys) {
            setConfigurations(keys.camera, keys.returnToOrigin, keys.picking, keys.moveSelection);
        });
    exports = std::make_unique<WindowExports>(
        ui->glWidget, *this, statusBar(), [this] { return chain->displayedData(); },
        [this] { return nonNormalizedData(); });
    keys = std::make_unique<ViewKeyBindings>(
        ui->glWidget, this, [this](const auto &...chosen) { setConfigurations(chosen...); });
    opening =
        std::make_unique<FileOpening>(*this, [this](const QString &fileName, int mode, int origin) {
            loadFile(fileName, mode, origin);
        });
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
    chain->stop();
    delete ui;
}

QString VireoMainWindow::translationFileName(const QString &localeName)
{
    return QStringLiteral("lang/Vireo_") + localeName.section(QLatin1Char('_'), 0, 0);
}

void VireoMainWindow::connectActions()
{
    const std::pair<QAction *, void (VireoMainWindow::*)()> actions[] = {
        {ui->actionOpenSyncFile, &VireoMainWindow::openSyncFile},
        {ui->actionOpenAsyncFile, &VireoMainWindow::openAsyncFile},
        {ui->actionExportNormalizedDatas, &VireoMainWindow::exportNormDatas},
        {ui->actionExportNonNormalizedDatas, &VireoMainWindow::exportNonNormDatas},
        {ui->actionSaveCompleteProfile, &VireoMainWindow::saveCompleteProfile},
        {ui->actionOpenCompleteProfile, &VireoMainWindow::openCompleteProfile},
        {ui->actionSaveOperationsProfile, &VireoMainWindow::saveOperationsProfile},
        {ui->actionOpenOperationsProfile, &VireoMainWindow::openOperationsProfile},
        {ui->actionSaveDisplayProfile, &VireoMainWindow::saveDisplayProfile},
        {ui->actionOpenDisplayProfile, &VireoMainWindow::openDisplayProfile},
        {ui->actionSaveKeysProfile, &VireoMainWindow::saveKeysProfile},
        {ui->actionOpenKeysProfile, &VireoMainWindow::openKeysProfile},
        {ui->actionKeys_configuration, &VireoMainWindow::keyConfiguration},
        {ui->actionAbout, &VireoMainWindow::displayAbout},
        {ui->actionExportPicture, &VireoMainWindow::exportPicture}};
    for (const auto &[action, slot] : actions)
        connect(action, &QAction::triggered, this, slot);
    connect(ui->actionQuit, &QAction::triggered, this, &VireoMainWindow::close);
}

void VireoMainWindow::connectEditors()
{
    connect(ui->radioBtnGMT, &QRadioButton::clicked, this,
            &VireoMainWindow::timeDisplayModeChanged);
    connect(ui->radioBtnEpoch, &QRadioButton::clicked, this,
            &VireoMainWindow::timeDisplayModeChanged);
    connect(ui->displayModeComboBox, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &VireoMainWindow::onDisplayModeComboBoxCurrentIndexChanged);
    for (QSpinBox *box : chain->gmtEditors())
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

void VireoMainWindow::closeEvent(QCloseEvent *event)
{
    chain->stop();
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
    opening->open(mode);
}

void VireoMainWindow::openFileWith(const QString &fileName, int mode, int origin)
{
    opening->openWith(fileName, mode, origin);
}

void VireoMainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    opening->dragEntered(event);
}

void VireoMainWindow::dropEvent(QDropEvent *event)
{
    opening->dropped(event, this);
}

void VireoMainWindow::loadFile(const QString &fileName, int mode, int origin)
{
    chain->load(fileName, mode, origin);
}

void VireoMainWindow::fileLoaded(Task *task)
{
    chain->fileLoaded(task);
}

void VireoMainWindow::onReadProgressChanged(Task *task)
{
    chain->readProgress(task);
}

void VireoMainWindow::originalDataChanged()
{
    chain->originalDataChanged();
}

void VireoMainWindow::timeDisplayModeChanged()
{
    chain->timeDisplayModeChanged();
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
           "University, under the Apache License 2.0. %3</p>")
            .arg(QStringLiteral(VIREO_VERSION), QString::fromLatin1(qVersion()),
                 ColorBrewerDialog::acknowledgment().toHtmlEscaped()));
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
    keys->set(keyMapForCamera, keyForReturnToOrigin, keyMapForPicking, keyMapToMoveSelection);
}

// --- processing chain

void VireoMainWindow::onAgregProgressChanged(Task *task)
{
    chain->agregProgress(task);
}

void VireoMainWindow::onNormProgressChanged(Task *task)
{
    chain->normProgress(task);
}

void VireoMainWindow::onReorgProgressChanged(Task *task)
{
    chain->reorgProgress(task);
}

void VireoMainWindow::onCorrelationProgressChanged(Task *task)
{
    chain->correlationProgress(task);
}

void VireoMainWindow::agregationDataChanged()
{
    chain->agregationDataChanged();
}

void VireoMainWindow::normalisationDataChanged()
{
    chain->normalisationDataChanged();
}

void VireoMainWindow::reorganizationDataChanged()
{
    chain->reorganizationDataChanged();
}

void VireoMainWindow::agregated(Task *task)
{
    chain->agregated(task);
}

void VireoMainWindow::agregated(Data result)
{
    chain->agregated(result);
}

void VireoMainWindow::normalized(Task *task)
{
    chain->normalized(task);
}

void VireoMainWindow::normalized(Data result)
{
    chain->normalized(result);
}

void VireoMainWindow::reorganized(Task *task)
{
    chain->reorganized(task);
}

void VireoMainWindow::reorganized(Data result)
{
    chain->reorganized(result);
}

Data VireoMainWindow::nonNormalizedData() const
{
    return chain->nonNormalizedData();
}

void VireoMainWindow::agregationDeltaTimeEpochChanged()
{
    chain->stepSecondsEdited();
}

void VireoMainWindow::agregationDeltaTimeStepCountChanged()
{
    chain->stepCountEdited();
}

void VireoMainWindow::agregationDeltaTimeGMTChanged()
{
    chain->stepFieldsEdited();
}

void VireoMainWindow::startCorrelation(Selection selection)
{
    chain->startCorrelation(selection);
}

void VireoMainWindow::correlated(Task *task)
{
    chain->correlated(task);
}

void VireoMainWindow::on_correlationThreshold_valueChanged(int value)
{
    chain->thresholdChanged(value);
}

void VireoMainWindow::on_correlationMode_currentIndexChanged(int)
{
    chain->correlationModeChanged();
}

// --- export, profiles, key bindings and palettes

void VireoMainWindow::exportNormDatas()
{
    exports->exportCsv(false);
}

void VireoMainWindow::exportNonNormDatas()
{
    exports->exportCsv(true);
}

void VireoMainWindow::exportPicture()
{
    exports->exportPicture();
}

void VireoMainWindow::exportSelectFinished()
{
    statusBar()->showMessage(tr("Export selection finished"));
}

void VireoMainWindow::saveCompleteProfile()
{
    profiles->save(Profile::Complete);
}

void VireoMainWindow::openCompleteProfile()
{
    profiles->open(Profile::Complete);
}

void VireoMainWindow::saveOperationsProfile()
{
    profiles->save(Profile::Operations);
}

void VireoMainWindow::openOperationsProfile()
{
    profiles->open(Profile::Operations);
}

void VireoMainWindow::saveDisplayProfile()
{
    profiles->save(Profile::Display);
}

void VireoMainWindow::openDisplayProfile()
{
    profiles->open(Profile::Display);
}

void VireoMainWindow::saveKeysProfile()
{
    profiles->save(Profile::Keys);
}

void VireoMainWindow::openKeysProfile()
{
    profiles->open(Profile::Keys);
}

void VireoMainWindow::keyConfiguration()
{
    keys->editInDialog();
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
    chain->forgetCorrelation();
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
