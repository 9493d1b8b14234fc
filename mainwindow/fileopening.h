#ifndef VIREO_MAINWINDOW_FILEOPENING_H
#define VIREO_MAINWINDOW_FILEOPENING_H

#include <QString>

#include <functional>

class QDragEnterEvent;
class QDropEvent;
class QObject;
class WindowDialogs;

// The way from a menu, the command line or a drop to a file read: which file,
// its layout and the origin of its numbers.
class FileOpening
{
public:
    // load reads a file: mode 0 synchronous, 1 asynchronous; origin 0 French,
    // 1 International.
    FileOpening(WindowDialogs &dialogs, std::function<void(const QString &, int, int)> load);

    // Asks for a file and its origin. A cancelled file dialog still asks for
    // the origin, then loads nothing.
    void open(int mode);
    // mode -1 detects the layout from the first lines and asks when they do
    // not tell; origin -1 asks the origin question.
    void openWith(const QString &fileName, int mode, int origin);

    // One local .csv file may be dropped on the window.
    void dragEntered(QDragEnterEvent *event);
    // window: where the questions come from once the drop is over.
    void dropped(QDropEvent *event, QObject *window);

private:
    // 0 French, 1 International, -1 cancelled.
    int askOrigin();

    WindowDialogs &dialogs;
    std::function<void(const QString &, int, int)> load;
};

#endif // VIREO_MAINWINDOW_FILEOPENING_H
