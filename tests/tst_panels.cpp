// The view's own menu and the window's panels of selections, correlations and notes.
#include "mainwindow/selectionsitemmodel.h"
#include "testsupport.h"
#include "view/viewcontextmenu.h"
#include "view/vireoglwidget.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTreeView>
#include <QTreeWidget>

#include <cmath>
#include <memory>

namespace {

// The rows under parent as "text{children}|text...", dates left out of the times.
QString tree(const QAbstractItemModel &model, const QModelIndex &parent = QModelIndex())
{
    QStringList rows;
    for (int r = 0; r < model.rowCount(parent); ++r) {
        const QModelIndex index = model.index(r, 0, parent);
        const QString children = tree(model, index);
        rows << index.data().toString().remove("2014-01-01 ") +
                    (children.isEmpty() ? QString() : '{' + children + '}');
    }
    return rows.join('|');
}

// Four attributes (one name holding a placeholder) over three hours; values
// that need rounding, an exponent and a missing one.
Data smallData()
{
    Data data({"p", "q%2", "r", "s"}, 0);
    const double rows[3][4] = {
        {3.14159265, 1e-7, 2, 3}, {10, 11, 123456789, 13}, {20, 21, 22, std::nan("")}};
    for (int t = 0; t < 3; ++t) {
        double *row = data.addTimeStep(QDateTime(QDate(2014, 1, 1), QTime(t, 0), Qt::UTC));
        std::copy(rows[t], rows[t] + 4, row);
    }
    return data;
}

// 4 attributes c0..c3 x 5 hourly times, v(a, t) = 10a + t + 0.25, c2 missing at time 1.
Data sample()
{
    return generatedTable(
        4, 5, QDateTime(QDate(2014, 1, 2), QTime(0, 0), Qt::UTC), 3600,
        [](int t, int a) { return a == 2 && t == 1 ? qQNaN() : 10 * a + t + 0.25; }, "c");
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

class TestPanels : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestWindow> w;
    VireoGLWidget *view = nullptr;
    // The view menu's tests work a view of their own, without a window.
    QTemporaryDir dir;
    std::unique_ptr<View> bare;

    // "ok" a new file in the temporary folder, "bad" one whose folder does not exist (a
    // failure also for root), anything else as given.
    QString answer(const QString &file) const
    {
        if (file == "ok")
            return dir.filePath("out.csv");
        return file == "bad" ? dir.filePath("missing/out.csv") : file;
    }

    // The test file: Pressure, Flow, Temperature at 00:00, 01:00, 03:00 and 04:30.
    void loadWindow()
    {
        w = std::make_unique<TestWindow>();
        QVERIFY(showExposed(*w));
        view = w->view();
        QVERIFY(w->load(dataFile("mainwindow_international.csv")));
        QCOMPARE(view->data().timeCount(), 4);
    }
    QString label() { return w->child<QLabel>("selectedValueLabel")->text(); }
    QStringList hidden()
    {
        QStringList names;
        for (const char *name : {"selectionTreeView", "grp5Correlation", "correlationTreeView",
                                 "annotationTreeWidget"})
            if (w->child<QWidget>(name)->isHidden())
                names << name;
        return names;
    }
    static void click(QAbstractItemView *tree, const QModelIndex &index)
    {
        tree->scrollTo(index);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                          tree->visualRect(index).center());
    }
    static void activate(QAbstractItemView *tree, const QModelIndex &index)
    {
        tree->setFocus();
        tree->setCurrentIndex(index);
        QTest::keyClick(tree, Qt::Key_Return);
    }
    // The cell the camera looks at once its flight has ended.
    QPoint lookedAtCell()
    {
        if (!QTest::qWaitFor([this] { return !view->camera().isAnimating(); }, 5000))
            return QPoint(-1, -1);
        const TubeLayout::Cell cell = view->layout().cellAt(view->camera().center());
        return QPoint(cell.attribute, cell.time);
    }
    int greenPixels() { return pixelsNear(view->grabFramebuffer(), Qt::green); }

private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        QFile::remove(answer("ok"));
        bare = std::make_unique<View>();
        QVERIFY(showExposed(*bare, QSize(400, 400)));
        bare->setData(sample());
    }
    void cleanup()
    {
        bare.reset();
        w.reset();
        QVERIFY(QThreadPool::globalInstance()->waitForDone(10000));
    }

    void selectionTrees_data()
    {
        QTest::addColumn<Selection>("selection");
        QTest::addColumn<QString>("rows");
        const Data d = smallData();
        QTest::newRow("one cell") << Selection(d, 1, 1, 0, 0) << "q%2, 00:00:00 : 1e-07";
        QTest::newRow("attribute")
            << Selection(d, 2, 2, 2, 0)
            << "r{00:00:00 : 2|01:00:00 : 1.23457e+08|02:00:00 : 22}|3 times steps{"
               "00:00:00{r : 2}|01:00:00{r : 1.23457e+08}|02:00:00{r : 22}}";
        QTest::newRow("time") << Selection(d, 0, 3, 1, 1)
                              << "4 attributes{p{01:00:00 : 10}|q%2{01:00:00 : 11}|r{01:00:00 : "
                                 "1.23457e+08}|s{01:00:00 : 13}}|01:00:00{p : 10|q%2 : 11|r : "
                                 "1.23457e+08|s : 13}";
        // Attributes 3, 0 across the wrap; a missing value.
        QTest::newRow("wrapping zone")
            << Selection(d, 3, 0, 2, 0)
            << "2 attributes{s{00:00:00 : 3|01:00:00 : 13|02:00:00 : nan}|p{00:00:00 : "
               "3.14159|01:00:00 : 10|02:00:00 : 20}}|3 times steps{00:00:00{s : 3|p : "
               "3.14159}|01:00:00{s : 13|p : 10}|02:00:00{s : nan|p : 20}}";
        // Made from a table it does not fit: "Error" instead of reading past it.
        QTest::newRow("past the data")
            << Selection(Data(9, 9), 6, 6, 5, 8)
            << "Error{Error : Error|Error : Error|Error : Error|Error : Error}|4 times steps{"
               "Error{Error : Error}|Error{Error : Error}|Error{Error : Error}|Error{Error : "
               "Error}}";
    }
    void selectionTrees()
    {
        QFETCH(Selection, selection);
        QFETCH(QString, rows);
        SelectionsItemModel model("Selection", selection, smallData(), nullptr);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(tree(model), rows);
        QCOMPARE(model.flags(model.index(0, 0)), Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        // Only areas carry a selection.
        QVERIFY(!model.index(0, 0).data(SelectionsItemModel::SelectionRole).isValid());

        // Times follow the display chosen; the tree keeps its shape.
        model.setTimeDisplay(LazyModel::Epoch);
        for (int h = 0; h < 3; ++h) {
            const QDateTime time(QDate(2014, 1, 1), QTime(h, 0), Qt::UTC);
            rows.replace(time.toString("hh:mm:ss"), QString::number(time.toSecsSinceEpoch()));
        }
        QCOMPARE(tree(model), rows);
    }

    void selectionPanel()
    {
        loadWindow();
        QCOMPARE(label(), QString("No selection"));
        const Data data = view->data();
        QCOMPARE(hidden().size(), 4);
        auto *panel = w->child<QTreeView>("selectionTreeView");
        view->setSelection(Selection(data, 1, 1, 2, 2));
        // Values as read, not normalized.
        QCOMPARE(label(), QString("Flow, 2014-01-01 03:00:00 : 4"));
        QCOMPARE(hidden().size(), 4);

        view->setSelection(Selection(data, 2, 0, 3, 1));
        QCOMPARE(label(), QString("Type of selection : zone"));
        QCOMPARE(hidden(), QStringList({"correlationTreeView", "annotationTreeWidget"}));
        QVERIFY(tree(*panel->model())
                    .startsWith(
                        "2 attributes{Temperature{01:00:00 : 0|03:00:00 : 8|04:30:00 : 1000}|"));

        // The tree goes, the correlation controls stay.
        view->setSelection(Selection(data, 0, 0, 0, 0));
        QCOMPARE(label(), QString("Pressure, 2014-01-01 00:00:00 : 1.5"));
        QCOMPARE(hidden(),
                 QStringList({"selectionTreeView", "correlationTreeView", "annotationTreeWidget"}));

        w->child<QRadioButton>("radioBtnEpoch")->click();
        QCOMPARE(label(), QString("Pressure, 1388534400 : 1.5"));
        view->setSelection(Selection(data, 1, 1, 0, 3));
        QCOMPARE(label(), QString("Type of selection : attribute"));
        QVERIFY(tree(*panel->model()).startsWith("Flow{1388534400 : 2|1388538000 : nan|"));
        w->child<QRadioButton>("radioBtnGMT")->click();
        QVERIFY(tree(*panel->model()).startsWith("Flow{00:00:00 : 2|"));

        view->setSelection(Selection());
        QCOMPARE(label(), QString("No selection"));
        QCOMPARE(hidden().size(), 4);
    }

    void correlationPanel()
    {
        loadWindow();
        w->child<QTabWidget>("tabWidget")->setCurrentWidget(w->child<QWidget>("tab_3"));
        const Data data = view->data();
        auto *panel = w->child<QTreeView>("correlationTreeView");
        // A real search first: making an area current drops its scores.
        view->setSelection(Selection(data, 0, 0, 0, 3));
        emit view->correlationRequested(view->selection());
        QVERIFY(w->waitIdle());
        QVERIFY(!w->storedCorrelationScores().isEmpty());

        // The second area wraps: attributes 2, 0, 1 over three time steps.
        view->setCorrelation({Selection(data, 0, 0, 0, 1), Selection(data, 2, 1, 1, 3)});
        // Each area's rows come from its own cells.
        const QString rows = tree(*panel->model());
        QVERIFY2(rows.startsWith("Area 0{Pressure{00:00:00 : 1.5|01:00:00 : 2.5}|") &&
                     rows.contains("}}}|Area 1{3 attributes{Temperature{01:00:00 : 0|03:00:00 : "
                                   "8|04:30:00 : 1000}|Pressure{01:00:00 : 2.5|"),
                 qPrintable(rows));
        QCOMPARE(panel->model()->headerData(0, Qt::Horizontal).toString(), QString("Correlation"));
        view->setSelection(Selection());
        QTRY_COMPARE(greenPixels(), 0);

        QSignalSpy changes(view, &VireoGLWidget::selectionChanged);
        const QModelIndex area1 = panel->model()->index(1, 0);
        click(panel, area1);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(shape(view->selection()), QString("zone 2..1 1..3"));
        QCOMPARE(label(), QString("Type of selection : zone"));
        QVERIFY(w->storedCorrelationScores().isEmpty());
        QVERIFY(!view->camera().isAnimating());
        QTRY_VERIFY(greenPixels() > 0);

        // Rows below an area lead nowhere.
        panel->expand(area1);
        click(panel, panel->model()->index(0, 0, area1));
        QCOMPARE(changes.count(), 1);

        // Activation also flies to the middle: across the wrap, attribute 0 at time 2.
        activate(panel, area1);
        QCOMPARE(changes.count(), 2);
        QCOMPARE(lookedAtCell(), QPoint(0, 2));
        activate(panel, panel->model()->index(0, 0));
        QCOMPARE(shape(view->selection()), QString("zone 0..0 0..1"));
        QCOMPARE(lookedAtCell().x(), 0);

        view->setCorrelation({});
        QVERIFY(panel->isHidden());
        QCOMPARE(w->child<QProgressBar>("correlationProgressBar")->value(), 0);
    }

    void annotationPanel()
    {
        loadWindow();
        w->child<QTabWidget>("tabWidget")->setCurrentWidget(w->child<QWidget>("tab_4"));
        const Data data = view->data();
        auto *list = w->child<QTreeWidget>("annotationTreeWidget");
        // The menu's own way to the list is on the end-to-end road.
        const Annotations notes = {Annotation("first note\nline 2", Selection(data, 1, 1, 0, 2)),
                                   Annotation("second", Selection(data, 0, 2, 3, 3)),
                                   // One taken on another table is never made current.
                                   Annotation("stale", Selection(Data(9, 9), 5, 5, 7, 7))};
        emit view->annotationsChanged(notes);
        QVERIFY(!list->isHidden());
        QStringList texts;
        for (int k = 0; k < list->topLevelItemCount(); ++k)
            texts << list->topLevelItem(k)->text(0) << list->topLevelItem(k)->child(0)->text(0);
        QCOMPARE(texts, QStringList({"Annotation 0 :", "first note\nline 2",
                                     "Annotation 1 :", "second", "Annotation 2 :", "stale"}));

        QSignalSpy changes(view, &VireoGLWidget::selectionChanged);
        const QModelIndex first = list->model()->index(0, 0);
        click(list, list->model()->index(1, 0));
        QCOMPARE(shape(view->selection()), QString("time 0..2 3..3"));
        QCOMPARE(label(), QString("Type of selection : time"));
        list->expandAll();
        click(list, list->model()->index(0, 0, first));
        click(list, list->model()->index(2, 0));
        activate(list, list->model()->index(2, 0));
        QCOMPARE(changes.count(), 1);
        QVERIFY(!view->camera().isAnimating());

        activate(list, first);
        QCOMPARE(shape(view->selection()), QString("zone 1..1 0..2"));
        QCOMPARE(lookedAtCell(), QPoint(1, 1));

        // An empty list hides the old items; the next list replaces them.
        emit view->annotationsChanged({});
        QVERIFY(list->isHidden());
        QCOMPARE(list->topLevelItemCount(), 3);
        emit view->annotationsChanged({notes[1]});
        QVERIFY(!list->isHidden());
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(list->topLevelItem(0)->child(0)->text(0), QString("second"));

        // Another table: the view has dropped its notes, and the list goes with them.
        QVERIFY(w->load(dataFile("mainwindow_international.csv")));
        QVERIFY(list->isHidden());
    }

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
        // New data takes the selection away while the dialog is open: nothing is written or
        // noted for the cells that were selected.
        QTest::newRow("new data, export") << true << 2 << "new" << true << QStringList{saveDialog, refused, "exported"};
        QTest::newRow("new data, note") << true << 3 << "new" << true << QStringList{noteDialog, refused};
        // clang-format on
    }
    void entries()
    {
        QFETCH(bool, selected);
        QFETCH(int, entry);
        QFETCH(QString, reply);
        QFETCH(bool, accepted);
        QFETCH(QStringList, log);
        bare->fileAnswer = answer(reply == "new" ? "ok" : reply);
        bare->noteAnswer = reply;
        bare->noteAccepted = accepted;
        bare->newDataInDialog = reply == "new";
        if (selected)
            bare->setSelection(Selection(bare->data(), 1, 1, 3, 3));
        bare->rightClick(entry);
        QCOMPARE(bare->log, log.replaceInStrings("%1", bare->fileAnswer));
        QCOMPARE(bare->menuPos, bare->mapToGlobal(bare->rect().center()));
        QCOMPARE(QFile::exists(answer("ok")), selected && reply == "ok");
        QCOMPARE(bare->annotations().size(), bare->log.filter("annotations").size());
    }

    void exportWritesTheSelectedCells_data()
    {
        QTest::addColumn<Selections>("correlation");
        QTest::addColumn<QStringList>("table");

        // The current zone b..c x 0..1 holds the missing cell.
        QTest::newRow("current selection")
            << Selections() << QStringList{"c1 c2", "00 10.25 20.25", "01 11.25 nan"};
        // Outside the zone: d..a wrapping x 1..2 and c x 4; rows and columns in index order,
        // cells no block covers missing.
        const Data data = sample();
        QTest::newRow("correlation shown")
            << Selections{Selection(data, 3, 0, 1, 2), Selection(data, 2, 2, 4, 4)}
            << QStringList{"c0 c2 c3", "01 1.25 nan 31.25", "02 2.25 nan 32.25",
                           "04 nan 24.25 nan"};
    }
    void exportWritesTheSelectedCells()
    {
        QFETCH(Selections, correlation);
        QFETCH(QStringList, table);
        bare->setSelection(Selection(bare->data(), 1, 2, 0, 1));
        bare->setCorrelation(correlation);
        bare->fileAnswer = answer("ok");
        bare->rightClick(ViewContextMenu::ExportSelection);
        QCOMPARE(bare->log, QStringList({saveDialog, "exported"}));
        QCOMPARE(::table(readBack(bare->fileAnswer)), table);
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
        bare = std::make_unique<View>(true);
        QVERIFY(showExposed(*bare, QSize(400, 400)));
        const Popup popup = answerPopup(
            [&] {
                QTest::mouseClick(bare.get(), Qt::RightButton, Qt::NoModifier, QPoint(100, 100));
            },
            QString(), Qt::Key(key));
        QCOMPARE(popup.entries.join('|'),
                 "2D view|Detect Correlation|Export selection|Add annotation");
        QCOMPARE(popup.pos, bare->mapToGlobal(QPoint(100, 100)));
        QCOMPARE(bare->log, log);
    }

    void newDataClearsNotesSilently()
    {
        bare->setSelection(Selection(bare->data(), 0, 0, 0, 4));
        for (const char *note : {"first", "second"}) {
            bare->noteAnswer = note;
            bare->rightClick(ViewContextMenu::AddAnnotation);
        }
        QCOMPARE(bare->annotations().size(), 2);
        QVERIFY(bare->annotations().last().hasSelection);
        QCOMPARE(bare->log.last(), "annotations 2 second attribute 0..0 0..4");
        bare->log.clear();
        bare->setData(sample());
        QVERIFY(bare->annotations().isEmpty());
        QVERIFY(bare->log.isEmpty());
    }

    // The right button turns the camera while held; its release stops that before the
    // menu's own event loop runs.
    void noRepaintBehindTheMenu()
    {
        QSignalSpy frames(bare.get(), &QOpenGLWidget::frameSwapped);
        auto *timer = bare->findChild<QTimer *>("animationTimer");
        int flagsWhileOpen = -1;
        bool timerWhileOpen = true, turnedWhileOpen = true;
        bare->findChild<ViewContextMenu *>()->setEntryChooser(
            [&](const QStringList &, const QPoint &) {
                // Frames still land when other windows on the X server expose
                // this one; only the camera tells whether it kept turning.
                const QMatrix4x4 before = bare->camera().viewMatrix();
                QTest::qWait(300);
                turnedWhileOpen = bare->camera().viewMatrix() != before;
                flagsWhileOpen = bare->camera().movementFlags();
                timerWhileOpen = timer->isActive();
                return int(ViewContextMenu::NoEntry);
            });
        const QPoint middle = bare->rect().center();
        QTest::mousePress(bare.get(), Qt::RightButton, Qt::NoModifier, middle);
        QTRY_VERIFY(frames.count() > 2); // turning repaints
        QTest::mouseRelease(bare.get(), Qt::RightButton, Qt::NoModifier, middle);
        QVERIFY(!turnedWhileOpen);
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
        TestWindow window;
        QVERIFY(showExposed(window));
        if (loaded)
            QVERIFY(window.load(dataFile("mainwindow_international.csv")));
        window.messages.clear();
        window.saveAnswer = answer(file);
        window.child<QAction>(qPrintable(action))->trigger();
        QCOMPARE(window.saves, QList<Answer>{saveAnswer});
        outcome.replace("%1", window.saveAnswer);
        QCOMPARE(window.messages, file == "ok" ? QStringList{outcome} : QStringList());
        const QList<Answer> warned{{"Unable to save file", outcome}};
        QCOMPARE(window.warnings, file == "bad" ? warned : QList<Answer>());
        QCOMPARE(QFile::exists(answer("ok")), file == "ok");
        if (file != "ok")
            return;
        if (!loaded) {
            QCOMPARE(fileContent(window.saveAnswer), "Time\n2\n3\n4\n5\n6\n7\n8\n9\n10\n");
            return;
        }
        const Data expected =
            action.contains("Non") ? window.nonNormalizedData() : window.view()->data();
        QCOMPARE(difference(readBack(window.saveAnswer), expected), QString());
        // Each kind writes its own values.
        QVERIFY(!difference(window.nonNormalizedData(), window.view()->data()).isEmpty());
    }
};

QTEST_MAIN(TestPanels)
#include "tst_panels.moc"
