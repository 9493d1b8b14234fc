#include "io/filereader.h"
#include "mainwindow/commandline.h"
#include "mainwindow/csvlayout.h"
#include "mainwindow/translations.h"
#include "testsupport.h"
#include "view/vireoglwidget.h"

#include <QAbstractButton>
#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QImageReader>
#include <QLabel>
#include <QMimeData>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QUrl>

namespace {

const QString originTitle = QStringLiteral("Origin of your CSV file");
const QString layoutTitle = QStringLiteral("Layout of your CSV file");

// Drags the files' URLs over the middle of the view and drops them there,
// through the window system's side as a real drag would come; true if the
// window took the drag.
bool dragAndDrop(TestWindow &window, const QStringList &files)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString &file : files)
        urls << (file.contains("://") ? QUrl(file) : QUrl::fromLocalFile(file));
    mime.setUrls(urls);
    const QPoint at = window.view()->mapTo(&window, window.view()->rect().center());
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.windowHandle(), &enter);
    if (!enter.isAccepted()) {
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(window.windowHandle(), &leave);
        return false;
    }
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.windowHandle(), &drop);
    return drop.isAccepted();
}

} // namespace

class TestDesktop : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY(QThreadPool::globalInstance()->waitForDone(10000)); }

    void parseCommandLine()
    {
        const QString sync = example("plant_sensors_intl.csv");
        const QString async = example("plant_log_fr.csv");
        const QString odd = dataFile("sync_ten_lines.csv"); // no data line to tell by
        // Status, file name, layout option / resolved layout, origin, quit delay.
        const auto described = [](CommandLine &line, const QStringList &arguments) {
            const int status = line.parse(QStringList("vireo") + arguments);
            return QStringLiteral("%1 %2 %3/%4 %5 %6")
                .arg(status)
                .arg(QFileInfo(line.fileName()).fileName())
                .arg(line.mode())
                .arg(line.resolvedMode())
                .arg(line.origin())
                .arg(line.quitAfter());
        };
        const QList<QPair<QStringList, QString>> cases = {
            {{}, "0  -1/0 -1 -1"},
            {{async}, "0 plant_log_fr.csv -1/1 -1 -1"}, // the first lines tell
            {{odd}, "0 sync_ten_lines.csv -1/0 -1 -1"}, // they do not: synchronous
            {{"--synchronous", "--french", async}, "0 plant_log_fr.csv 0/0 0 -1"},
            {{sync, "--asynchronous", "--international"}, "0 plant_sensors_intl.csv 1/1 1 -1"},
            {{"--international", sync}, "0 plant_sensors_intl.csv -1/0 1 -1"},
            {{"--quit-after", "250"}, "0  -1/0 -1 250"},
            {{"--help"}, "1  -1/0 -1 -1"},
            {{"-v"}, "2  -1/0 -1 -1"},
            {{"--synchronous", "--asynchronous", sync}, "3  -1/0 -1 -1"},
            {{"--french", "--international", sync}, "3  -1/0 -1 -1"},
            {{sync, async}, "3  -1/0 -1 -1"},
            {{"--french"}, "3  -1/0 -1 -1"},
            {{"--bogus"}, "3  -1/0 -1 -1"},
            {{"--quit-after", "soon"}, "3  -1/0 -1 -1"}};
        for (const auto &c : cases) {
            CommandLine line;
            // Nothing of an earlier parse may remain.
            described(line, {"--asynchronous", "--french", "--quit-after", "5", async});
            QCOMPARE(described(line, c.first), c.second);
            QCOMPARE(line.errorText().isEmpty(), !c.second.startsWith('3'));
        }
        const QString help = CommandLine().helpText();
        QVERIFY(help.contains("--international") && !help.contains("quit-after"));
        QVERIFY(
            QRegularExpression("^vireo \\d+\\.\\d+$").match(CommandLine::versionText()).hasMatch());
    }

    void detectLayout()
    {
        const QList<QPair<QString, int>> cases = {
            {example("plant_sensors_intl.csv"), CsvLayout::Synchronous},
            {example("plant_sensors_fr.csv"), CsvLayout::Synchronous},
            {dataFile("sync_cr_only.csv"), CsvLayout::Synchronous},
            {example("plant_log_intl.csv"), CsvLayout::Asynchronous},
            {example("plant_log_fr.csv"), CsvLayout::Asynchronous},
            {dataFile("async_french_tab.csv"), CsvLayout::Asynchronous}, // runs of tabs
            {dataFile("async_bom_crlf.csv"), CsvLayout::Asynchronous},
            {dataFile("async_blank_line.csv"), CsvLayout::Asynchronous},
            {dataFile("sync_ten_lines.csv"), CsvLayout::Unknown}, // header only
            {dataFile("sync_empty_first_line.csv"), CsvLayout::Unknown},
            {dataFile("sync_empty.csv"), CsvLayout::Unknown},
            {dataFile("no_such_file.csv"), CsvLayout::Unknown}};
        for (const auto &c : cases)
            QVERIFY2(CsvLayout::detect(c.first) == c.second, qPrintable(c.first));
    }

    // From the command line (main() parses it) or a menu action (named first, then the file
    // its dialog answers): the origin asked unless given, then the file shown, unless a dialog
    // is cancelled. A wrong origin would fail the read with a warning.
    void openingAsksTheOrigin()
    {
        const QString intl = example("plant_sensors_intl.csv"),
                      fr = example("plant_sensors_fr.csv");
        const QString log = example("plant_log_fr.csv"), french = dataFile("mainwindow_french.csv");
        const QString sync = "actionOpenSyncFile", async = dataFile("mainwindow_async.csv");
        // clang-format off
        struct Case { QStringList how; QMessageBox::StandardButton reply; QString loaded; int attributes; };
        const Case cases[] = {
            {{"--international", intl}, QMessageBox::NoButton, intl, 31}, // no question
            {{"--synchronous", "--french", fr}, QMessageBox::NoButton, fr, 31},
            {{intl}, QMessageBox::No, intl, 31}, {{fr}, QMessageBox::Yes, fr, 31},
            {{log}, QMessageBox::Yes, log, 7}, // asynchronous, seen as such
            {{fr}, QMessageBox::Cancel, "", 0}, {{sync, french}, QMessageBox::Yes, french, 3},
            {{sync, french}, QMessageBox::NoButton, "", 0}, {{sync, QString()}, QMessageBox::Yes, "", 0},
            {{"actionOpenAsyncFile", async}, QMessageBox::No, async, 2}};
        // clang-format on
        for (const Case &c : cases) {
            TestWindow window;
            window.replies = {c.reply};
            const bool menu = c.how[0].startsWith("action");
            if (menu) {
                window.fileAnswer = c.how[1];
                window.child<QAction>(qPrintable(c.how[0]))->trigger();
                const QString caption =
                    c.how[0].contains("Async") ? "Select file asynchrone" : "Select file synchrone";
                QCOMPARE(window.fileDialogs,
                         QList<Answer>({{caption, "CSV Files (*.csv);;All files(*.*)"}}));
            } else {
                CommandLine line;
                QCOMPARE(line.parse(QStringList("vireo") + c.how), CommandLine::Run);
                window.openFileWith(line.fileName(), line.resolvedMode(), line.origin());
            }
            QVERIFY(window.waitIdle());
            QCOMPARE(window.questions.size(), !menu && c.reply == QMessageBox::NoButton ? 0 : 1);
            QCOMPARE(window.questions.value(0, {originTitle, ""}).first, originTitle);
            QVERIFY(window.warnings.isEmpty());
            QCOMPARE(window.fields()[0], c.loaded);
            QCOMPARE(window.windowTitle(),
                     c.loaded.isEmpty() ? "Vireo" : QFileInfo(c.loaded).fileName() + " — Vireo");
            QCOMPARE(window.view()->data().attributeCount(), c.attributes);
        }
    }

    void dropOpensFile()
    {
        TestWindow window;
        QVERIFY(showExposed(window));
        // Refused: not CSV, several files, not local.
        for (const QStringList &files :
             {QStringList{dataFile("sync_french_basic.txt")},
              QStringList{dataFile("mainwindow_async.csv"), dataFile("mainwindow_french.csv")},
              QStringList{"https://example.org/data.csv"}})
            QVERIFY2(!dragAndDrop(window, files), qPrintable(files.join(' ')));
        QVERIFY(window.questions.isEmpty());
        // The questions come once the drop has ended, and take the replies.
        const auto dropAndAnswer = [&window](const QString &file) {
            const int asked = window.questions.size();
            return dragAndDrop(window, {file}) && window.questions.size() == asked &&
                   QTest::qWaitFor([&window] { return window.replies.isEmpty(); }) &&
                   window.waitIdle();
        };

        // An asynchronous file is recognised; only its origin is asked.
        window.replies = {QMessageBox::No};
        QVERIFY(dropAndAnswer(dataFile("mainwindow_async.csv")));
        QCOMPARE(window.questions.size(), 1);
        QCOMPARE(window.questions[0].first, originTitle);
        QCOMPARE(window.fields()[0], dataFile("mainwindow_async.csv"));

        // A file whose first lines do not tell: the layout is asked first.
        QTemporaryDir dir;
        const QString unclear = dir.filePath("UNCLEAR.CSV");
        QVERIFY(QFile::copy(dataFile("sync_ten_lines.csv"), unclear));
        window.questions.clear();
        window.replies = {QMessageBox::Yes, QMessageBox::Yes};
        QVERIFY(dropAndAnswer(unclear));
        QCOMPARE(window.questions.size(), 2);
        QCOMPARE(window.questions[0].first, layoutTitle);
        QCOMPARE(window.questions[1].first, originTitle);
        QCOMPARE(window.fields()[0], unclear);

        // A failed read keeps the title of the file still shown.
        window.replies = {QMessageBox::Yes};
        QVERIFY(dropAndAnswer(dataFile("mainwindow_international.csv"))); // ',' read as French
        QCOMPARE(window.warnings.size(), 1);
        QCOMPARE(window.windowTitle(), "UNCLEAR.CSV — Vireo");
    }

    void exportPicture()
    {
        TestWindow window;
        QVERIFY(showExposed(window));
        QVERIFY(window.load(dataFile("mainwindow_colours.csv")));
        const QImage frame = window.view()->grabFramebuffer().convertToFormat(QImage::Format_RGB32);
        QVERIFY(!frame.isNull());
        QAction *action = window.child<QAction>("actionExportPicture");

        QTemporaryDir dir;
        // File name and the format written; none: the write fails.
        const QList<QPair<QString, QByteArray>> cases = {{"view.png", "png"},
                                                         {"view.JPG", "jpeg"},
                                                         {"noSuffix", "png"},
                                                         {"missing/folder/view.png", ""},
                                                         {"view.unknownformat", ""}};
        for (const auto &c : cases) {
            window.warnings.clear();
            window.statusBar()->clearMessage();
            window.saveAnswer = dir.filePath(c.first);
            action->trigger();
            QCOMPARE(window.saves.takeLast(),
                     Answer("Export picture", "PNG image (*.png);;JPEG image (*.jpg *.jpeg)"));
            if (c.second.isEmpty()) {
                QCOMPARE(window.warnings.size(), 1);
                QCOMPARE(window.warnings[0].first, "Unable to save picture");
                QVERIFY(window.warnings[0].second.contains(window.saveAnswer));
                QVERIFY(window.statusBar()->currentMessage().isEmpty());
                continue;
            }
            QVERIFY2(window.warnings.isEmpty(), qPrintable(window.warnings.value(0).second));
            QCOMPARE(window.statusBar()->currentMessage(), "Picture saved");
            QImageReader reader(window.saveAnswer);
            QCOMPARE(reader.format(), c.second);
            const QImage saved = reader.read().convertToFormat(QImage::Format_RGB32);
            QCOMPARE(saved.size(), frame.size());
            if (c.second == "png")
                QCOMPARE(saved, frame);
        }
        // Cancelling the dialog writes nothing and says nothing; the failed writes left nothing.
        window.saveAnswer.clear();
        window.warnings.clear();
        action->trigger();
        QVERIFY(window.warnings.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 3);
    }

    void frenchEverywhere()
    {
        // The build puts lang/ in the top build folder, one level above the tests.
        const QString top = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/..");
        const QString installed = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                                  "/" VIREO_TRANSLATIONS_FROM_BIN);
        QCOMPARE(Translations::vireoFolders().last(), installed);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("lang"));
        QVERIFY(QFile::copy(top + "/lang/Vireo_fr.qm", dir.filePath("lang/Vireo_fr.qm")));
        const QString previous = QDir::currentPath();
        for (const QString &cwd : {top, dir.path()}) {
            // The working directory's lang/ comes first.
            QVERIFY(QDir::setCurrent(cwd));
            Translations french;
            french.install("fr_FR");
            QCOMPARE(QFileInfo(french.vireoFile()).canonicalFilePath(),
                     QFileInfo(cwd + "/lang/Vireo_fr.qm").canonicalFilePath());

            QFileDialog dialog(nullptr, "x", QString(), "CSV (*.csv)");
            dialog.setOption(QFileDialog::DontUseNativeDialog);
            QCOMPARE(dialog.findChild<QLabel *>("lookInLabel")->text(), "Voir dans :");
            TestWindow window;
            QCOMPARE(window.child<QAction>("actionExportPicture")->text(), "Image...");
            QCOMPARE(FileReader::modeName(2), "inconnu");
            window.child<QAction>("actionOpenSyncFile")->trigger();
            QCOMPARE(window.fileDialogs.value(0).first, "Sélectionner le fichier synchrone");
            QCOMPARE(window.questions.value(0).first, "Origine de votre fichier CSV");
            window.loadFile(dataFile("mainwindow_missing.csv"), 0, 1);
            QCOMPARE(window.statusBar()->currentMessage(), "Chargement des données...");
            QVERIFY(window.waitIdle());
            QCOMPARE(window.warnings.value(0).first, "Impossible de charger le fichier");
            QVERIFY(window.warnings.value(0).second.startsWith("Impossible d'ouvrir le fichier"));
            QVERIFY(window.messages.last().startsWith("Impossible de charger le fichier : "));
            CommandLine commandLine;
            QVERIFY(commandLine.helpText().contains("Le fichier CSV à ouvrir."));
        }
        QVERIFY(QDir::setCurrent(previous));
        // Gone with the object: English again.
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        QCOMPARE(dialog.findChild<QLabel *>("lookInLabel")->text(), "Look in:");
    }
};

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
