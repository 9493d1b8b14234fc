#include "testsupport.h"
#include "view/viewactions.h"
#include "view/vireoglwidget.h"
#include "widgets/keysconfigurationdialog.h"
#include "widgets/keysconfigurationwidget.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

using KeyMap = QMap<int, int>;

// The four bindings in one comparable value.
struct Bindings
{
    KeyMap camera;
    int back;
    KeyMap picking;
    KeyMap move;
    bool operator==(const Bindings &o) const
    {
        return camera == o.camera && back == o.back && picking == o.picking && move == o.move;
    }
};

Bindings bindingsOf(const VireoGLWidget &view)
{
    return {view.keyMapForCamera(), view.keyForReturnToOrigin(), view.keyMapForPicking(),
            view.keyMapToMoveSelection()};
}

Bindings bindingsOf(const QList<QVariant> &signal)
{
    return {signal.at(0).value<KeyMap>(), signal.at(1).toInt(), signal.at(2).value<KeyMap>(),
            signal.at(3).value<KeyMap>()};
}

const Bindings defaults = {
    ViewActions::defaultCameraKeys(), ViewActions::defaultReturnToOriginKey(),
    ViewActions::defaultPickingKeys(), ViewActions::defaultMoveSelectionKeys()};

// The dialog as a user sees it and works it.
struct Keys
{
    QPointer<KeysConfigurationDialog> dialog;

    template <typename T> T *part(const QString &name) { return dialog->findChild<T *>(name); }
    QLabel *keyLabel(const char *row) { return part<QLabel>(QString(row) + "KeyLabel"); }
    // The key labels of all rows, in their order on screen.
    QStringList shown()
    {
        QStringList texts;
        for (const ViewActions::Row &row : ViewActions::rows())
            texts << keyLabel(row.rowName)->text();
        return texts;
    }
    // Clicks the row's blue square and presses the key through the window system.
    bool capture(const char *row, Qt::Key key)
    {
        auto *square = part<KeysConfigurationWidget>(QString(row) + "Widget");
        QTest::mouseClick(square, Qt::LeftButton);
        if (dialog->focusWidget() != square)
            return false;
        QTest::keyClick(dialog->windowHandle(), key);
        return true;
    }
    void press(QDialogButtonBox::StandardButton which)
    {
        QTest::mouseClick(part<QDialogButtonBox>("buttonBox")->button(which), Qt::LeftButton);
    }
    QString conflicts()
    {
        QLabel *label = part<QLabel>("conflictLabel");
        return label->isVisible() ? label->text() : QString();
    }
};

class Window : public VireoMainWindow
{
public:
    VireoGLWidget &view() { return *findChild<VireoGLWidget *>("glWidget"); }
    // Options -> Keys configuration; the new dialog once it is on screen.
    Keys openKeys()
    {
        auto *dialog = opened<KeysConfigurationDialog>(
            [this] { findChild<QAction *>("actionKeys_configuration")->trigger(); });
        if (dialog)
            dialog->activateWindow();
        return Keys{dialog && QTest::qWaitForWindowActive(dialog) ? dialog : nullptr};
    }
};

const QStringList defaultTexts = {"Z", "S",    "Q",   "D",    "O",  "Shift", "R",   "A",
                                  "T", "Ctrl", "Esc", "Down", "Up", "Right", "Left"};

} // namespace

class TestKeys : public QObject
{
    Q_OBJECT

