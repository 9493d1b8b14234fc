// A new user's road through the real window: menus, clicks and keys on the
// view, the context menu, exports read back, profiles, key bindings, palettes,
// pictures; then the asynchronous and the command-line roads.
#include "mainwindow/commandline.h"
#include "mainwindow/vireomainwindow.h"
#include "testsupport.h"
#include "view/viewactions.h"
#include "view/viewcontextmenu.h"
#include "view/vireoglwidget.h"
#include "widgets/colorbrewerwidget.h"
#include "widgets/keysconfigurationdialog.h"
#include "widgets/keysconfigurationwidget.h"
#include "widgets/vireogradientcolorwidget.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

const QString done = QStringLiteral("Data reorganized & displayed");

// Follows the menu bar by the entries' texts and triggers the last one.
bool triggerMenu(QMainWindow &window, const QStringList &path)
{
    QList<QAction *> actions = window.menuBar()->actions();
    for (int i = 0; i < path.size(); ++i) {
        QAction *found = nullptr;
        for (QAction *a : actions)
            if (a->text().remove('&') == path[i])
                found = a;
        if (!found || !found->isEnabled())
            return false;
        if (i + 1 == path.size()) {
            found->trigger();
            return true;
        }
        if (!found->menu())
            return false;
        actions = found->menu()->actions();
    }
    return false;
}

// Clicks a swatch and Ok in the palette dialog, as a user would.
int choosePalette(QDialog *dialog, const char *name)
{
    auto *swatch = dialog->findChild<ColorBrewerWidget *>(name);
    if (!swatch || !showExposed(*dialog))
        return QDialog::Rejected;
    QTest::mouseClick(swatch, Qt::LeftButton);
    QTest::mouseClick(dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok),
                      Qt::LeftButton);
    return dialog->result();
}

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

// The columns of a table that whole-attribute areas cover, in table order.
Data columns(const Data &data, const Selections &areas)
{
    QVector<int> covered;
    for (const Selection &s : areas)
        for (int k = 0; k < s.attributeCount(); ++k)
            covered << (s.firstAttribute + k) % data.attributeCount();
    std::sort(covered.begin(), covered.end());
    covered.erase(std::unique(covered.begin(), covered.end()), covered.end());
    Data part(data.timeCount(), covered.size());
    part.times = data.times;
    for (int c = 0; c < covered.size(); ++c) {
        part.attributes[c] = data.attributes[covered[c]];
        for (int t = 0; t < data.timeCount(); ++t)
            part.values[t * covered.size() + c] = data.value(t, covered[c]);
    }
    return part;
}

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<TestWindow> w;

    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }
    QImage frame() { return w->view()->grabFramebuffer(); }
    QString label() { return w->child<QLabel>("selectedValueLabel")->text(); }

    void startWindow()
    {
        QVERIFY(dir.isValid());
        w = std::make_unique<TestWindow>();
        QVERIFY(showExposed(*w, QSize(1200, 900)));
    }
    // File -> Open -> one layout, the origin question answered International.
    void open(const char *entry, const QString &file)
    {
        w->fileAnswer = file;
        w->replies << QMessageBox::No;
        QVERIFY(triggerMenu(*w, {"File", "Open", entry}));
        QCOMPARE(w->questions.size(), 1);
        QVERIFY(displayed());
        QCOMPARE(w->child<QLineEdit>("txtNom")->text(), file);
        QCOMPARE(w->warnings, QList<Answer>());
    }
    // Exports the displayed data through the menu and reads it back.
    void exportedDataReadsBack(const char *entry, const Data &expected, const char *file)
    {
        w->saveAnswer = path(file);
        QVERIFY(triggerMenu(*w, {"File", "Export to CSV format", entry}));
        QCOMPARE(w->messages.last(), QString("File saved"));
        QCOMPARE(difference(readBack(path(file)), expected), QString());
    }
    void exportPictureMatchesView()
    {
        w->saveAnswer = path("picture.png");
        QVERIFY(triggerMenu(*w, {"File", "Export", "Picture..."}));
        const QImage picture(path("picture.png"));
        QVERIFY(!picture.isNull());
        QCOMPARE(changed(picture.convertToFormat(QImage::Format_RGB32),
                         frame().convertToFormat(QImage::Format_RGB32)),
                 0.0);
    }
    // True once the chain has shown its result and no task runs.
    bool displayed()
    {
        return QTest::qWaitFor([this] { return !w->runningTask() && w->messages.contains(done); },
                               60000);
    }
    // Left click on a cell, a picking key held if any. Keys go to the window,
    // which hands them to the widget that has the focus: a click gives it to the view.
    void clickCell(int a, int t, Qt::Key held = Qt::Key_unknown)
    {
        VireoGLWidget *view = w->view();
        const QPoint at = cellPixel(*view, a, t); // the middle of the drawn cell
        QVERIFY(view->rect().contains(at));
        if (held != Qt::Key_unknown)
            QTest::keyPress(w->windowHandle(), held);
        QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, at);
        if (held != Qt::Key_unknown)
            QTest::keyRelease(w->windowHandle(), held);
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
    // Options -> Keys configuration: the Attribute row's square clicked, a key pressed, Ok.
    void rebindAttributeKey(Qt::Key key)
    {
        // Not activated: other tests' windows share the X server and may hold the activation.
        auto *dialog = opened<KeysConfigurationDialog>([this] {
            QVERIFY(triggerMenu(*w, {"Options", "Keys configuration"}));
        });
        QVERIFY(dialog);
        auto *square = dialog->findChild<KeysConfigurationWidget *>("AttributeWidget");
        QTest::mouseClick(square, Qt::LeftButton);
        QCOMPARE(dialog->focusWidget(), square);
        QTest::keyClick(dialog->windowHandle(), key);
        QTest::mouseClick(
            dialog->findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Ok),
            Qt::LeftButton);
        QCOMPARE(w->view()->keyMapForPicking().value(key, -1), int(ViewActions::Attribute));
    }

