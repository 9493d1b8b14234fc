// A new user's road through the real window: keys typed into the editors, clicks and
// keys on the view, the context menu. Each step's details have their own tests.
#include "heldkeys.h"
#include "operations/agregation.h"
#include "testsupport.h"
#include "view/viewcontextmenu.h"
#include "view/vireoglwidget.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

namespace {

// Share of sampled pixels that differ between two frames.
double changed(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 1;
    int differ = 0, total = 0;
    for (int y = 0; y < a.height(); y += 4)
        for (int x = 0; x < a.width(); x += 4, ++total)
            differ += a.pixel(x, y) != b.pixel(x, y);
    return double(differ) / total;
}

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestWindow> w;

    QImage frame() { return w->view()->grabFramebuffer(); }
    QString label() { return w->child<QLabel>("selectedValueLabel")->text(); }

    // True once the chain has shown its result and no task runs.
    bool displayed()
    {
        return QTest::qWaitFor(
            [this] {
                return !w->runningTask() && w->messages.contains("Data reorganized & displayed");
            },
            60000);
    }
    // Left click on a cell, a picking key held if any. Keys go to the window,
    // which hands them to the widget that has the focus: a click gives it to the view.
    void clickCell(int a, int t, const QVector<Qt::Key> &keys = {})
    {
        VireoGLWidget *view = w->view();
        const QPoint at = cellPixel(*view, a, t); // the middle of the drawn cell
        QVERIFY(view->rect().contains(at));
        withKeys(w->windowHandle(), keys,
                 [=] { QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, at); });
        QCOMPARE(view->cellAt(at).attribute, a);
        QCOMPARE(view->cellAt(at).time, t);
    }
    // Right click on the view, then the entry picked in the real popup with the keyboard.
    void contextMenu(const QString &entry)
    {
        const auto open = [this] {
            QTest::mouseClick(w->view(), Qt::RightButton, Qt::NoModifier,
                              w->view()->rect().center());
        };
        QCOMPARE(answerPopup(open, entry).active, entry);
    }

private slots:
    void synchronousRoad()
    {
        w = std::make_unique<TestWindow>();
        QVERIFY(showExposed(*w, QSize(1200, 900)));
        const QImage empty = frame();
        const QString file = example("plant_sensors_intl.csv");
        w->fileAnswer = file;
        w->replies << QMessageBox::No; // International
        w->child<QAction>("actionOpenSyncFile")->trigger();
        QVERIFY(displayed());
        QCOMPARE(w->child<QLineEdit>("txtNbAttribut")->text(), QString("31"));
        const QImage loaded = frame();
        QVERIFY(changed(empty, loaded) > 0.3);
        const Data raw = readBack(file, 0, 1);

        // Average over steps of 1 h 5 min (13 rows), an hour typed into the ΔT.
        auto *mode = w->child<QComboBox>("comboBoxModeAgregation");
        mode->setFocus();
        QTest::keyClicks(mode, "Average");
        QCOMPARE(mode->currentText(), QString("Average"));
        QVERIFY(displayed());
        auto *hours = w->child<QSpinBox>("spinHour");
        w->messages.clear();
        hours->setFocus();
        hours->selectAll();
        QTest::keyClicks(hours, "1");
        QCOMPARE(w->child<QSpinBox>("spinEpoch")->value(), 3900);
        QVERIFY(displayed());
        QCOMPARE(w->view()->data().timeCount(), 231);
        // The mode typed is the one run (its arithmetic has its own test).
        QCOMPARE(difference(w->nonNormalizedData(),
                            ran(new Agregation(raw, Agregation::Average, 3900))->result()),
                 QString());
        const QImage aggregated = frame();
        QVERIFY(changed(loaded, aggregated) > 0.05);

        // A value (steps are labelled with their ends), widened to its attribute with the picking
        // key.
        clickCell(3, 6);
        QVERIFY2(label().startsWith(w->view()->data().attributes[3] + ", 2014-03-24 07:35:00 : "),
                 qPrintable(label()));
        QVERIFY(pixelsNear(frame(), Qt::green) > 0);
        clickCell(3, 6, {Qt::Key_A});
        QCOMPARE(label(), QString("Type of selection : attribute"));
        QCOMPARE(shape(w->view()->selection()), QString("attribute 3..3 0..230"));
        const QImage selected = frame();
        QVERIFY(changed(aggregated, selected) > 0);
        // The arrow key moves it round the tube.
        QTest::keyClick(w->windowHandle(), Qt::Key_Right);
        QCOMPARE(w->view()->selection().firstAttribute, 4);
        QTest::keyClick(w->windowHandle(), Qt::Key_Left);

        // Correlated blocks: in the tree and outlined in the view.
        contextMenu("Detect Correlation");
        QVERIFY(w->waitIdle(60000));
        auto *tree = w->child<QTreeView>("correlationTreeView");
        QVERIFY(!tree->isHidden());
        QVERIFY(tree->model()->rowCount() > 0);
        QCOMPARE(tree->model()->rowCount(), w->view()->correlation().size());
        QVERIFY(changed(selected, frame()) > 0);

        // A note on the selection.
        w->view()->findChild<ViewContextMenu *>()->setNoteAsker(
            [](const QString &, const QString &, const QString &, bool *ok) {
                *ok = true;
                return QStringLiteral("pump starts");
            });
        contextMenu("Add annotation");
        auto *notes = w->child<QTreeWidget>("annotationTreeWidget");
        QCOMPARE(notes->topLevelItemCount(), 1);
        QCOMPARE(notes->topLevelItem(0)->child(0)->text(0), QString("pump starts"));
        QVERIFY(w->warnings.isEmpty());
        QVERIFY(w->questions.size() == 1 && w->fileDialogs.size() == 1);
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