    std::unique_ptr<Window> w;

private slots:
    void initTestCase() { qRegisterMetaType<KeyMap>("QMap<int,int>"); }
    void init()
    {
        w.reset(new Window);
        QVERIFY(showExposed(*w, QSize(1000, 800)));
    }
    void cleanup() { w.reset(); }
    void opensWithTheViewsBindings()
    {
        Keys keys = w->openKeys();
        QVERIFY(keys.dialog);
        QCOMPARE(keys.shown(), defaultTexts);
        // Q sits on the "Right" row and D on "Left"; the first seven rows are camera keys.
        QCOMPARE(keys.part<QLabel>("RightLabel")->text(), QString("Right"));
        QCOMPARE(keys.part<QLabel>("LeftLabel")->text(), QString("Left"));
        auto *camera = keys.part<QGroupBox>("groupBox");
        QVERIFY(camera->isAncestorOf(keys.keyLabel("ReturnToOrigin")));
        QVERIFY(!camera->isAncestorOf(keys.keyLabel("Attribute")));
        QCOMPARE(keys.conflicts(), QString());

        // The capture squares are drawn blue, with their "Edit" label inside.
        auto *square = keys.part<KeysConfigurationWidget>("ForwardWidget");
        QCOMPARE(square->grab().toImage().pixelColor(1, 1), QColor(0, 0, 240));
        QCOMPARE(keys.part<QLabel>("ForwardEditLabel")->parentWidget(), square);

        // A later dialog starts from the view's bindings of the moment; an action without a
        // key shows nothing.
        w->view().setKeyMapForCamera(
            {{Qt::Key_W, ViewActions::Forward}, {Qt::Key_X, ViewActions::Left}});
        w->view().setKeyForReturnToOrigin(Qt::Key_F2);
        w->view().setKeyMapForPicking({{Qt::Key_Shift, ViewActions::Zone}});
        w->view().setKeyMapToMoveSelection({});
        Keys later = w->openKeys();
        QVERIFY(later.dialog);
        QCOMPARE(later.shown(), QStringList({"W", "", "", "X", "", "", "F2", "", "", "Shift", "",
                                             "", "", "", ""}));
        QCOMPARE(keys.shown(), defaultTexts);
        later.dialog->close();
        keys.dialog->close();
    }
    void capturesKeys()
    {
        Keys keys = w->openKeys();
        QVERIFY(keys.dialog);
        QSignalSpy selected(keys.dialog.data(), &KeysConfigurationDialog::configurationSelected);
        // Lone modifiers are keys of their own; Escape and Return bind instead of closing or
        // confirming. Order matters: Ctrl leaves Zone before Shift takes it.
        const struct
        {
            const char *row;
            Qt::Key key;
            QString shown;
        } rows[] = {
            {"Forward", Qt::Key_W, "W"},
            {"HighSpeed", Qt::Key_Control, "Ctrl"},
            {"Zone", Qt::Key_Shift, "Shift"},
            {"Attribute", Qt::Key_Meta, "Meta"},
            {"Time", Qt::Key_Alt, "Alt"},
            {"Reset", Qt::Key_F1, "F1"},
            {"ReturnToOrigin", Qt::Key_Escape, "Esc"},
            {"NextTime", Qt::Key_Return, "Return"},
            {"PrevAttribute", Qt::Key_PageUp, "PgUp"},
        };
        for (const auto &row : rows) {
            QVERIFY2(keys.capture(row.row, row.key), row.row);
            QCOMPARE(keys.keyLabel(row.row)->text(), row.shown);
            QVERIFY(keys.dialog->isVisible());
        }
        QCOMPARE(selected.count(), 0);
        QCOMPARE(keys.conflicts(), QString());

        // The focus stays in the square: the next key rebinds the same action. Tab moves on.
        QTest::keyClick(keys.dialog->windowHandle(), Qt::Key_Home);
        QCOMPARE(keys.keyLabel("PrevAttribute")->text(), QString("Home"));
        QTest::keyClick(keys.dialog->windowHandle(), Qt::Key_Tab);
        QCOMPARE(keys.dialog->focusWidget(), keys.part<QWidget>("NextAttributeWidget"));
        QCOMPARE(keys.keyLabel("PrevAttribute")->text(), QString("Home"));

        keys.press(QDialogButtonBox::Ok);
        QCOMPARE(selected.count(), 1);
        const Bindings expected = {
            {{Qt::Key_W, 1},
             {Qt::Key_S, 4},
             {Qt::Key_Q, 2},
             {Qt::Key_D, 8},
             {Qt::Key_O, 16},
             {Qt::Key_Control, 32}},
            Qt::Key_Escape,
            {{Qt::Key_Meta, 0}, {Qt::Key_Alt, 1}, {Qt::Key_Shift, 2}, {Qt::Key_F1, 3}},
            {{Qt::Key_Down, 0}, {Qt::Key_Return, 1}, {Qt::Key_Home, 2}, {Qt::Key_Left, 3}}};
        QVERIFY(bindingsOf(selected.at(0)) == expected);
        QVERIFY(bindingsOf(w->view()) == expected);
    }
    void okRebindsTheView()
    {
        VireoGLWidget &view = w->view();
        const Data data(8, 10);
        view.setData(data);
        Keys keys = w->openKeys();
        QVERIFY(keys.dialog);
        QVERIFY(keys.capture("Forward", Qt::Key_W));
        QVERIFY(keys.capture("ReturnToOrigin", Qt::Key_H));
        QVERIFY(keys.capture("NextTime", Qt::Key_N));
        keys.press(QDialogButtonBox::Ok);
        // Released once closed.
        QTRY_VERIFY(!keys.dialog);

        // W now flies forward and Z does nothing.
        const Camera &camera = view.camera();
        QTest::keyPress(&view, Qt::Key_Z);
        QCOMPARE(camera.movementFlags(), 0);
        QTest::keyRelease(&view, Qt::Key_Z);
        QTest::keyPress(&view, Qt::Key_W);
        QCOMPARE(camera.movementFlags(), int(ViewActions::Forward));
        QTest::qWait(50);
        QTest::keyRelease(&view, Qt::Key_W);
        QCOMPARE(camera.movementFlags(), 0);
        QVERIFY(camera.eye().z() < 8.0f);
        // R no longer flies back; H does.
        QTest::keyClick(&view, Qt::Key_R);
        QVERIFY(!camera.isAnimating());
        QTest::keyClick(&view, Qt::Key_H);
        QVERIFY(camera.isAnimating());
        QTRY_VERIFY(!camera.isAnimating());
        // N moves the selection to the next time step, Up no longer does.
        view.setSelection(Selection(data, 3, 3, 2, 2));
        QTest::keyClick(&view, Qt::Key_Up);
        QCOMPARE(view.selection().firstTime, 2);
        QTest::keyClick(&view, Qt::Key_N);
        QCOMPARE(view.selection().firstTime, 3);
        QCOMPARE(view.selection().firstAttribute, 3);
    }
    void cancelChangesNothing()
    {
        // Cancel, Escape outside the squares and the title bar's close all drop the captures.
        const std::function<void(Keys &)> closers[] = {
            [](Keys &k) { k.press(QDialogButtonBox::Cancel); },
            [](Keys &k) {
                k.part<QDialogButtonBox>("buttonBox")->button(QDialogButtonBox::Ok)->setFocus();
                // The press closes it; its window is gone before a release could come.
                QTest::keyPress(k.dialog->windowHandle(), Qt::Key_Escape);
            },
            [](Keys &k) { k.dialog->close(); },
        };
        for (const auto &close : closers) {
            Keys keys = w->openKeys();
            QVERIFY(keys.dialog);
            QSignalSpy selected(keys.dialog.data(),
                                &KeysConfigurationDialog::configurationSelected);
            QVERIFY(keys.capture("Forward", Qt::Key_W));
            QVERIFY(keys.capture("Zone", Qt::Key_X));
            QVERIFY(keys.capture("ReturnToOrigin", Qt::Key_Y));
            close(keys);
            QCOMPARE(selected.count(), 0);
            QTRY_VERIFY(!keys.dialog);
            QVERIFY(bindingsOf(w->view()) == defaults);
        }
    }
    void conflictsAreReported()
    {
        Keys keys = w->openKeys();
        QVERIFY(keys.dialog);
        QVERIFY(keys.capture("Backward", Qt::Key_Z));
        QCOMPARE(keys.conflicts(), QString("Z is bound to several actions: Forward, Backward."));
        for (const char *row : {"Forward", "Backward"})
            QVERIFY(keys.keyLabel(row)->styleSheet().contains("red"));
        QVERIFY(!keys.keyLabel("Right")->styleSheet().contains("red"));
        // Across maps too: a camera key hides the picking action in the view.
        QVERIFY(keys.capture("Zone", Qt::Key_Z));
        QCOMPARE(keys.conflicts(),
                 QString("Z is bound to several actions: Forward, Backward, Zone."));
        QVERIFY(keys.capture("Zone", Qt::Key_Control));
        QVERIFY(keys.capture("PrevTime", Qt::Key_R));
        QCOMPARE(keys.conflicts(),
                 QString("Z is bound to several actions: Forward, Backward.\n"
                         "R is bound to several actions: Animating origin, PrevTime."));

        // Ok keeps the larger action of the map on the key; Forward is left without one.
        keys.press(QDialogButtonBox::Ok);
        KeyMap camera = ViewActions::defaultCameraKeys();
        camera.insert(Qt::Key_Z, ViewActions::Backward);
        camera.remove(Qt::Key_S);
        QCOMPARE(w->view().keyMapForCamera(), camera);
        Keys again = w->openKeys();
        QVERIFY(again.dialog);
        QCOMPARE(again.keyLabel("Forward")->text(), QString());
        QCOMPARE(again.keyLabel("Backward")->text(), QString("Z"));
        again.dialog->close();
    }
    void dialogsGoWithTheWindow()
    {
        // Several may be open; closing the window neither waits for them nor leaks them.
        Keys first = w->openKeys();
        Keys second = w->openKeys();
        QVERIFY(first.dialog && second.dialog && first.dialog != second.dialog);
        w->close();
        // What the application checks before it quits on the last window closed.
        const QWidgetList windows = QApplication::topLevelWidgets();
        QVERIFY(std::none_of(windows.begin(), windows.end(), [](QWidget *window) {
            return window->isVisible() && window->testAttribute(Qt::WA_QuitOnClose);
        }));
        w.reset();
        QVERIFY(!first.dialog);
        QVERIFY(!second.dialog);
    }
};

QTEST_MAIN(TestKeys)
#include "tst_keys.moc"
