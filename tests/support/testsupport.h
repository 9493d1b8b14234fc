#ifndef VIREO_TESTS_SUPPORT_TESTSUPPORT_H
#define VIREO_TESTS_SUPPORT_TESTSUPPORT_H

#include "core/data.h"
#include "core/selection.h"
#include "core/task.h"
#include "mainwindow/vireomainwindow.h"

#include <QColor>
#include <QDialog>
#include <QPair>
#include <QPoint>
#include <QSignalSpy>
#include <QStringList>
#include <QVector3D>

#include <functional>
#include <memory>

class VireoGLWidget;

using Answer = QPair<QString, QString>;

QString dataFile(const QString &name);
QString example(const QString &name);

// Shows the widget (resized first when a size is given) and waits until it is on screen.
bool showExposed(QWidget &widget, const QSize &size = QSize());

// Window pixel of a scene point, seen through the view's own camera.
QPoint scenePixel(const VireoGLWidget &view, const QVector3D &point);
// Window pixel of the middle of the flat cell of attribute a at time index t.
QPoint cellPixel(const VireoGLWidget &view, int a, int t);
// Each channel within tolerance: blending may round.
bool near(const QColor &actual, const QColor &expected, int tolerance = 3);
// Pixels near the colour among every other one of every other row.
int pixelsNear(const QImage &frame, const QColor &colour);
// Flies to the view position and waits until the camera is still.
void lookAt(VireoGLWidget &view, float a, float t);

// Opens a popup menu with open(), makes the entry of that text active (the first one when
// empty) and presses key in it.
struct Popup
{
    QStringList entries;
    QPoint pos;
    QString active;
};
Popup answerPopup(const std::function<void()> &open, const QString &entry,
                  Qt::Key key = Qt::Key_Return);

// The new top-level widget of type T that trigger() opens, once on screen.
QWidget *openedWindow(const std::function<void()> &trigger, const char *className);
template <typename T> T *opened(const std::function<void()> &trigger)
{
    return static_cast<T *>(openedWindow(trigger, T::staticMetaObject.className()));
}

// Runs a task to its end on the pool; its result or message is then read.
template <typename T> std::unique_ptr<T> ran(T *task)
{
    std::unique_ptr<T> owner(task);
    QSignalSpy finished(task, &Task::finished);
    task->start();
    finished.wait(60000);
    return owner;
}
// A table whose cell (t, a) is value(t, a), times `step` seconds apart from
// start, attributes named prefix0, prefix1... (left unnamed without a prefix).
Data generatedTable(int attributes, int times, const QDateTime &start, qint64 step,
                    const std::function<double(int t, int a)> &value,
                    const QString &prefix = QString());
// A file read by the program's own reader; the test fails when it cannot be read.
Data readBack(const QString &path, int mode = 0, int origin = 0);

// Empty when equal; NaN equals NaN.
QString difference(const Data &actual, const Data &expected);
// "kind firstAttribute..lastAttribute firstTime..lastTime".
QString shape(const Selection &selection);
QStringList shapes(const Selections &selections);

// The nine lines between a synchronous file's header and its data.
extern const QByteArray reservedLines;

QByteArray fileContent(const QString &path);
// A synchronous file of the International dialect holding data.
QByteArray synchronousCsv(const Data &data);
bool writeFile(const QString &path, const QByteArray &content);

// The window with its dialogs answered from the test and recorded.
class TestWindow : public VireoMainWindow
{
public:
    using VireoMainWindow::currentStage;
    using VireoMainWindow::loadFile;
    using VireoMainWindow::runningTask;
    using VireoMainWindow::storedCorrelationScores;

    TestWindow();

    QString fileAnswer, saveAnswer;
    QList<QMessageBox::StandardButton> replies;  // taken in order, then Cancel
    std::function<int(QDialog *)> paletteAnswer; // none: rejected
    QStringList messages;                        // of the status bar, in order
    QList<Answer> fileDialogs, saves, questions, warnings, infos;
    int palettesAsked = 0;

    template <typename T> T *child(const char *name) const { return findChild<T *>(name); }
    VireoGLWidget *view() const;
    bool waitIdle(int ms = 10000);
    // Loads a synchronous file and waits for the chain's end.
    bool load(const QString &fileName, int origin = 1);
    // The file information: name, attribute count, start and end time.
    QStringList fields() const;
    // The step editors: the six calendar fields, the seconds, the step count.
    QVector<int> steps() const;

protected:
    QString askOpenFileName(const QString &caption, const QString &filter) override
    {
        fileDialogs << Answer(caption, filter);
        return fileAnswer;
    }
    QString askSaveFileName(const QString &caption, const QString &filter) override
    {
        saves << Answer(caption, filter);
        return saveAnswer;
    }
    QMessageBox::StandardButton askQuestion(const QString &title, const QString &text) override
    {
        questions << Answer(title, text);
        return replies.isEmpty() ? QMessageBox::Cancel : replies.takeFirst();
    }
    void showWarning(const QString &title, const QString &text) override
    {
        warnings << Answer(title, text);
    }
    void showInformation(const QString &title, const QString &text) override
    {
        infos << Answer(title, text);
    }
    int execPaletteDialog(QDialog *dialog) override
    {
        ++palettesAsked;
        return paletteAnswer ? paletteAnswer(dialog) : int(QDialog::Rejected);
    }
};

#endif
