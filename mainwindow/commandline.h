#ifndef VIREO_MAINWINDOW_COMMANDLINE_H
#define VIREO_MAINWINDOW_COMMANDLINE_H

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QString>
#include <QStringList>

// The program's arguments: an optional file with its layout and dialect.
// Parsing never exits the process, so that it can be checked without a window.
class CommandLine
{
    Q_DECLARE_TR_FUNCTIONS(CommandLine)

public:
    enum Status
    {
        Run,
        Help,
        Version,
        Error
    };

    CommandLine();

    // arguments[0] is the program name, as in QCoreApplication::arguments().
    Status parse(const QStringList &arguments);

    QString fileName() const { return file; }
    // -1 when no option chose: the window then decides.
    int mode() const { return layout; }
    int origin() const { return dialect; }
    // The layout option, else the one the file's first lines show, else
    // synchronous.
    int resolvedMode() const;
    // Milliseconds after which the program quits by itself, -1 never.
    int quitAfter() const { return quitDelay; }

    QString errorText() const { return error; }
    QString helpText() const { return parser.helpText(); }
    static QString versionText();

private:
    QCommandLineParser parser;
    QString file;
    QString error;
    int layout = -1;
    int dialect = -1;
    int quitDelay = -1;
};

#endif // VIREO_MAINWINDOW_COMMANDLINE_H
