#ifndef VIREO_MAINWINDOW_VIREOMAINWINDOW_H
#define VIREO_MAINWINDOW_VIREOMAINWINDOW_H

#include "core/annotation.h"
#include "core/data.h"
#include "core/selection.h"
#include "core/task.h"
#include "mainwindow/processingchain.h"
#include "mainwindow/windowdialogs.h"

#include <QColor>
#include <QLinearGradient>
#include <QMainWindow>
#include <QMap>
#include <QMessageBox>
#include <QModelIndex>
#include <QString>
#include <QVector>

#include <memory>

class FileOpening;
class SelectionPanels;
class ViewKeyBindings;
class WindowExports;
class WindowProfiles;

namespace Ui {
class VireoMainWindow;
}

// The program's only top-level window: the file information, the operation and
// display settings, the panels and the tube view. Its slots keep their names,
// which the form's connections and the tests rely on, and hand the work to
// helpers that each keep one concern.
class VireoMainWindow : public QMainWindow, public WindowDialogs
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

    int currentStage() const { return chain->stage(); }
    Task *runningTask() const { return chain->runningTask(); }
    QVector<float> storedCorrelationScores() const { return chain->correlationScores(); }

    // Closing stops the current task: the application would otherwise wait for
    // the thread pool to finish reading a large file before it could quit.
    void closeEvent(QCloseEvent *event) override;
    // One local .csv file may be dropped on the window.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

    // The only ways to the modal dialogs.
    QString askOpenFileName(const QString &caption, const QString &filter) override;
    QString askSaveFileName(const QString &caption, const QString &filter) override;
    QMessageBox::StandardButton askQuestion(const QString &title, const QString &text) override;
    void showWarning(const QString &title, const QString &text) override;
    void showInformation(const QString &title, const QString &text) override;
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

    Ui::VireoMainWindow *ui;
    // Children of the window; the chain receives the tasks' reports.
    ProcessingChain *chain = nullptr;
    SelectionPanels *panels = nullptr;
    std::unique_ptr<WindowProfiles> profiles;
    std::unique_ptr<WindowExports> exports;
    std::unique_ptr<ViewKeyBindings> keys;
    std::unique_ptr<FileOpening> opening;
};

#endif // VIREO_MAINWINDOW_VIREOMAINWINDOW_H
