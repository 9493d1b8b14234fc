#include "core/annotation.h"
#include "core/data.h"
#include "core/selection.h"
#include "mainwindow/vireomainwindow.h"

#include <QApplication>
#include <QLocale>
#include <QSurfaceFormat>
#include <QTranslator>

int main(int argc, char *argv[])
{
    // Before anything else, so that these values can travel in queued signals.
    qRegisterMetaType<Data>("Data");
    qRegisterMetaType<Selections>("Selections");
    qRegisterMetaType<Annotation>("Annotation");

    QApplication app(argc, argv);

    QSurfaceFormat format;
    format.setDepthBufferSize(24);
    format.setSamples(16);
    QSurfaceFormat::setDefaultFormat(format);

    // A missing file leaves the texts in English.
    QTranslator translator;
    translator.load(VireoMainWindow::translationFileName(QLocale::system().name()));
    app.installTranslator(&translator);

    VireoMainWindow window;
    window.showMaximized();
    return app.exec();
}
