#include "mainwindow/translations.h"

#include "mainwindow/vireomainwindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>

Translations::~Translations()
{
    if (installed) {
        QCoreApplication::removeTranslator(&vireo);
        QCoreApplication::removeTranslator(&qt);
    }
}

QStringList Translations::vireoFolders()
{
    const QString programDir = QCoreApplication::applicationDirPath();
    return {QDir::current().absoluteFilePath(QStringLiteral("lang")),
            programDir + QStringLiteral("/lang"),
            QDir::cleanPath(programDir + QStringLiteral("/" VIREO_TRANSLATIONS_FROM_BIN))};
}

void Translations::install(const QString &localeName)
{
    const QString name = QFileInfo(VireoMainWindow::translationFileName(localeName)).fileName();
    for (const QString &folder : vireoFolders()) {
        if (vireo.load(name, folder))
            break;
    }
    const QString language = localeName.section(QLatin1Char('_'), 0, 0);
    qt.load(QStringLiteral("qtbase_") + language,
            QLibraryInfo::location(QLibraryInfo::TranslationsPath));
    // Installed even when empty, as the entry point always did.
    QCoreApplication::installTranslator(&qt);
    QCoreApplication::installTranslator(&vireo);
    installed = true;
}
