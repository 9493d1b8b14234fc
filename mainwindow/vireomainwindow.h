#ifndef VIREO_MAINWINDOW_VIREOMAINWINDOW_H
#define VIREO_MAINWINDOW_VIREOMAINWINDOW_H

#include "core/annotation.h"
#include "core/data.h"
#include "core/selection.h"
#include "mainwindow/currenttask.h"

#include <QColor>
#include <QLinearGradient>
#include <QMainWindow>
#include <QMap>
#include <QMessageBox>
#include <QModelIndex>
#include <QString>
#include <QVector>

#include <array>
#include <memory>

class Profile;
class QProgressBar;
class QSpinBox;
class SelectionPanels;
class StepEditors;

namespace Ui {
class VireoMainWindow;
}

// The program's only top-level window: the file information, the operation and
// display settings, the panels and the tube view. It owns the successive
// versions of the loaded data and the one background task it last started.
class VireoMainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit VireoMainWindow(QWidget *parent = nullptr);
    ~VireoMainWindow() override;

    // "lang/Vireo_" and the language part of a locale name ("fr_FR" -> "fr"),
    // relative to the working directory.
    static QString translationFileName(const QString &localeName);

    // A file named from outside (command line, drop): mode -1 detects the
    // layout from the first lines and asks when they do not tell; origin -1
    // asks the origin question.
    void openFileWith(const QString &fileName, int mode, int origin);
    // The values before normalization, in the attribute order shown; empty
    // until the chain has displayed its result.
    Data nonNormalizedData() const;

protected:
    // mode 0 synchronous, 1 asynchronous.
    void openFile(int mode);
    // origin 0 French, 1 International; a null file name loads nothing.
    void loadFile(const QString &fileName, int mode, int origin);

    int currentStage() const { return stage; }
    Task *runningTask() const { return currentTask.get(); }
    QVector<float> storedCorrelationScores() const { return correlationScores; }

    // Closing stops the current task: the application would otherwise wait for
    // the thread pool to finish reading a large file before it could quit.
    void closeEvent(QCloseEvent *event) override;
    // One local .csv file may be dropped on the window.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

    // The only ways to the modal dialogs.
    virtual QString askOpenFileName(const QString &caption, const QString &filter);
    virtual QString askSaveFileName(const QString &caption, const QString &filter);
    virtual QMessageBox::StandardButton askQuestion(const QString &title, const QString &text);
    virtual void showWarning(const QString &title, const QString &text);
    virtual void showInformation(const QString &title, const QString &text);
    virtual int execPaletteDialog(QDialog *dialog);

private slots:
    void openSyncFile();
    void openAsyncFile();
    void exportNormDatas();
    void exportNonNormDatas();
    void fileLoaded(Task *task);
    void saveCompleteProfile();
    void openCompleteProfile();
    void saveOperationsProfile();
    void openOperationsProfile();
    void saveDisplayProfile();
    void openDisplayProfile();
    void saveKeysProfile();
    void openKeysProfile();
    void keyConfiguration();
    void setConfigurations(QMap<int, int> keyMapForCamera, int keyForReturnToOrigin,
                           QMap<int, int> keyMapForPicking, QMap<int, int> keyMapToMoveSelection);
    void displayAbout();
    void originalDataChanged();
    void agregationDataChanged();
    void normalisationDataChanged();
    void reorganizationDataChanged();
    void timeDisplayModeChanged();
    void onDisplayModeComboBoxCurrentIndexChanged(int index);
    void on_pushButton_clicked();
    void onBgColorChanged(QColor bgColor);
    void onMissingValuesColorChanged(QColor mvColor);
    void onGradientColorForValuesChanged(QLinearGradient gradientForValues);
    void onSelectionColorChanged(QColor scolor);
    void onCorrelationColorChanged(QColor ccolor);
    void onWidthColorChanged(QColor wcolor);
    void onReadProgressChanged(Task *task);
    void onAgregProgressChanged(Task *task);
    void onNormProgressChanged(Task *task);
    void onReorgProgressChanged(Task *task);
    void onCorrelationProgressChanged(Task *task);
    void agregationDeltaTimeEpochChanged();
    void agregationDeltaTimeStepCountChanged();
    void agregationDeltaTimeGMTChanged();
    void agregated(Task *task);
    void agregated(Data result);
    void normalized(Task *task);
    void normalized(Data result);
    void reorganized(Task *task);
    void reorganized(Data result);
    void startCorrelation(Selection selection);
    void correlated(Task *task);
    void on_correlationThreshold_valueChanged(int value);
    void on_correlationMode_currentIndexChanged(int index);
    void exportSelectFinished();
    void selectionChanged(Selection selection);
    void correlationSelectionChanged(Selections selections);
    void corrItemSelected(QModelIndex index);
    void corrItemActivated(QModelIndex index);
    void annotationsChanged(Annotations annot);
    void annotItemSelected(QModelIndex index);
    void annotItemActivated(QModelIndex index);
    void exportPicture();

private:
    void connectActions();
    void connectEditors();
    void connectPanels();
    void setStartColors();
    // 0 French, 1 International, -1 cancelled.
    int askOrigin();
    // Makes task the current one, reporting to the given slots.
    void startTask(Task *task, void (VireoMainWindow::*finished)(Task *),
                   void (VireoMainWindow::*progress)(Task *), const QString &message);
    // For a task whose finished() has arrived: true if its result is to be
    // used. A superseded task's result is dropped; a failure is reported
    // under failureTitle and ends the chain there.
    bool releaseTask(Task *task, const QString &failureTitle);
    void showProgress(QProgressBar *bar, Task *task);
    std::array<QSpinBox *, 6> gmtEditors() const;
    void restartAgregation();
    // Asks for a file and writes the displayed data, or its values before normalization.
    void exportCsv(bool nonNormalized);
    bool correlationRunning() const;
    // kind: Profile::Kind.
    void saveProfile(int kind);
    void openProfile(int kind);
    // What the widgets and the view's bindings hold.
    Profile currentProfile() const;
    // Through the widgets' setters, whose signals rerun the chain and recolour
    // the view; a setting the profile lacks is left alone.
    void applyProfile(const Profile &profile, int kind);

    Ui::VireoMainWindow *ui;
    CurrentTask currentTask;
    int stage = 0;
    Data originalData;
    Data agregatedData;
    Data normalizedData;
    Data finalData;
    QVector<int> attributeOrder;
    QVector<float> correlationScores;
    bool correlationShown = false;
    std::unique_ptr<StepEditors> stepEditors;
    SelectionPanels *panels = nullptr;
};

#endif // VIREO_MAINWINDOW_VIREOMAINWINDOW_H
