#include "io/filereader.h"
#include "operations/correlation.h"
#include "view/vireoglwidget.h"
#include "widgets/vireocolorwidget.h"
#include "widgets/vireogradientcolorwidget.h"
#include "windowchain.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

namespace {

// A widget in one line: a list's items, a tab widget's pages or a menu's
// entries ("objectName text", "" a separator) joined by '|', '*' marking the
// current one; "minimum..maximum=value"; a text, '*' marking a checked button.
QString describe(QObject *object)
{
    const auto p = [object](const char *name) { return object->property(name); };
    QStringList items;
    if (auto *box = qobject_cast<QComboBox *>(object)) {
        for (int i = 0; i < box->count(); ++i)
            items << (i == box->currentIndex() ? "*" : "") + box->itemText(i);
    } else if (auto *tabs = qobject_cast<QTabWidget *>(object)) {
        for (int i = 0; i < tabs->count(); ++i)
            items << (i == tabs->currentIndex() ? "*" : "") + tabs->widget(i)->objectName() + ' ' +
                         tabs->tabText(i);
    } else if (qobject_cast<QMenu *>(object) || qobject_cast<QMenuBar *>(object)) {
        for (QAction *a : static_cast<QWidget *>(object)->actions())
            items << ((a->menu() ? a->menu()->objectName() : a->objectName()) + ' ' + a->text())
                         .trimmed();
    } else if (p("minimum").isValid()) {
        return p("minimum").toString() + ".." + p("maximum").toString() + '=' +
               p("value").toString();
    } else {
        return (p("checked").toBool() ? "*" : "") + p("text").toString();
    }
    return items.join('|');
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestWindow> w;

private slots:
    void init()
    {
        w = std::make_unique<TestWindow>();
        QVERIFY(showExposed(*w));
    }
    void cleanup()
    {
        w.reset();
        QVERIFY(QThreadPool::globalInstance()->waitForDone(10000));
    }

    void widgetTree()
    {
        QVERIFY(!w->windowIcon().availableSizes().isEmpty());
        QCOMPARE(w->locale(), QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(w->fields(), QStringList({"", "", "", ""}));
        for (QLineEdit *edit : w->findChildren<QLineEdit *>(QRegularExpression("^txt")))
            QVERIFY(edit->isReadOnly());

        // What a user picks from, and the starting values; the chain's tests start from
        // local normalization and GMT times.
        // clang-format off
        const QList<QPair<const char *, const char *>> tree = {
            {"correlationThresholdLabel", "0.10"}, {"selectedValueLabel", "No selection"},
            {"spinYear", "0..68=0"}, {"spinMonth", "0..99=0"}, {"spinDay", "0..999=1"},
            {"spinHour", "0..99=0"}, {"spinMinute", "0..99=0"}, {"spinSecond", "0..99=0"},
            {"spinEpoch", "1..2147483647=86400"}, {"spinNbEpoch", "1..2147483647=1"},
            {"correlationThreshold", "0..100=10"},
            {"comboBoxModeAgregation", "*None|Sum|Average|Max|Min"},
            {"comboBoxModeReorganization", "*None|BEA|By first non-missing value"},
            {"displayModeComboBox", "*Color|Width|Color & Width"},
            {"correlationMode", "*All data|Same attributes|Same time steps"},
            {"tabWidget", "*tab Operations|tab_2 Display|tab_3 Selections|tab_4 Annotations"},
            {"menubar", "menuFile File|menuProfile Profile|menuOptions Options|menu ?"},
            {"menuFile", "menuOpen Open|menuExport_to_CSV_format Export to CSV format|"
                         "menuExport Export||actionQuit Quit"},
            {"menuExport", "actionExportPicture Picture..."},
            {"menuOpen", "actionOpenSyncFile Synchronous File|"
                         "actionOpenAsyncFile Asynchronous File"},
            {"menuExport_to_CSV_format", "actionExportNormalizedDatas Normalized data|"
                                         "actionExportNonNormalizedDatas Non normalized data"},
            {"menuProfile", "menuSave Save|menuOpen_2 Open"}, {"menu", "actionAbout About"},
            {"menuSave", "actionSaveCompleteProfile Complete profile|"
                         "actionSaveOperationsProfile Operations profile|"
                         "actionSaveDisplayProfile Display profile|"
                         "actionSaveKeysProfile Keys profile"},
            {"menuOpen_2", "actionOpenCompleteProfile Complete profile|"
                           "actionOpenOperationsProfile Operations profile|"
                           "actionOpenDisplayProfile Display profile|"
                           "actionOpenKeysProfile Keys profile"},
            {"menuOptions", "actionKeys_configuration Keys configuration"}};
        // clang-format on
        for (const auto &entry : tree) {
            QObject *object = w->findChild<QObject *>(entry.first);
            QVERIFY2(object, entry.first);
            QCOMPARE(describe(object), QString::fromUtf8(entry.second));
        }
        // Ctrl+Q is the one shortcut, and it closes the window.
        for (QAction *action : w->findChildren<QAction *>())
            QCOMPARE(action->shortcut(), action->objectName() == "actionQuit"
                                             ? QKeySequence(Qt::CTRL + Qt::Key_Q)
                                             : QKeySequence());

        w->child<QAction>("actionAbout")->trigger();
        QCOMPARE(w->infos.size(), 1);
        QCOMPARE(w->infos[0].first, "About");
        QVERIFY(w->infos[0].second.contains("<b>Vireo</b>"));
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QTest::keyClick(w.get(), Qt::Key_Q, Qt::ControlModifier);
        QTRY_VERIFY(!w->isVisible());
    }

    void coloursReachView()
    {
        // Attributes 0, missing, 0, 1 at every one of 50 time steps, scaled
        // over the whole data set.
        w->child<QAbstractButton>("radioNormalizationGlobal")->click();
        QVERIFY(w->load(dataFile("mainwindow_colours.csv")));
        auto *view = w->view();
        auto pixels = [view] {
            const QImage image = view->grabFramebuffer();
            QList<QColor> colours;
            for (int a = 0; a < 4; ++a)
                colours << image.pixelColor(cellPixel(*view, a, 20));
            // The axis looks past the tube's far end onto the background.
            return colours << image.pixelColor(view->width() / 2, view->height() / 2);
        };
        // The start values, pushed by the colour widgets' own change signals.
        QCOMPARE(pixels(), QList<QColor>({QColor(0, 0, 255), QColor(255, 0, 255), QColor(0, 0, 255),
                                          QColor(170, 255, 255), QColor(0, 0, 0)}));

        QLinearGradient gradient;
        gradient.setColorAt(0, QColor(200, 0, 0));
        gradient.setColorAt(1, QColor(0, 100, 0));
        w->child<VireoGradientColorWidget>("gradientColorsForValuesWidget")->setGradient(gradient);
        w->child<VireoColorWidget>("missingValuesColorWidget")->setColor(QColor(10, 20, 30));
        w->child<VireoColorWidget>("backgroundColorWidget")->setColor(QColor(40, 50, 60));
        QCOMPARE(pixels(), QList<QColor>({QColor(200, 0, 0), QColor(10, 20, 30), QColor(200, 0, 0),
                                          QColor(0, 100, 0), QColor(40, 50, 60)}));

        // The view numbers its modes from 1; the width mode paints every
        // present value in the width colour.
        for (int index : {2, 0, 1}) {
            w->child<QComboBox>("displayModeComboBox")->setCurrentIndex(index);
            QCOMPARE(view->displayMode(), index + 1);
        }
        const QPoint one = cellPixel(*view, 3, 20);
        QCOMPARE(view->grabFramebuffer().pixelColor(one), QColor(255, 255, 0));
        w->child<VireoColorWidget>("widthColorWidget")->setColor(QColor(0, 0, 250));
        QCOMPARE(view->grabFramebuffer().pixelColor(one), QColor(0, 0, 250));
    }

    void fieldsAndFailedLoads()
    {
        // Before a file is loaded the fields stay empty.
        auto *epoch = w->child<QAbstractButton>("radioBtnEpoch");
        QTest::mouseClick(epoch, Qt::LeftButton);
        QVERIFY(w->fields()[2].isEmpty());

        // 2014-01-01 00:00 UTC, and 4.5 h later.
        const QString good = dataFile("mainwindow_international.csv");
        QVERIFY(w->load(good));
        QCOMPARE(w->fields(), QStringList({good, "3", "1388534400", "1388550600"}));
        QTest::mouseClick(w->child<QAbstractButton>("radioBtnGMT"), Qt::LeftButton);
        const QStringList gmt = {good, "3", "2014-01-01 00:00:00", "2014-01-01 04:30:00"};
        QCOMPARE(w->fields(), gmt);

        for (const char *failing : {"mainwindow_missing.csv",   // no such file
                                    "mainwindow_bad_row.csv",   // a row one value short
                                    "mainwindow_french.csv"}) { // ';' read as International
            const QString message = ran(new FileReader(dataFile(failing), 0, 1))->errorMessage();
            QVERIFY(!message.isEmpty());
            w->warnings.clear();
            QVERIFY(w->load(dataFile(failing)));
            QCOMPARE(w->warnings, QList<Answer>({{"Unable to load file", message}}));
            QCOMPARE(w->statusBar()->currentMessage(), "Unable to load file: " + message);
            QCOMPARE(w->currentStage(), 0);
            QCOMPARE(w->fields(), gmt);
            QCOMPARE(w->view()->data().timeCount(), 4);
        }
        // The chain waits for a successful load: switching the time display is ignored.
        QTest::mouseClick(epoch, Qt::LeftButton);
        QCOMPARE(w->fields(), gmt);

        // A single time stamp (2014-06-01 12:00 UTC) is shown; without two there is no step:
        // the step editors keep 5 steps of 3600 s and the view its data.
        const QString one = dataFile("mainwindow_one_time.csv");
        QVERIFY(w->load(one));
        QCOMPARE(w->fields(), QStringList({one, "2", "1401624000", "1401624000"}));
        QCOMPARE(w->statusBar()->currentMessage(),
                 "The file has too few time stamps to be processed.");
        QCOMPARE(w->currentStage(), 0);
        const QString none = dataFile("mainwindow_no_time.csv");
        QVERIFY(w->load(none));
        QCOMPARE(w->fields(), QStringList({none, "2", "", ""}));
        QCOMPARE(w->steps(), QVector<int>({0, 0, 0, 1, 0, 0, 3600, 5}));
        QCOMPARE(w->view()->data().timeCount(), 4);
        QCOMPARE(w->warnings.size(), 1);
    }

    void supersededAndClosingStopReaders()
    {
        QSignalSpy names(w->child<QLineEdit>("txtNom"), &QLineEdit::textChanged);
        const QString older = dataFile("mainwindow_one_time.csv");
        const QString newer = dataFile("mainwindow_international.csv");

        // The first reader has finished, its result waits in the queue, when
        // the second load starts: that result must never show.
        w->loadFile(older, 0, 1);
        QPointer<Task> first = w->runningTask();
        QVERIFY(QThreadPool::globalInstance()->waitForDone(10000));
        QVERIFY(w->load(newer));
        QTRY_VERIFY(first.isNull());
        QCOMPARE(names.size(), 1);
        QCOMPARE(w->fields()[0], newer);

        // 200000 rows take long enough to read that a stop request finds the
        // reader running when the next load starts (closing: see the window stress test).
        QTemporaryDir dir;
        const QString large = dir.filePath("large.csv");
        QVERIFY(writeFile(large, synchronousCsv(generatedTable(
                                     4, 200000, QDateTime(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC),
                                     1, [](int, int a) { return a; }, "A"))));
        w->loadFile(large, 0, 1);
        first = w->runningTask();
        w->loadFile(older, 0, 1);
        QCOMPARE(first->status(), int(Task::StopRequested));
        QVERIFY(w->waitIdle());
        QTRY_VERIFY(first.isNull());
        // A result still queued when its window goes away: the task goes too.
        auto window = std::make_unique<TestWindow>();
        window->loadFile(newer, 0, 1);
        QPointer<Task> orphan = window->runningTask();
        QVERIFY(QThreadPool::globalInstance()->waitForDone(10000));
        window.reset();
        QTRY_VERIFY(orphan.isNull());
        QVERIFY(QThreadPool::globalInstance()->waitForDone(10000));
        QTest::qWait(50);
        QCOMPARE(w->fields()[0], older);
        QCOMPARE(names.size(), 2);
        QVERIFY(w->warnings.isEmpty());
    }

    // The chain's result reaches the view, normalized and reorganized.
    void chainDisplaysReorganizedData()
    {
        // Before a file is loaded a parameter only edits its widget.
        auto *reorganization = w->child<QComboBox>("comboBoxModeReorganization");
        reorganization->setCurrentIndex(1);
        w->child<QComboBox>("comboBoxModeAgregation")->setCurrentIndex(2);
        w->child<QComboBox>("comboBoxModeAgregation")->setCurrentIndex(0);
        w->child<QAbstractButton>("radioNormalizationGlobal")->click();
        w->child<QAbstractButton>("radioNormalizationLocal")->click();
        QVERIFY(!w->runningTask());
        QVERIFY(w->messages.isEmpty());

        const QString file = example("plant_sensors_intl.csv");
        QVERIFY(w->load(file));
        QVERIFY(w->warnings.isEmpty());
        // 3000 rows every 5 minutes: the last is 2999 * 5 min = 10 d 9 h 55 min later.
        QCOMPARE(w->fields(),
                 QStringList({file, "31", "2014-03-24 00:00:00", "2014-04-03 09:55:00"}));
        QCOMPARE(w->child<QProgressBar>("readingProgressBar")->value(), 100);
        // The first step, 5 minutes, in every step editor.
        QCOMPARE(w->steps(), QVector<int>({0, 0, 0, 0, 5, 0, 300, 3000}));
        QCOMPARE(w->messages,
                 QStringList({"Loading data...", "Data loaded", "Data agregated",
                              "Normalizing data...", "Data normalized", "Reorganizing data...",
                              "Data reorganized & displayed"}));
        QCOMPARE(w->currentStage(), 4);

        const Data original = readBack(file, 0, 1);
        const Data shown = w->view()->data();
        QCOMPARE(
            difference(shown, chain(original, -1, 0, Normalization::Local, Reorganization::Bea)),
            QString());
        QVERIFY(shown.attributes != original.attributes);
        // The raw values in the order shown: each column is its original one.
        const Data raw = w->nonNormalizedData();
        QCOMPARE(raw.attributes, shown.attributes);
        for (int a = 0; a < raw.attributeCount(); ++a) {
            const int from = original.attributes.indexOf(raw.attributes[a]);
            for (int t = 0; t < raw.timeCount(); t += 97)
                QCOMPARE(raw.value(t, a), original.value(t, from));
        }
    }

    // Each parameter restarts the chain from its own stage.
    void parameterChangesRestartTheirStage()
    {
        QVERIFY(w->load(dataFile("mainwindow_international.csv")));
        const Data original = w->nonNormalizedData();
        auto *agregation = w->child<QComboBox>("comboBoxModeAgregation");
        auto *reorganization = w->child<QComboBox>("comboBoxModeReorganization");
        auto *epoch = w->child<QSpinBox>("spinEpoch");
        const auto click = [this](const char *name) { w->child<QAbstractButton>(name)->click(); };
        const QStringList normalization = {"Normalizing data...", "Data normalized"};
        const QStringList reorganize = {"Reorganizing data...", "Data reorganized & displayed"};
        const QStringList display = {"Data reorganized & displayed"};
        const QStringList agregate = {"Agregating data...", "Data agregated"};
        // clang-format off
        struct Step { const char *name; std::function<void()> change; QStringList messages; QVector<int> bars; };
        const Step steps[] = {
            {"sum", [&] { agregation->setCurrentIndex(1); }, agregate + normalization + display, {100, 100, 100}},
            {"global", [&] { click("radioNormalizationGlobal"); }, normalization + display, {0, 100, 100}},
            {"bea", [&] { reorganization->setCurrentIndex(1); }, reorganize, {0, 0, 100}},
            {"step", [&] { epoch->setValue(5400); }, agregate + normalization + reorganize, {100, 100, 100}},
            {"local", [&] { click("radioNormalizationLocal"); }, normalization + reorganize, {0, 100, 100}},
            // The status bar already says so: only the bar tells the stage ran.
            {"no reorganization", [&] { reorganization->setCurrentIndex(0); }, {}, {0, 0, 100}},
            {"no aggregation", [&] { agregation->setCurrentIndex(0); }, QStringList("Data agregated") + normalization + display, {100, 100, 100}},
            {"step unused", [&] { epoch->setValue(7200); }, {}, {0, 0, 0}}};
        // clang-format on
        const QList<QProgressBar *> bars = {w->child<QProgressBar>("agregProgressBar"),
                                            w->child<QProgressBar>("normProgressBar"),
                                            w->child<QProgressBar>("reorgProgressBar")};
        for (const Step &step : steps) {
            for (QProgressBar *bar : bars)
                bar->setValue(0);
            w->messages.clear();
            step.change();
            QVERIFY(w->waitIdle());
            QVERIFY2(w->messages == step.messages, step.name);
            QVector<int> values;
            for (QProgressBar *bar : bars)
                values << bar->value();
            QCOMPARE(values, step.bars);
            const Data shown = w->view()->data();
            QCOMPARE(difference(shown, chainOf(*w, original)), QString());
            // The step count shown is the one the aggregation made.
            if (agregation->currentIndex() > 0)
                QCOMPARE(shown.timeCount(), w->steps().last());
        }
        QVERIFY(w->warnings.isEmpty());
    }

    // One edit rewrites the other editors silently and restarts the
    // aggregation once; a year is 365 days.
    void stepEditors()
    {
        QVERIFY(w->load(dataFile("mainwindow_international.csv")));
        w->child<QComboBox>("comboBoxModeAgregation")->setCurrentIndex(3);
        QVERIFY(w->waitIdle());
        // clang-format off
        struct Edit { const char *editor; int value; QVector<int> steps; };
        const Edit edits[] = { // the span is 4.5 h = 16200 s
            {"spinYear", 1, {1, 0, 0, 1, 0, 0, 31536000 + 3600, 1}},
            {"spinHour", 0, {1, 0, 0, 0, 0, 0, 31536000, 1}},
            {"spinEpoch", 90000, {0, 0, 1, 1, 0, 0, 90000, 1}},
            {"spinEpoch", 3600, {0, 0, 0, 1, 0, 0, 3600, 5}},
            {"spinMinute", 30, {0, 0, 0, 1, 30, 0, 5400, 4}},
            // 16200 / 3 + 1 = 5401 s is the smallest step making 3 steps.
            {"spinNbEpoch", 3, {0, 0, 0, 1, 30, 1, 5401, 3}},
            {"spinNbEpoch", 1, {0, 0, 0, 4, 30, 1, 16201, 1}},
            {"spinMonth", 99, {0, 99, 0, 4, 30, 1, 99 * 2592000 + 16201, 1}},
            // Beyond the largest step: clamped to it, not wrapped.
            {"spinYear", 68, {68, 1, 5, 3, 14, 7, 2147483647, 1}},
            {"spinDay", 999, {68, 1, 5, 3, 14, 7, 2147483647, 1}}};
        // clang-format on
        for (const Edit &edit : edits) {
            QList<std::shared_ptr<QSignalSpy>> others;
            for (QSpinBox *box : w->findChildren<QSpinBox *>())
                if (box->objectName() != edit.editor)
                    others << std::make_shared<QSignalSpy>(box,
                                                           qOverload<int>(&QSpinBox::valueChanged));
            w->messages.clear();
            w->child<QSpinBox>(edit.editor)->setValue(edit.value);
            QCOMPARE(w->steps(), edit.steps);
            for (const auto &spy : others)
                QCOMPARE(spy->size(), 0);
            QVERIFY(w->waitIdle());
            QCOMPARE(w->messages.value(0), "Agregating data...");
            QCOMPARE(w->view()->data().timeCount(), edit.steps.last());
        }
        // All fields at 0 is no step: nothing changes until one is set.
        for (const char *field : {"spinYear", "spinMonth", "spinDay", "spinHour", "spinMinute"})
            w->child<QSpinBox>(field)->setValue(0);
        QVERIFY(w->waitIdle());
        w->messages.clear();
        w->child<QSpinBox>("spinSecond")->setValue(0);
        QCOMPARE(w->steps(), QVector<int>({0, 0, 0, 0, 0, 0, 7, 16200 / 7 + 1}));
        QVERIFY(!w->runningTask());
        QVERIFY(w->messages.isEmpty());
    }

    // A failed stage is reported, and the view keeps what it showed.
    void failingStageKeepsTheView()
    {
        QVERIFY(w->load(dataFile("mainwindow_failing_stages.csv")));
        auto *view = w->view();
        w->child<QComboBox>("comboBoxModeAgregation")->setCurrentIndex(1);
        QVERIFY(w->waitIdle());
        const Data original = readBack(dataFile("mainwindow_failing_stages.csv"), 0, 1);
        // clang-format off
        struct Failure { std::function<void()> change; QString title; Task *task; int stage; };
        const Failure failures[] = {
            // Ten years in one-second steps do not fit in memory.
            {[&] { w->child<QSpinBox>("spinEpoch")->setValue(1); }, "Unable to agregate data",
             new Agregation(original, Agregation::Sum, 1), 1},
            {[&] { w->child<QComboBox>("comboBoxModeReorganization")->setCurrentIndex(1); },
             "Unable to reorganize data", new Reorganization(original, Reorganization::Bea), 3}};
        // clang-format on
        for (const Failure &failure : failures) {
            const QString message = ran(failure.task)->errorMessage();
            QVERIFY(!message.isEmpty());

            const Data before = view->data();
            w->warnings.clear();
            failure.change();
            QVERIFY(w->waitIdle());
            QCOMPARE(w->warnings, QList<Answer>({{failure.title, message}}));
            QCOMPARE(w->statusBar()->currentMessage(), failure.title + ": " + message);
            QCOMPARE(w->currentStage(), failure.stage);
            QCOMPARE(difference(view->data(), before), QString());
            QCOMPARE(w->nonNormalizedData().timeCount(), 0);
            if (failure.stage == 1) {
                // Later stages wait for this one.
                w->child<QAbstractButton>("radioNormalizationGlobal")->click();
                QVERIFY(!w->runningTask());
            }
            // Another parameter of the same stage starts it again.
            w->child<QSpinBox>("spinEpoch")->setValue(86400 * 365);
            w->child<QComboBox>("comboBoxModeReorganization")->setCurrentIndex(0);
            QVERIFY(w->waitIdle());
            QCOMPARE(w->currentStage(), 4);
            QCOMPARE(view->data().timeCount(), 11);
        }
    }

    // Quick changes end with the last one's result; no task is left behind
    // and a result overtaken by a change is never used.
    void rapidChangesEndWithTheLast()
    {
        const QString file = example("plant_sensors_intl.csv");
        QVERIFY(w->load(file));
        QList<QPointer<Task>> tasks;
        const auto change = [&](const char *name, int value) {
            w->findChild<QObject *>(name)->setProperty(
                qobject_cast<QComboBox *>(w->findChild<QObject *>(name)) ? "currentIndex" : "value",
                value);
            tasks << w->runningTask();
        };
        w->messages.clear();
        change("comboBoxModeReorganization", 1);
        // The reorganization has finished, its result still queued.
        QVERIFY(QThreadPool::globalInstance()->waitForDone(20000));
        change("comboBoxModeAgregation", 1);
        change("spinEpoch", 600);
        QVERIFY(QThreadPool::globalInstance()->waitForDone(20000));
        change("comboBoxModeAgregation", 3);
        change("comboBoxModeReorganization", 2);
        w->child<QAbstractButton>("radioNormalizationGlobal")->click();
        change("spinEpoch", 900);
        QVERIFY(w->waitIdle());
        QCOMPARE(w->messages.count("Data agregated"), 1);
        QCOMPARE(w->messages.count("Data reorganized & displayed"), 1);
        const Data original = readBack(file, 0, 1);
        const Data expected = chain(original, Agregation::Max, 900, Normalization::Global,
                                    Reorganization::FirstValue);
        QCOMPARE(expected.timeCount(), 1000);
        QCOMPARE(difference(w->view()->data(), expected), QString());
        QCOMPARE(tasks.size(), 6);
        for (const QPointer<Task> &task : tasks)
            QTRY_VERIFY(task.isNull());
        QVERIFY(w->warnings.isEmpty());
    }

    // A search from the view's signal, replayed from its scores when the
    // threshold moves.
    void correlationReplays()
    {
        QVERIFY(w->load(example("plant_sensors_intl.csv")));
        auto *view = w->view();
        const Selection model(view->data(), 3, 4, 100, 109);
        view->setSelection(model);
        w->messages.clear();
        emit view->correlationRequested(view->selection());
        QVERIFY(w->waitIdle());
        QCOMPARE(w->messages, QStringList({"Correlating data...", "Data correlated"}));
        QCOMPARE(w->currentStage(), 5);
        QCOMPARE(w->child<QProgressBar>("correlationProgressBar")->value(), 100);
        const auto fresh = ran(new Correlation(Correlation::AllData, model, 0.10, {}));
        const QVector<float> scores = fresh->scores();
        QCOMPARE(scores.size(), 31 * (3000 - 10 + 1));
        QCOMPARE(bytes(w->storedCorrelationScores()), bytes(scores));
        const QStringList first = shapes(view->correlation());
        QCOMPARE(first, shapes(fresh->result()));
        QVERIFY(first.contains("zone 3..4 100..109"));

        auto *slider = w->child<QSlider>("correlationThreshold");
        slider->setValue(50);
        QCOMPARE(w->child<QLabel>("correlationThresholdLabel")->text(), "0.50");
        QVERIFY(w->waitIdle());
        const QStringList wider = shapes(view->correlation());
        QCOMPARE(wider,
                 shapes(ran(new Correlation(Correlation::AllData, model, 0.5, scores))->result()));
        QVERIFY(wider.size() > first.size());
        QCOMPARE(bytes(w->storedCorrelationScores()), bytes(scores));

        // A change during a search restarts it: the zone from scratch, the
        // threshold with it.
        emit view->correlationRequested(view->selection());
        w->child<QComboBox>("correlationMode")->setCurrentIndex(1);
        slider->setValue(20);
        QVERIFY(w->waitIdle());
        const auto sameAttributes =
            ran(new Correlation(Correlation::SameAttributes, model, 0.2, {}));
        QCOMPARE(shapes(view->correlation()), shapes(sameAttributes->result()));
        QCOMPARE(bytes(w->storedCorrelationScores()), bytes(sameAttributes->scores()));
        QCOMPARE(w->storedCorrelationScores().size(), 3000 - 10 + 1);

        // Another lookup zone forgets the scores; the threshold alone then
        // starts nothing.
        w->child<QComboBox>("correlationMode")->setCurrentIndex(2);
        QVERIFY(w->storedCorrelationScores().isEmpty());
        w->messages.clear();
        slider->setValue(25);
        QCOMPARE(w->child<QLabel>("correlationThresholdLabel")->text(), "0.25");
        QVERIFY(!w->runningTask());
        QVERIFY(w->messages.isEmpty());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
