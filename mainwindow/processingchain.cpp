#include "mainwindow/processingchain.h"

#include "io/filereader.h"
#include "mainwindow/stepeditors.h"
#include "mainwindow/windowdialogs.h"
#include "operations/agregation.h"
#include "operations/correlation.h"
#include "operations/normalization.h"
#include "operations/reorganization.h"
#include "ui_vireomainwindow.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStatusBar>

ProcessingChain::ProcessingChain(Ui::VireoMainWindow *ui, WindowDialogs &dialogs,
                                 QStatusBar *status, QWidget *window)
    : QObject(window), ui(ui), dialogs(dialogs), status(status), window(window),
      stepEditors(std::make_unique<StepEditors>(gmtEditors(), ui->spinEpoch, ui->spinNbEpoch))
{}

ProcessingChain::~ProcessingChain() = default;

// --- tasks

void ProcessingChain::startTask(Task *task, void (ProcessingChain::*finished)(Task *),
                                void (ProcessingChain::*progress)(Task *), const QString &message)
{
    currentTask.start(task, this, finished, progress);
    status->showMessage(message);
}

bool ProcessingChain::releaseTask(Task *task, const QString &failureTitle)
{
    const CurrentTask::Outcome outcome = currentTask.release(task);
    if (outcome == CurrentTask::Failed) {
        status->showMessage(QCoreApplication::translate("VireoMainWindow", "%1: %2")
                                .arg(failureTitle, task->errorMessage()));
        dialogs.showWarning(failureTitle, task->errorMessage());
    }
    return outcome == CurrentTask::Succeeded;
}

void ProcessingChain::showProgress(QProgressBar *bar, Task *task)
{
    // A superseded task that had already finished may still report.
    if (currentTask.is(task))
        bar->setValue(task->progress());
}

void ProcessingChain::readProgress(Task *task)
{
    showProgress(ui->readingProgressBar, task);
}

void ProcessingChain::agregProgress(Task *task)
{
    showProgress(ui->agregProgressBar, task);
}

void ProcessingChain::normProgress(Task *task)
{
    showProgress(ui->normProgressBar, task);
}

void ProcessingChain::reorgProgress(Task *task)
{
    showProgress(ui->reorgProgressBar, task);
}

void ProcessingChain::correlationProgress(Task *task)
{
    showProgress(ui->correlationProgressBar, task);
}

// --- reading

void ProcessingChain::load(const QString &fileName, int mode, int origin)
{
    if (fileName.isNull())
        return;
    m_stage = 0;
    startTask(new FileReader(fileName, mode, origin), &ProcessingChain::fileLoaded,
              &ProcessingChain::readProgress,
              QCoreApplication::translate("VireoMainWindow", "Loading data..."));
}

void ProcessingChain::fileLoaded(Task *task)
{
    if (!releaseTask(task, QCoreApplication::translate("VireoMainWindow", "Unable to load file")))
        return;
    // Only readers are connected here.
    auto *reader = static_cast<FileReader *>(task);
    ui->txtNom->setText(reader->fileName());
    window->setWindowTitle(
        QStringLiteral("%1 — Vireo").arg(QFileInfo(reader->fileName()).fileName()));
    originalData = reader->result();
    m_stage = 1;
    originalDataChanged();
}

void ProcessingChain::originalDataChanged()
{
    status->showMessage(QCoreApplication::translate("VireoMainWindow", "Data loaded"));
    m_stage = 1;
    ui->txtNbAttribut->setText(QString::number(originalData.attributeCount()));
    stepEditors->setSpan(originalData);
    if (originalData.timeCount() < 2) {
        // No time step to start from: show what was read and go no further.
        timeDisplayModeChanged();
        m_stage = 0;
        status->showMessage(QCoreApplication::translate(
            "VireoMainWindow", "The file has too few time stamps to be processed."));
        return;
    }
    // All three step editors at once: the chain then starts one aggregation.
    stepEditors->show(originalData.timeAt(0).secsTo(originalData.timeAt(1)));
    timeDisplayModeChanged();
    agregationDataChanged();
}

