#include "testsupport.h"
#include "view/viewcontextmenu.h"
#include "view/vireoglwidget.h"

#include <QAction>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>

namespace {

// 4 attributes x 5 hourly times, v(a, t) = 10a + t + 0.25, attribute c missing at time 1.
Data sample()
{
    Data data(QVector<QString>{"a", "b", "c", "d"}, 5);
    for (int t = 0; t < 5; ++t) {
        data.times[t] = QDateTime(QDate(2014, 1, 2), QTime(t, 0), Qt::UTC);
        for (int a = 0; a < 4; ++a)
            data.values[t * 4 + a] = 10 * a + t + 0.25;
    }
    data.values[1 * 4 + 2] = qQNaN();
    return data;
}

// Header, then per row the hour and the values.
QStringList table(const Data &data)
{
    QStringList rows{QStringList(data.attributes.toList()).join(' ')};
    for (int t = 0; t < data.timeCount(); ++t) {
        QStringList row{data.timeAt(t).toUTC().toString("hh")};
        for (int a = 0; a < data.attributeCount(); ++a)
            row << QString::number(data.value(t, a));
        rows << row.join(' ');
    }
    return rows;
}

// The view with every dialog and signal written to one log, the menu answered with entry.
class View : public VireoGLWidget
{
public:
    QStringList log;
    int entry = ViewContextMenu::NoEntry;
    QString fileAnswer, noteAnswer;
    bool noteAccepted = true;
    // Whether new data arrives while a dialog is open.
    bool newDataInDialog = false;
    QPoint menuPos;

    // realMenu: the menu itself is shown, its dialogs are answered.
    explicit View(bool realMenu = false)
    {
        auto *menu = findChild<ViewContextMenu *>();
        if (!realMenu)
            menu->setEntryChooser([this](const QStringList &, const QPoint &pos) {
                menuPos = pos;
                return entry;
            });
        menu->setFileNameAsker([this](const QString &caption, const QString &filter) {
            log << "save " + caption + '|' + filter;
            if (newDataInDialog)
                setData(sample());
            return fileAnswer;
        });
        menu->setNoteAsker([this](const QString &title, const QString &label,
                                  const QString &initial, bool *accepted) {
            log << "note " + title + '|' + label + '|' + initial;
            *accepted = noteAccepted;
            if (newDataInDialog)
                setData(sample());
            return noteAnswer;
        });
        connect(this, &VireoGLWidget::correlationRequested,
                [this](const Selection &s) { log << "correlation " + shape(s); });
        connect(this, &VireoGLWidget::exportFinished, [this] { log << "exported"; });
        connect(this, &VireoGLWidget::annotationsChanged, [this](const Annotations &notes) {
            log << QStringLiteral("annotations %1 %2 %3")
                       .arg(notes.size())
                       .arg(notes.last().text, shape(notes.last().selection));
        });
    }

    // A right click in the middle, which opens the menu.
    void rightClick(int chosen)
    {
        entry = chosen;
        QTest::mouseClick(this, Qt::RightButton, Qt::NoModifier, rect().center());
    }

protected:
    void warn(const QString &title, const QString &text) override
    {
        log << "warn " + title + '|' + text;
    }
};

const QString saveDialog = "save Save file|CSV Files (*.csv);;All files(*.*)";
const Answer saveAnswer("Save file", "CSV Files (*.csv);;All files(*.*)");
const QString noteDialog = "note Add annotation|Note :|This is a note.";
const QString refused =
    "warn Unable to do this|Please select something before calling this action.";

} // namespace

class TestContextMenu : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<View> view;

    // "ok" a new file in the temporary folder, "bad" one whose folder does not exist (a
    // failure also for root), anything else as given.
    QString answer(const QString &file) const
    {
        if (file == "ok")
            return dir.filePath("out.csv");
        return file == "bad" ? dir.filePath("missing/out.csv") : file;
    }

