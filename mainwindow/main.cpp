#include "core/annotation.h"
#include "core/data.h"
#include "core/selection.h"
#include "mainwindow/commandline.h"
#include "mainwindow/translations.h"
#include "mainwindow/vireomainwindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QLocale>
#include <QSurfaceFormat>
#include <QTimer>
#include <QWindow>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Before anything else, so that these values can travel in queued signals.
    qRegisterMetaType<Data>("Data");
    qRegisterMetaType<Selections>("Selections");
    qRegisterMetaType<Annotation>("Annotation");

    // Help, version and mistakes are answered without a display: only a core
    // application exists while the arguments are read.
    QString fileName;
    int mode = 0, origin = -1, quitAfter = -1;
    {
        QCoreApplication probe(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("vireo"));
        Translations translations;
        translations.install(QLocale::system().name());
        CommandLine commandLine;
        switch (commandLine.parse(QCoreApplication::arguments())) {
        case CommandLine::Help:
            std::fputs(qPrintable(commandLine.helpText()), stdout);
            return 0;
        case CommandLine::Version:
            std::printf("%s\n", qPrintable(CommandLine::versionText()));
            return 0;
        case CommandLine::Error:
            std::fprintf(stderr, "vireo: %s\n%s\n", qPrintable(commandLine.errorText()),
                         qPrintable(CommandLine::tr("Try 'vireo --help' for more information.")));
            return 1;
        case CommandLine::Run:
            break;
        }
        fileName = commandLine.fileName();
        mode = commandLine.resolvedMode();
        origin = commandLine.origin();
        quitAfter = commandLine.quitAfter();
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vireo"));

    QSurfaceFormat format;
    format.setDepthBufferSize(24);
    format.setSamples(16);
    QSurfaceFormat::setDefaultFormat(format);

    // A missing file leaves the texts in English.
    Translations translations;
    translations.install(QLocale::system().name());

    VireoMainWindow window;
    window.showMaximized();
    // Once the window is up, so that the origin question has it behind.
    if (!fileName.isEmpty())
        QTimer::singleShot(0, &window, [&] { window.openFileWith(fileName, mode, origin); });
    if (quitAfter >= 0) {
        // The check that asks for this fails unless the window came up and
        // shows the file it was given.
        QTimer::singleShot(quitAfter, &window, [&window, fileName] {
            const bool up = window.isVisible() && window.windowHandle()->isExposed();
            const bool loaded = window.windowTitle().startsWith(QFileInfo(fileName).fileName());
            QApplication::exit(up && loaded ? 0 : 2);
        });
    }
    return app.exec();
}