void ProcessingChain::timeDisplayModeChanged()
{
    if (m_stage == 0)
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

// --- aggregation, normalization, reorganization

void ProcessingChain::agregationDataChanged()
{
    if (m_stage < 1)
        return;
    const int mode = ui->comboBoxModeAgregation->currentIndex();
    if (mode == 0) {
        currentTask.stop();
        agregated(originalData);
        ui->agregProgressBar->setValue(100);
        return;
    }
    m_stage = 1;
    startTask(new Agregation(originalData, mode - 1, ui->spinEpoch->value()),
              &ProcessingChain::agregated, &ProcessingChain::agregProgress,
              QCoreApplication::translate("VireoMainWindow", "Agregating data..."));
}

void ProcessingChain::normalisationDataChanged()
{
    if (m_stage < 2)
        return;
    m_stage = 2;
    const int mode =
        ui->radioNormalizationGlobal->isChecked() ? Normalization::Global : Normalization::Local;
    startTask(new Normalization(agregatedData, mode), &ProcessingChain::normalized,
              &ProcessingChain::normProgress,
              QCoreApplication::translate("VireoMainWindow", "Normalizing data..."));
}

void ProcessingChain::reorganizationDataChanged()
{
    if (m_stage < 3)
        return;
    const int mode = ui->comboBoxModeReorganization->currentIndex();
    if (mode == 0) {
        currentTask.stop();
        reorganized(normalizedData);
        ui->reorgProgressBar->setValue(100);
        return;
    }
    m_stage = 3;
    startTask(new Reorganization(normalizedData, mode - 1), &ProcessingChain::reorganized,
              &ProcessingChain::reorgProgress,
              QCoreApplication::translate("VireoMainWindow", "Reorganizing data..."));
}

void ProcessingChain::agregated(Task *task)
{
    if (releaseTask(task,
                    QCoreApplication::translate("VireoMainWindow", "Unable to agregate data")))
        agregated(static_cast<Agregation *>(task)->result());
}

void ProcessingChain::agregated(Data result)
{
    status->showMessage(QCoreApplication::translate("VireoMainWindow", "Data agregated"));
    m_stage = 2;
    agregatedData = result;
    normalisationDataChanged();
}

void ProcessingChain::normalized(Task *task)
{
    if (releaseTask(task,
                    QCoreApplication::translate("VireoMainWindow", "Unable to normalize data")))
        normalized(static_cast<Normalization *>(task)->result());
}

void ProcessingChain::normalized(Data result)
{
    status->showMessage(QCoreApplication::translate("VireoMainWindow", "Data normalized"));
    m_stage = 3;
    normalizedData = result;
    reorganizationDataChanged();
}

void ProcessingChain::reorganized(Task *task)
{
    if (!releaseTask(task,
                     QCoreApplication::translate("VireoMainWindow", "Unable to reorganize data")))
        return;
    auto *reorganization = static_cast<Reorganization *>(task);
    attributeOrder = reorganization->permutation();
    reorganized(reorganization->result());
}

void ProcessingChain::reorganized(Data result)
{
    // Before the view takes the data: its own complaint must stay visible.
    status->showMessage(
        QCoreApplication::translate("VireoMainWindow", "Data reorganized & displayed"));
    m_stage = 4;
    finalData = result;
    ui->glWidget->setData(finalData);
    m_correlationScores.clear();
    correlationShown = false;
}

Data ProcessingChain::nonNormalizedData() const
{
    if (m_stage < 4)
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

std::array<QSpinBox *, 6> ProcessingChain::gmtEditors() const
{
    return {ui->spinYear, ui->spinMonth, ui->spinDay, ui->spinHour, ui->spinMinute, ui->spinSecond};
}

void ProcessingChain::restartAgregation()
{
    // Without aggregation the step changes nothing downstream.
    if (ui->comboBoxModeAgregation->currentIndex() != 0)
        agregationDataChanged();
}

void ProcessingChain::stepSecondsEdited()
{
    stepEditors->secondsEdited();
    restartAgregation();
}

void ProcessingChain::stepCountEdited()
{
    if (stepEditors->countEdited())
        restartAgregation();
}

void ProcessingChain::stepFieldsEdited()
{
    if (stepEditors->fieldsEdited())
        restartAgregation();
}

// --- correlation

void ProcessingChain::startCorrelation(Selection selection)
{
    if (m_stage < 4 || selection.type == Selection::None)
        return;
    m_stage = 4;
    startTask(new Correlation(ui->correlationMode->currentIndex(), selection,
                              ui->correlationThreshold->value() / 100.0, m_correlationScores),
              &ProcessingChain::correlated, &ProcessingChain::correlationProgress,
              QCoreApplication::translate("VireoMainWindow", "Correlating data..."));
}

void ProcessingChain::correlated(Task *task)
{
    if (!releaseTask(task,
                     QCoreApplication::translate("VireoMainWindow", "Unable to correlate data")))
        return;
    auto *correlation = static_cast<Correlation *>(task);
    m_stage = 5;
    m_correlationScores = correlation->scores();
    correlationShown = true;
    ui->glWidget->setCorrelation(correlation->result());
    status->showMessage(QCoreApplication::translate("VireoMainWindow", "Data correlated"));
}

void ProcessingChain::thresholdChanged(int value)
{
    ui->correlationThresholdLabel->setText(QString::number(value / 100.0, 'f', 2));
    // The view's current selection is the model of the result shown. A
    // search under way would otherwise answer for the previous threshold.
    if (correlationShown || correlationRunning())
        startCorrelation(ui->glWidget->selection());
}

void ProcessingChain::correlationModeChanged()
{
    // Its scores would be kept for a zone they do not belong to.
    const bool running = correlationRunning();
    forgetCorrelation();
    if (running)
        startCorrelation(ui->glWidget->selection());
}

void ProcessingChain::forgetCorrelation()
{
    m_correlationScores.clear();
    correlationShown = false;
    // A search under way answers a selection no longer current: its result
    // would pass for the new one's, and its scores be replayed for it.
    if (correlationRunning()) {
        currentTask.stop();
        status->clearMessage();
    }
}

bool ProcessingChain::correlationRunning() const
{
    // Every other task lowers the stage.
    return m_stage == 4 && currentTask.get();
}
