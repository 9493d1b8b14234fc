#include "mainwindow/fileopening.h"

#include "io/filereader.h"
#include "mainwindow/csvlayout.h"
#include "mainwindow/windowdialogs.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

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

} // namespace

FileOpening::FileOpening(WindowDialogs &dialogs,
                         std::function<void(const QString &, int, int)> load)
    : dialogs(dialogs), load(std::move(load))
{}

void FileOpening::open(int mode)
{
    const QString fileName = dialogs.askOpenFileName(
        QCoreApplication::translate("VireoMainWindow", "Select file %1")
            .arg(FileReader::modeName(mode)),
        QCoreApplication::translate("VireoMainWindow", "CSV Files (*.csv);;All files(*.*)"));
    const int origin = askOrigin();
    if (origin >= 0)
        load(fileName, mode, origin);
}

int FileOpening::askOrigin()
{
    const QMessageBox::StandardButton answer = dialogs.askQuestion(
        QCoreApplication::translate("VireoMainWindow", "Origin of your CSV file"),
        QCoreApplication::translate(
            "VireoMainWindow",
            "<p>Click on the origin of your CSV file : <p>Yes for French if number looks like 1,2 "
            "and separators are ';' for synchronous files and tab for asynchronous files.<p>No for "
            "International if number looks like 1.2 and separators are ','."));
    if (answer == QMessageBox::Yes)
        return 0;
    if (answer == QMessageBox::No)
        return 1;
    return -1;
}

void FileOpening::openWith(const QString &fileName, int mode, int origin)
{
    if (mode < 0)
        mode = CsvLayout::detect(fileName);
    if (mode < 0) {
        const QMessageBox::StandardButton answer = dialogs.askQuestion(
            QCoreApplication::translate("VireoMainWindow", "Layout of your CSV file"),
            QCoreApplication::translate(
                "VireoMainWindow",
                "<p>Click on the layout of your CSV file : <p>Yes for synchronous if it has a "
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
        load(fileName, mode, origin);
}

void FileOpening::dragEntered(QDragEnterEvent *event)
{
    if (!droppedCsvFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void FileOpening::dropped(QDropEvent *event, QObject *window)
{
    const QString fileName = droppedCsvFile(event->mimeData());
    if (fileName.isEmpty())
        return;
    event->acceptProposedAction();
    // The questions wait for the drop to end: a modal box inside the drop would
    // keep the program the file came from waiting for its answer.
    QTimer::singleShot(0, window, [this, fileName] { openWith(fileName, -1, -1); });
}
