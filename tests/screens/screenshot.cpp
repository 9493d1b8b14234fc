// Draws the main window with a file loaded, normalized and reorganized, and
// saves it as an image, for the README. Run it on an X server (xvfb-run) from the build folder.
//
// Usage: vireo_screenshot <file.csv> <mode> <origin> <image.png>

#include "mainwindow/vireomainwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QSurfaceFormat>

#include <cstdio>

namespace {

class ScreenshotWindow : public VireoMainWindow
{
public:
    using VireoMainWindow::loadFile;
    using VireoMainWindow::runningTask;

    bool failed = false;

protected:
    // Nobody is there to close a message box.
    void showWarning(const QString &title, const QString &text) override
    {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
        failed = true;
    }
};

void processEventsFor(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

} // namespace

int main(int argc, char *argv[])
{
    QSurfaceFormat format;
    format.setDepthBufferSize(24);
    format.setSamples(16);
    QSurfaceFormat::setDefaultFormat(format);
    QApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: vireo_screenshot <file.csv> <mode> <origin> <image.png>\n");
        return 2;
    }

    ScreenshotWindow window;
    window.resize(1280, 800);
    window.show();
    // Neighbouring attributes alike, so that the wall shows bands of colour.
    window.findChild<QComboBox *>("comboBoxModeReorganization")->setCurrentIndex(1);
    window.loadFile(QString::fromLocal8Bit(argv[1]), QByteArray(argv[2]).toInt(),
                    QByteArray(argv[3]).toInt());
    QElapsedTimer timer;
    timer.start();
    while (window.runningTask() && timer.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    if (window.failed || window.runningTask())
        return 1;
    // Let the view build its geometry and draw it.
    processEventsFor(1000);

    if (!window.grab().toImage().save(QString::fromLocal8Bit(argv[4]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[4]);
        return 1;
    }
    return 0;
}