private slots:
    void cleanup() { w.reset(); }

    void synchronousRoad()
    {
        startWindow();
        const QImage empty = frame();
        open("Synchronous File", example("plant_sensors_intl.csv"));
        QCOMPARE(w->child<QLineEdit>("txtNbAttribut")->text(), QString("31"));
        const QImage loaded = frame();
        QVERIFY(changed(empty, loaded) > 0.3);
        const Data raw = readBack(example("plant_sensors_intl.csv"), 0, 1);
        QCOMPARE(raw.timeCount(), 3000);

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
        const Data averaged = w->nonNormalizedData();
        for (int a = 0; a < averaged.attributeCount(); ++a) {
            const int from = raw.attributes.indexOf(averaged.attributes[a]);
            double sum = 0;
            int n = 0;
            for (int t = 13; t < 26; ++t)
                if (!qIsNaN(raw.value(t, from)))
                    sum += raw.value(t, from), ++n;
            QVERIFY(std::abs(averaged.value(1, a) - sum / n) < 1e-9 * (1 + std::abs(sum)));
        }
        const QImage aggregated = frame();
        QVERIFY(changed(loaded, aggregated) > 0.05);

        // A value (steps are labelled with their ends), widened to its attribute with the picking
        // key.
        clickCell(3, 6);
        QVERIFY2(label().startsWith(w->view()->data().attributes[3] + ", 2014-03-24 07:35:00 : "),
                 qPrintable(label()));
        QVERIFY(pixelsNear(frame(), Qt::green) > 0);
        clickCell(3, 6, Qt::Key_A);
        QCOMPARE(label(), QString("Type of selection : attribute"));
        const Selection attribute = w->view()->selection();
        QCOMPARE(attribute.firstAttribute, 3);
        QCOMPARE(attribute.lastTime, 230);
        const QImage selected = frame();
        QVERIFY(changed(aggregated, selected) > 0);
        // The arrow key moves it round the tube.
        QTest::keyClick(w->windowHandle(), Qt::Key_Right);
        QCOMPARE(w->view()->selection().firstAttribute, 4);
        QTest::keyClick(w->windowHandle(), Qt::Key_Left);

        // Correlated blocks: in the tree and outlined in the view.
        contextMenu("Detect Correlation");
        QVERIFY(QTest::qWaitFor([this] { return !w->runningTask(); }, 60000));
        auto *tree = w->child<QTreeView>("correlationTreeView");
        QVERIFY(!tree->isHidden());
        QVERIFY(tree->model()->rowCount() > 0);
        QCOMPARE(tree->model()->rowCount(), w->view()->correlation().size());
        QVERIFY(changed(selected, frame()) > 0);

        // A note on the selection.
        auto *menu = w->view()->findChild<ViewContextMenu *>();
        menu->setNoteAsker([](const QString &, const QString &, const QString &, bool *ok) {
            *ok = true;
            return QStringLiteral("pump starts");
        });
        contextMenu("Add annotation");
        auto *notes = w->child<QTreeWidget>("annotationTreeWidget");
        QCOMPARE(notes->topLevelItemCount(), 1);
        QCOMPARE(notes->topLevelItem(0)->child(0)->text(0), QString("pump starts"));

        // The correlated cells, then the normalized table, read back exactly.
        menu->setFileNameAsker(
            [this](const QString &, const QString &) { return path("selection.csv"); });
        contextMenu("Export selection");
        QCOMPARE(w->messages.last(), QString("Export selection finished"));
        QCOMPARE(difference(readBack(path("selection.csv")),
                            columns(w->view()->data(), w->view()->correlation())),
                 QString());
        exportedDataReadsBack("Normalized data", w->view()->data(), "normalized.csv");

        // Profiles keep the settings; a changed mode and a rebound key go back with them.
        const Data averagedView = w->view()->data();
        w->saveAnswer = path("complete.ini");
        QVERIFY(triggerMenu(*w, {"Profile", "Save", "Complete profile"}));
        w->saveAnswer = path("keys.ini");
        QVERIFY(triggerMenu(*w, {"Profile", "Save", "Keys profile"}));
        const QImage averagedFrame = frame();
        w->messages.clear();
        // Chosen through the list itself: after the key dialog's own window the
        // main window is not always active again under a bare X server.
        mode->setCurrentIndex(mode->findText("Max"));
        QVERIFY(displayed());
        QVERIFY(difference(w->view()->data(), averagedView) != QString());
        QVERIFY(changed(averagedFrame, frame()) > 0.05);
        rebindAttributeKey(Qt::Key_B);
        clickCell(5, 2);
        clickCell(5, 2, Qt::Key_A);
        QVERIFY(label().startsWith(w->view()->data().attributes[5]));
        clickCell(5, 2, Qt::Key_B);
        QCOMPARE(label(), QString("Type of selection : attribute"));
        w->fileAnswer = path("keys.ini");
        QVERIFY(triggerMenu(*w, {"Profile", "Open", "Keys profile"}));
        clickCell(4, 2);
        clickCell(4, 2, Qt::Key_A);
        QCOMPARE(w->view()->selection().lastTime, 230);
        w->messages.clear();
        w->fileAnswer = path("complete.ini");
        QVERIFY(triggerMenu(*w, {"Profile", "Open", "Complete profile"}));
        QCOMPARE(mode->currentText(), QString("Average"));
        QVERIFY(displayed());
        QCOMPARE(difference(w->view()->data(), averagedView), QString());

        // A palette from the presets recolours the wall.
        const QImage before = frame();
        w->paletteAnswer = [](QDialog *dialog) { return choosePalette(dialog, "Blues"); };
        QTest::mouseClick(w->child<QPushButton>("pushButton"), Qt::LeftButton);
        const QGradientStops stops =
            w->child<VireoGradientColorWidget>("gradientColorsForValuesWidget")->gradient().stops();
        QCOMPARE(stops.first().second, QColor(222, 235, 247)); // Blues, 3 classes
        QVERIFY(changed(before, frame()) > 0.05);
        exportPictureMatchesView();
        QVERIFY(w->warnings.isEmpty());
    }

    void asynchronousRoad()
    {
        startWindow();
        const QImage empty = frame();
        open("Asynchronous File", example("plant_log_intl.csv"));
        QCOMPARE(w->child<QLineEdit>("txtNbAttribut")->text(), QString("7"));
        QVERIFY(changed(empty, frame()) > 0.3);
        // A value, then its whole time step, picked with its key.
        clickCell(2, 4);
        clickCell(2, 4, Qt::Key_T);
        QCOMPARE(label(), QString("Type of selection : time"));
        QCOMPARE(w->view()->selection().firstTime, 4);
        exportedDataReadsBack("Non normalized data", w->nonNormalizedData(), "raw.csv");
        exportPictureMatchesView();
    }

    void commandLineRoad()
    {
        const QString file = example("plant_sensors_fr.csv");
        CommandLine commandLine;
        QCOMPARE(commandLine.parse({"vireo", file}), CommandLine::Run);
        QCOMPARE(commandLine.resolvedMode(), 0);
        startWindow();
        w->replies << QMessageBox::Yes; // French
        w->openFileWith(commandLine.fileName(), commandLine.resolvedMode(), commandLine.origin());
        QCOMPARE(w->questions.size(), 1);
        QVERIFY(displayed());
        QCOMPARE(w->child<QLineEdit>("txtNbAttribut")->text(), QString("31"));
        QCOMPARE(w->nonNormalizedData().timeCount(), 3000);
        QVERIFY(w->warnings.isEmpty());
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
