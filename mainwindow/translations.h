#ifndef VIREO_MAINWINDOW_TRANSLATIONS_H
#define VIREO_MAINWINDOW_TRANSLATIONS_H

#include <QString>
#include <QStringList>
#include <QTranslator>

// Vireo's own translation and Qt's translation of its dialogs, for the
// language of one locale, installed into the application for its lifetime.
class Translations
{
public:
    // Removes both translators from the application again.
    ~Translations();

    // localeName such as "fr_FR"; a missing file leaves those texts in English.
    void install(const QString &localeName);

    // Where Vireo's file is looked for, first match wins: "lang" under the
    // working directory, "lang" beside the program (the build folder), then
    // the installed translations folder.
    static QStringList vireoFolders();
    // The file Vireo's translation was loaded from, empty if none.
    QString vireoFile() const { return vireo.filePath(); }
    QString qtFile() const { return qt.filePath(); }

private:
    QTranslator vireo;
    QTranslator qt;
    bool installed = false;
};

#endif // VIREO_MAINWINDOW_TRANSLATIONS_H