private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        QFile::remove(answer("ok"));
        view = std::make_unique<View>();
        QVERIFY(showExposed(*view, QSize(400, 400)));
        view->setData(sample());
    }
    void cleanup() { view.reset(); }

    void entries_data()
    {
        QTest::addColumn<bool>("selected");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("reply"); // to the save or the note dialog
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QStringList>("log");
        const QStringList exported{saveDialog, "exported"}, noted{noteDialog};
        const QString failed = "warn Unable to save file|Unable to write file %1.";
        const QString later = "warn Not for now|This action needs to be implemented.";
        // clang-format off
        for (int entry : {0, 1, 2, 3})
            QTest::addRow("no selection, entry %d", entry)
                << false << entry << "ok" << true << QStringList{refused};
        QTest::newRow("dismissed, no selection") << false << -1 << "" << true << QStringList();
        QTest::newRow("dismissed") << true << -1 << "" << true << QStringList();
        QTest::newRow("2D view") << true << 0 << "" << true << QStringList{later};
        QTest::newRow("correlation")
            << true << 1 << "" << true << QStringList{"correlation value 1..1 3..3"};
        QTest::newRow("export cancelled") << true << 2 << "" << true << exported;
        QTest::newRow("export") << true << 2 << "ok" << true << exported;
        QTest::newRow("export failed")
            << true << 2 << "bad" << true << QStringList{saveDialog, failed, "exported"};
        QTest::newRow("note") << true << 3 << "Pump\nchecked" << true
            << (noted + QStringList{"annotations 1 Pump\nchecked value 1..1 3..3"});
        QTest::newRow("empty note") << true << 3 << "" << true << noted;
        QTest::newRow("cancelled note") << true << 3 << "Pump" << false << noted;
        // clang-format on
    }
    void entries()
    {
        QFETCH(bool, selected);
        QFETCH(int, entry);
        QFETCH(QString, reply);
        QFETCH(bool, accepted);
        QFETCH(QStringList, log);
        view->fileAnswer = answer(reply);
        view->noteAnswer = reply;
        view->noteAccepted = accepted;
        if (selected)
            view->setSelection(Selection(view->data(), 1, 1, 3, 3));
        view->rightClick(entry);
        QCOMPARE(view->log, log.replaceInStrings("%1", view->fileAnswer));
        QCOMPARE(view->menuPos, view->mapToGlobal(view->rect().center()));
        QCOMPARE(QFile::exists(answer("ok")), selected && reply == "ok");
        QCOMPARE(view->annotations().size(), view->log.filter("annotations").size());
    }

    // New data takes the selection away while the dialog is open: nothing is written or
    // noted for the cells that were selected.
    void newDataDuringADialog_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("export") << 2 << QStringList{saveDialog, refused, "exported"};
        QTest::newRow("note") << 3 << QStringList{noteDialog, refused};
    }
    void newDataDuringADialog()
    {
        QFETCH(int, entry);
        QFETCH(QStringList, log);
        view->setSelection(Selection(view->data(), 1, 1, 3, 3));
        view->newDataInDialog = true;
        view->fileAnswer = answer("ok");
        view->noteAnswer = "note";
        view->rightClick(entry);
        QCOMPARE(view->log, log);
        QVERIFY(!QFile::exists(view->fileAnswer));
        QVERIFY(view->annotations().isEmpty());
    }

    void exportWritesTheSelectedCells_data()
    {
        QTest::addColumn<Selections>("correlation");
        QTest::addColumn<QStringList>("table");

        // The current zone b..c x 0..1 holds the missing cell.
        QTest::newRow("current selection")
            << Selections() << QStringList{"b c", "00 10.25 20.25", "01 11.25 nan"};
        // Outside the zone: d..a wrapping x 1..2 and c x 4; rows and columns in index order,
        // cells no block covers missing.
        const Data data = sample();
        QTest::newRow("correlation shown")
            << Selections{Selection(data, 3, 0, 1, 2), Selection(data, 2, 2, 4, 4)}
            << QStringList{"a c d", "01 1.25 nan 31.25", "02 2.25 nan 32.25", "04 nan 24.25 nan"};
    }
    void exportWritesTheSelectedCells()
    {
        QFETCH(Selections, correlation);
        QFETCH(QStringList, table);
        view->setSelection(Selection(view->data(), 1, 2, 0, 1));
        view->setCorrelation(correlation);
        view->fileAnswer = answer("ok");
        view->rightClick(ViewContextMenu::ExportSelection);
        QCOMPARE(view->log, QStringList({saveDialog, "exported"}));
        QCOMPARE(::table(readBack(view->fileAnswer)), table);
    }

    // Dismissing the real menu does nothing; choosing through it acts.
    void realMenu_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("dismissed") << int(Qt::Key_Escape) << QStringList();
        QTest::newRow("2D view") << int(Qt::Key_Return) << QStringList{refused};
    }
    void realMenu()
    {
        QFETCH(int, key);
        QFETCH(QStringList, log);
        view = std::make_unique<View>(true);
        QVERIFY(showExposed(*view, QSize(400, 400)));
        const Popup popup = answerPopup(
            [&] {
                QTest::mouseClick(view.get(), Qt::RightButton, Qt::NoModifier, QPoint(100, 100));
            },
            QString(), Qt::Key(key));
        QCOMPARE(popup.entries.join('|'),
                 "2D view|Detect Correlation|Export selection|Add annotation");
        QCOMPARE(popup.pos, view->mapToGlobal(QPoint(100, 100)));
        QCOMPARE(view->log, log);
    }

    void newDataClearsNotesSilently()
    {
        view->setSelection(Selection(view->data(), 0, 0, 0, 4));
        for (const char *note : {"first", "second"}) {
            view->noteAnswer = note;
            view->rightClick(ViewContextMenu::AddAnnotation);
        }
        QCOMPARE(view->annotations().size(), 2);
        QVERIFY(view->annotations().last().hasSelection);
        QCOMPARE(view->log.last(), "annotations 2 second attribute 0..0 0..4");
        view->log.clear();
        view->setData(sample());
        QVERIFY(view->annotations().isEmpty());
        QVERIFY(view->log.isEmpty());
    }

    // The right button turns the camera while held; its release stops that before the
    // menu's own event loop runs.
    void noRepaintBehindTheMenu()
    {
        QSignalSpy frames(view.get(), &QOpenGLWidget::frameSwapped);
        auto *timer = view->findChild<QTimer *>("animationTimer");
        int framesWhileOpen = -1, flagsWhileOpen = -1;
        bool timerWhileOpen = true;
        view->findChild<ViewContextMenu *>()->setEntryChooser(
            [&](const QStringList &, const QPoint &) {
                // A frame the last tick had already asked for may still land.
                QTest::qWait(50);
                const int before = frames.count();
                QTest::qWait(300);
                framesWhileOpen = frames.count() - before;
                flagsWhileOpen = view->camera().movementFlags();
                timerWhileOpen = timer->isActive();
                return int(ViewContextMenu::NoEntry);
            });
        const QPoint middle = view->rect().center();
        QTest::mousePress(view.get(), Qt::RightButton, Qt::NoModifier, middle);
        QTRY_VERIFY(frames.count() > 2); // turning repaints
        QTest::mouseRelease(view.get(), Qt::RightButton, Qt::NoModifier, middle);
        QCOMPARE(framesWhileOpen, 0);
        QCOMPARE(flagsWhileOpen, 0);
        QVERIFY(!timerWhileOpen);
    }

    void windowExports_data()
    {
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("outcome"); // the status message or the warning

        // clang-format off
        for (const char *action :
             {"actionExportNormalizedDatas", "actionExportNonNormalizedDatas"}) {
            QTest::addRow("%s", action) << true << action << "ok" << "File saved";
            QTest::addRow("%s cancelled", action) << true << action << "" << "";
            QTest::addRow("%s failed", action) << true << action << "bad" << "Unable to write file %1.";
        }
        QTest::newRow("nothing loaded") << false << "actionExportNonNormalizedDatas" << "ok" << "File saved";
        // clang-format on
    }
    void windowExports()
    {
        QFETCH(bool, loaded);
        QFETCH(QString, action);
        QFETCH(QString, file);
        QFETCH(QString, outcome);
        TestWindow w;
        QVERIFY(showExposed(w));
        if (loaded)
            QVERIFY(w.load(dataFile("mainwindow_international.csv")));
        w.messages.clear();
        w.saveAnswer = answer(file);
        w.child<QAction>(qPrintable(action))->trigger();
        QCOMPARE(w.saves, QList<Answer>{saveAnswer});
        outcome.replace("%1", w.saveAnswer);
        QCOMPARE(w.messages, file == "ok" ? QStringList{outcome} : QStringList());
        const QList<Answer> warned{{"Unable to save file", outcome}};
        QCOMPARE(w.warnings, file == "bad" ? warned : QList<Answer>());
        QCOMPARE(QFile::exists(answer("ok")), file == "ok");
        if (file != "ok")
            return;
        if (!loaded) {
            QCOMPARE(fileContent(w.saveAnswer), "Time\n2\n3\n4\n5\n6\n7\n8\n9\n10\n");
            return;
        }
        const Data expected = action.contains("Non") ? w.nonNormalizedData() : w.view()->data();
        QCOMPARE(difference(readBack(w.saveAnswer), expected), QString());
        // Each kind writes its own values.
        QVERIFY(!difference(w.nonNormalizedData(), w.view()->data()).isEmpty());
    }

    // The view's export reaches the window's status bar, also when cancelled.
    void windowReportsSelectionExport()
    {
        TestWindow w;
        QVERIFY(showExposed(w));
        QVERIFY(w.load(dataFile("mainwindow_international.csv")));
        VireoGLWidget *v = w.view();
        QString caption;
        auto *menu = v->findChild<ViewContextMenu *>();
        menu->setEntryChooser([](const QStringList &, const QPoint &) { return 2; });
        menu->setFileNameAsker([&](const QString &c, const QString &) {
            caption = c;
            return QString();
        });
        v->setSelection(Selection(v->data(), 0, 0, 0, 0));
        w.messages.clear();
        QTest::mouseClick(v, Qt::RightButton, Qt::NoModifier, v->rect().center());
        QCOMPARE(caption, "Save file");
        QCOMPARE(w.messages, QStringList{"Export selection finished"});
        QVERIFY(QThreadPool::globalInstance()->waitForDone(10000));
    }
};

QTEST_MAIN(TestContextMenu)
#include "tst_contextmenu.moc"
