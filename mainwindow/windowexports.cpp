#include "mainwindow/windowexports.h"

#include "io/csvexporter.h"
#include "mainwindow/windowdialogs.h"
#include "view/vireoglwidget.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImageWriter>
#include <QStatusBar>

WindowExports::WindowExports(VireoGLWidget *view, WindowDialogs &dialogs, QStatusBar *status,
                             std::function<Data()> displayedData,
                             std::function<Data()> nonNormalizedData)
    : view(view), dialogs(dialogs), status(status), displayedData(std::move(displayedData)),
      nonNormalizedData(std::move(nonNormalizedData))
{}

void WindowExports::exportCsv(bool nonNormalized)
{
    const QString fileName = dialogs.askSaveFileName(
        QCoreApplication::translate("VireoMainWindow", "Save file"),
        QCoreApplication::translate("VireoMainWindow", "CSV Files (*.csv);;All files(*.*)"));
    if (fileName.isEmpty())
        return;
    QString message;
    if (!CsvExporter(fileName).exportData(nonNormalized ? nonNormalizedData() : displayedData(),
                                          message)) {
        dialogs.showWarning(QCoreApplication::translate("VireoMainWindow", "Unable to save file"),
                            message);
        return;
    }
    status->showMessage(QCoreApplication::translate("VireoMainWindow", "File saved"));
}

void WindowExports::exportPicture()
{
    const QString fileName = dialogs.askSaveFileName(
        QCoreApplication::translate("VireoMainWindow", "Export picture"),
        QCoreApplication::translate("VireoMainWindow",
                                    "PNG image (*.png);;JPEG image (*.jpg *.jpeg)"));
    if (fileName.isEmpty())
        return;
    QImageWriter writer(fileName);
    // Without a suffix the writer would not know which format to use.
    if (QFileInfo(fileName).suffix().isEmpty())
        writer.setFormat("png");
    if (!writer.write(view->grabFramebuffer())) {
        dialogs.showWarning(
            QCoreApplication::translate("VireoMainWindow", "Unable to save picture"),
            QCoreApplication::translate("VireoMainWindow",
                                        "The picture could not be written to %1: %2")
                .arg(fileName, writer.errorString()));
        return;
    }
    status->showMessage(QCoreApplication::translate("VireoMainWindow", "Picture saved"));
}
