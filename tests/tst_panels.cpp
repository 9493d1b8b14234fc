#include "mainwindow/selectionsitemmodel.h"
#include "testsupport.h"
#include "view/viewcontextmenu.h"
#include "view/vireoglwidget.h"

#include <QAbstractItemModelTester>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
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

QString hour(int h)
{
    return QStringLiteral("2014-01-01 %1:00:00").arg(h, 2, 10, QLatin1Char('0'));
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

} // namespace

class TestPanels : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestWindow> w;
    VireoGLWidget *view = nullptr;

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
    void showTab(const char *name)
    {
        auto *tabs = w->child<QTabWidget>("tabWidget");
        tabs->setCurrentWidget(w->child<QWidget>(name));
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
    void cleanup()
    {
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
    }
    void selectionTrees()
    {
        QFETCH(Selection, selection);
        QFETCH(QString, rows);
        SelectionsItemModel model("Selection", selection, smallData(), nullptr);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(tree(model), rows);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("Selection"));
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

    void correlationTree()
    {
        const Data d = smallData();
        const Selections areas = {Selection(d, 1, 2, 0, 0), Selection(d, 3, 3, 1, 1)};
        SelectionsItemModel model("Correlation", areas, d, nullptr);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(
            tree(model),
            QString("Area 0{2 attributes{q%2{00:00:00 : 1e-07}|r{00:00:00 : 2}}|00:00:00{q%2 : "
                    "1e-07|r : 2}}|Area 1{s, 01:00:00 : 13}"));
        for (int r = 0; r < 2; ++r) {
            const QVariant pointer = model.index(r, 0).data(SelectionsItemModel::SelectionRole);
            QCOMPARE(pointer.userType(), int(QMetaType::VoidStar));
            QCOMPARE(shape(*static_cast<const Selection *>(pointer.value<void *>())),
                     shape(areas[r]));
            QVERIFY(!model.index(0, 0, model.index(r, 0)).data(Qt::UserRole + 1).isValid());
        }
        QVERIFY(!model.index(0, 0).data(Qt::UserRole).isValid());
    }

    // A model made from a table it does not fit shows "Error" instead of reading past it.
    void selectionPastTheData()
    {
        const Data d = smallData();
        SelectionsItemModel model("Selection", Selection(Data(9, 9), 6, 6, 5, 8), d, nullptr);
        QVERIFY(tree(model).startsWith("Error{Error : Error|"));
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
        QCOMPARE(label(), "Flow, " + hour(3) + " : 4");
        QCOMPARE(hidden().size(), 4);

        view->setSelection(Selection(data, 2, 0, 3, 1));
        QCOMPARE(label(), QString("Type of selection : zone"));
        QCOMPARE(hidden(), QStringList({"correlationTreeView", "annotationTreeWidget"}));
        QVERIFY(tree(*panel->model())
                    .startsWith(
                        "2 attributes{Temperature{01:00:00 : 0|03:00:00 : 8|04:30:00 : 1000}|"));

        // The tree goes, the correlation controls stay.
        view->setSelection(Selection(data, 0, 0, 0, 0));
        QCOMPARE(label(), "Pressure, " + hour(0) + " : 1.5");
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
        showTab("tab_3");
        const Data data = view->data();
        auto *panel = w->child<QTreeView>("correlationTreeView");
        // A real search first: making an area current drops its scores.
        view->setSelection(Selection(data, 0, 0, 0, 3));
        emit view->correlationRequested(view->selection());
        QVERIFY(w->waitIdle());
        QVERIFY(!w->storedCorrelationScores().isEmpty());

        // The second area wraps: attributes 2, 0, 1 over three time steps.
        view->setCorrelation({Selection(data, 0, 0, 0, 1), Selection(data, 2, 1, 1, 3)});
        QVERIFY(tree(*panel->model())
                    .contains(QRegularExpression("^Area 0\\{.*\\}\\|Area 1\\{.*\\}$")));
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
        showTab("tab_4");
        const Data data = view->data();
        auto *list = w->child<QTreeWidget>("annotationTreeWidget");
        // Notes written through the view's own menu, its dialogs answered here.
        auto *menu = view->findChild<ViewContextMenu *>();
        menu->setEntryChooser([](const QStringList &, const QPoint &) {
            return int(ViewContextMenu::AddAnnotation);
        });
        QString note;
        menu->setNoteAsker([&note](const QString &, const QString &, const QString &, bool *ok) {
            *ok = true;
            return note;
        });
        const auto annotate = [&](const Selection &selection, const QString &text) {
            view->setSelection(selection);
            note = text;
            view->showContextMenu(view->rect().center());
        };
        annotate(Selection(data, 1, 1, 0, 2), "first note\nline 2");
        annotate(Selection(data, 0, 2, 3, 3), "second");
        // One taken on another table is never made current.
        emit view->annotationsChanged(view->annotations()
                                      << Annotation("stale", Selection(Data(9, 9), 5, 5, 7, 7)));
        const Annotations notes = view->annotations();
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
};

QTEST_MAIN(TestPanels)
#include "tst_panels.moc"
