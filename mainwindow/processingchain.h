#ifndef VIREO_MAINWINDOW_PROCESSINGCHAIN_H
#define VIREO_MAINWINDOW_PROCESSINGCHAIN_H

#include "core/data.h"
#include "core/selection.h"
#include "mainwindow/currenttask.h"

#include <QObject>
#include <QVector>

#include <array>
#include <memory>

class QProgressBar;
class QSpinBox;
class QStatusBar;
class QWidget;
class StepEditors;
class WindowDialogs;

namespace Ui {
class VireoMainWindow;
}

// The successive versions of the loaded data (read, aggregated, normalized,
// reorganized, correlated) and the one background task that makes the next.
// A change of setting restarts the chain at its step; the stage tells how far
// the data went.
class ProcessingChain : public QObject
{
    Q_OBJECT

public:
    // window: whose title names the file read, and the parent.
    ProcessingChain(Ui::VireoMainWindow *ui, WindowDialogs &dialogs, QStatusBar *status,
                    QWidget *window);
    ~ProcessingChain() override;

    int stage() const { return m_stage; }
    Task *runningTask() const { return currentTask.get(); }
    QVector<float> correlationScores() const { return m_correlationScores; }
    Data displayedData() const { return finalData; }
    // The values before normalization, in the attribute order shown; empty
    // until the chain has displayed its result.
    Data nonNormalizedData() const;
    std::array<QSpinBox *, 6> gmtEditors() const;
    void stop() { currentTask.stop(); }

    // A null file name loads nothing.
    void load(const QString &fileName, int mode, int origin);
    void originalDataChanged();
    void timeDisplayModeChanged();
    void agregationDataChanged();
    void normalisationDataChanged();
    void reorganizationDataChanged();
    void agregated(Data result);
    void normalized(Data result);
    void reorganized(Data result);
    void stepSecondsEdited();
    void stepCountEdited();
    void stepFieldsEdited();
    void startCorrelation(Selection selection);
    void thresholdChanged(int value);
    void correlationModeChanged();
    // The scores kept, and a search under way, belong to a zone no longer
    // selected.
    void forgetCorrelation();

    // The tasks' reports.
    void fileLoaded(Task *task);
    void agregated(Task *task);
    void normalized(Task *task);
    void reorganized(Task *task);
    void correlated(Task *task);
    void readProgress(Task *task);
    void agregProgress(Task *task);
    void normProgress(Task *task);
    void reorgProgress(Task *task);
    void correlationProgress(Task *task);

private:
    // Makes task the current one, reporting to the given members.
    void startTask(Task *task, void (ProcessingChain::*finished)(Task *),
                   void (ProcessingChain::*progress)(Task *), const QString &message);
    // For a task whose finished() has arrived: true if its result is to be
    // used. A superseded task's result is dropped; a failure is reported
    // under failureTitle and ends the chain there.
    bool releaseTask(Task *task, const QString &failureTitle);
    void showProgress(QProgressBar *bar, Task *task);
    void restartAgregation();
    bool correlationRunning() const;

    Ui::VireoMainWindow *ui;
    WindowDialogs &dialogs;
    QStatusBar *status;
    QWidget *window;
    std::unique_ptr<StepEditors> stepEditors;
    CurrentTask currentTask;
    int m_stage = 0;
    Data originalData;
    Data agregatedData;
    Data normalizedData;
    Data finalData;
    QVector<int> attributeOrder;
    QVector<float> m_correlationScores;
    bool correlationShown = false;
};

#endif // VIREO_MAINWINDOW_PROCESSINGCHAIN_H
