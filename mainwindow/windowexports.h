#ifndef VIREO_MAINWINDOW_WINDOWEXPORTS_H
#define VIREO_MAINWINDOW_WINDOWEXPORTS_H

#include "core/data.h"

#include <functional>

class QStatusBar;
class VireoGLWidget;
class WindowDialogs;

// The files the export menus write: the data as CSV and the view as a picture.
class WindowExports
{
public:
    // displayedData and nonNormalizedData are read at each export: the chain
    // may have moved on since.
    WindowExports(VireoGLWidget *view, WindowDialogs &dialogs, QStatusBar *status,
                  std::function<Data()> displayedData, std::function<Data()> nonNormalizedData);

    // Asks for a file and writes the displayed data, or its values before normalization.
    void exportCsv(bool nonNormalized);
    void exportPicture();

private:
    VireoGLWidget *view;
    WindowDialogs &dialogs;
    QStatusBar *status;
    std::function<Data()> displayedData;
    std::function<Data()> nonNormalizedData;
};

#endif // VIREO_MAINWINDOW_WINDOWEXPORTS_H
