#include "mainwindow/commandline.h"

#include "mainwindow/csvlayout.h"

namespace {

const QString synchronousName = QStringLiteral("synchronous");
const QString asynchronousName = QStringLiteral("asynchronous");
const QString frenchName = QStringLiteral("french");
const QString internationalName = QStringLiteral("international");
const QString quitAfterName = QStringLiteral("quit-after");

} // namespace

CommandLine::CommandLine()
{
    parser.setApplicationDescription(tr("Explore multivariate time series drawn as the inside of "
                                        "a tube."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions(
        {{synchronousName, tr("Read FILE as one row per time stamp (the default).")},
         {asynchronousName, tr("Read FILE as one row per measurement: attribute, time, value.")},
         {frenchName, tr("FILE is French: numbers like 1,2; ';' or tab separators.")},
         {internationalName, tr("FILE is International: numbers like 1.2; ',' separators.")}});
    // For the installation check: shows the window, then quits on its own.
    QCommandLineOption quit(quitAfterName, QString(), QStringLiteral("ms"));
    quit.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(quit);
    // The option texts above call it by this name.
    const QString argument = tr("FILE");
    parser.addPositionalArgument(argument, tr("The CSV file to open."),
                                 QLatin1Char('[') + argument + QLatin1Char(']'));
}

QString CommandLine::versionText()
{
    return QStringLiteral("vireo " VIREO_VERSION);
}

CommandLine::Status CommandLine::parse(const QStringList &arguments)
{
    file.clear();
    error.clear();
    layout = dialect = quitDelay = -1;
    if (!parser.parse(arguments)) {
        error = parser.errorText();
        return Error;
    }
    if (parser.isSet(QStringLiteral("help")))
        return Help;
    if (parser.isSet(QStringLiteral("version")))
        return Version;

    const bool sync = parser.isSet(synchronousName), async = parser.isSet(asynchronousName);
    const bool french = parser.isSet(frenchName), intl = parser.isSet(internationalName);
    const QStringList files = parser.positionalArguments();
    if (sync && async)
        error = tr("Choose either --synchronous or --asynchronous.");
    else if (french && intl)
        error = tr("Choose either --french or --international.");
    else if (files.size() > 1)
        error = tr("Give one file at most.");
    else if ((sync || async || french || intl) && files.isEmpty())
        error = tr("The options --synchronous, --asynchronous, --french and --international "
                   "need a FILE.");
    if (parser.isSet(quitAfterName)) {
        bool ok = false;
        const int delay = parser.value(quitAfterName).toInt(&ok);
        if (ok && delay >= 0)
            quitDelay = delay;
        else
            error = tr("--quit-after needs a number of milliseconds.");
    }
    if (!error.isEmpty())
        return Error;

    file = files.value(0);
    layout = sync ? 0 : async ? 1 : -1;
    dialect = french ? 0 : intl ? 1 : -1;
    return Run;
}

int CommandLine::resolvedMode() const
{
    if (layout >= 0 || file.isEmpty())
        return qMax(layout, 0);
    const CsvLayout::Layout detected = CsvLayout::detect(file);
    return detected == CsvLayout::Unknown ? 0 : detected;
}
