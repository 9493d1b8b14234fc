// Profiles and the key bindings dialog: what a window keeps of its settings.
#include "mainwindow/profile.h"
#include "testsupport.h"
#include "view/viewactions.h"
#include "view/vireoglwidget.h"
#include "widgets/keysconfigurationdialog.h"
#include "widgets/keysconfigurationwidget.h"
#include "widgets/vireocolorwidget.h"
#include "widgets/vireogradientcolorwidget.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

namespace {

using KeyMap = QMap<int, int>;
using Stops = QVector<QPair<float, QColor>>;
const char *const kindNames[] = {"Complete", "Operations", "Display", "Keys"};

// The view's key bindings.
struct Bindings
{
    QVector<KeyMap> maps; // camera, picking, move
    int back = 0;         // return to the origin
    bool operator==(const Bindings &o) const { return maps == o.maps && back == o.back; }
};

Bindings bindingsOf(const VireoGLWidget &view)
{
    return {{view.keyMapForCamera(), view.keyMapForPicking(), view.keyMapToMoveSelection()},
            view.keyForReturnToOrigin()};
}

// Everything a profile can hold, as the window shows it. Stop positions are
// compared as floats, the precision they are read back with.
struct Settings
{
    QVector<int> operations; // aggregation, ΔT, normalization, reorganization, zone, threshold
    QVector<int> display;    // time display, display mode
    QVector<QColor> colors;  // missing values, background, width
    Stops stops;
    Bindings keys;
};

void compareSettings(const Settings &actual, const Settings &expected)
{
    QCOMPARE(actual.operations, expected.operations);
    QCOMPARE(actual.display, expected.display);
    QCOMPARE(actual.colors, expected.colors);
    QCOMPARE(actual.stops, expected.stops);
    QCOMPARE(actual.keys.maps, expected.keys.maps);
    QCOMPARE(actual.keys.back, expected.keys.back);
}

QLinearGradient gradientOf(const Stops &stops)
{
    QLinearGradient gradient;
    for (const auto &stop : stops)
        gradient.setColorAt(double(stop.first), stop.second);
    return gradient;
}

const Settings first = {
    {2, 3600, 1, 1, 2, 75},
    {0, 2},
    {QColor(10, 20, 30), QColor(40, 50, 60), QColor(70, 80, 90)},
    {{0.0f, Qt::red}, {0.1f, Qt::green}, {0.7f, Qt::blue}, {1.0f, Qt::white}},
    {{{{Qt::Key_W, 1},
       {Qt::Key_S, 4},
       {Qt::Key_A, 2},
       {Qt::Key_D, 8},
       {Qt::Key_O, 16},
       {Qt::Key_Shift, 32}},
      {{Qt::Key_P, 0}, {Qt::Key_T, 1}, {Qt::Key_Control, 2}, {Qt::Key_Escape, 3}},
      {{Qt::Key_J, 0}, {Qt::Key_K, 1}, {Qt::Key_L, 2}, {Qt::Key_M, 3}}},
     Qt::Key_H}};
const Settings second = {{4, 60, 0, 2, 1, 30},
                         {1, 1},
                         {QColor(1, 2, 3), QColor(4, 5, 6), QColor(7, 8, 9)},
                         {{0.0f, Qt::black}, {0.5f, Qt::gray}, {1.0f, Qt::yellow}},
                         {{ViewActions::defaultCameraKeys(), ViewActions::defaultPickingKeys(),
                           ViewActions::defaultMoveSelectionKeys()},
                          ViewActions::defaultReturnToOriginKey()}};
const Bindings defaults = second.keys;

// The bindings the dialog's signal carries.
Bindings bindingsOf(const QList<QVariant> &signal)
{
    return {
        {signal.at(0).value<KeyMap>(), signal.at(2).value<KeyMap>(), signal.at(3).value<KeyMap>()},
        signal.at(1).toInt()};
}

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

const QStringList defaultTexts = {"Z", "S",    "Q",   "D",    "O",  "Shift", "R",   "A",
                                  "T", "Ctrl", "Esc", "Down", "Up", "Right", "Left"};

class Window : public TestWindow
{
public:
    QString status() { return statusBar()->currentMessage(); }
    QList<VireoColorWidget *> colorWidgets()
    {
        return {child<VireoColorWidget>("missingValuesColorWidget"),
                child<VireoColorWidget>("backgroundColorWidget"),
                child<VireoColorWidget>("widthColorWidget")};
    }
    VireoGradientColorWidget *gradientWidget()
    {
        return child<VireoGradientColorWidget>("gradientColorsForValuesWidget");
    }
    // Options -> Keys configuration; the new dialog once it is on screen.
    Keys openKeys()
    {
        auto *dialog = opened<KeysConfigurationDialog>(
            [this] { child<QAction>("actionKeys_configuration")->trigger(); });
        if (dialog)
            dialog->activateWindow();
        return Keys{dialog && QTest::qWaitForWindowActive(dialog) ? dialog : nullptr};
    }
    // Profile -> Save or Open -> the kind's entry, answering the file dialog with fileName.
    void run(const char *verb, int kind, const QString &fileName)
    {
        fileAnswer = saveAnswer = fileName;
        child<QAction>(qPrintable(QString("action%1%2Profile").arg(verb, kindNames[kind])))
            ->trigger();
    }
    Settings read()
    {
        Settings s;
        s.operations = {child<QComboBox>("comboBoxModeAgregation")->currentIndex(),
                        child<QSpinBox>("spinEpoch")->value(),
                        child<QRadioButton>("radioNormalizationGlobal")->isChecked() ? 0 : 1,
                        child<QComboBox>("comboBoxModeReorganization")->currentIndex(),
                        child<QComboBox>("correlationMode")->currentIndex(),
                        child<QSlider>("correlationThreshold")->value()};
        s.display = {child<QRadioButton>("radioBtnEpoch")->isChecked() ? 0 : 1,
                     child<QComboBox>("displayModeComboBox")->currentIndex()};
        for (VireoColorWidget *widget : colorWidgets())
            s.colors << widget->color();
        for (const QGradientStop &stop : gradientWidget()->gradient().stops())
            s.stops << qMakePair(float(stop.first), stop.second);
        s.keys = bindingsOf(*view());
        return s;
    }
    // Sets every widget as a user would, and the view's bindings.
    void apply(const Settings &s)
    {
        child<QComboBox>("comboBoxModeAgregation")->setCurrentIndex(s.operations[0]);
        child<QSpinBox>("spinEpoch")->setValue(s.operations[1]);
        child<QRadioButton>(s.operations[2] ? "radioNormalizationLocal"
                                            : "radioNormalizationGlobal")
            ->setChecked(true);
        child<QComboBox>("comboBoxModeReorganization")->setCurrentIndex(s.operations[3]);
        child<QComboBox>("correlationMode")->setCurrentIndex(s.operations[4]);
        child<QSlider>("correlationThreshold")->setValue(s.operations[5]);
        child<QRadioButton>(s.display[0] ? "radioBtnGMT" : "radioBtnEpoch")->setChecked(true);
        child<QComboBox>("displayModeComboBox")->setCurrentIndex(s.display[1]);
        for (int i = 0; i < 3; ++i)
            colorWidgets()[i]->setColor(s.colors[i]);
        gradientWidget()->setGradient(gradientOf(s.stops));
        view()->setKeyMapForCamera(s.keys.maps[0]);
        view()->setKeyMapForPicking(s.keys.maps[1]);
        view()->setKeyMapToMoveSelection(s.keys.maps[2]);
        view()->setKeyForReturnToOrigin(s.keys.back);
    }
};

} // namespace

class TestProfiles : public QObject
{
    Q_OBJECT

    std::unique_ptr<Window> w;
    std::unique_ptr<QTemporaryDir> dir;

    QString path(const QString &name) const { return dir->filePath(name); }
    // A profile written key by key, as another program or an older one might.
    QString writeFile(const QString &name, const QVariantMap &values)
    {
        QSettings settings(path(name), QSettings::IniFormat);
        for (auto it = values.begin(); it != values.end(); ++it)
            settings.setValue(it.key(), it.value());
        return path(name);
    }

private slots:
    void initTestCase() { qRegisterMetaType<KeyMap>("QMap<int,int>"); }
    void init()
    {
        dir.reset(new QTemporaryDir);
        w.reset(new Window);
        QVERIFY(showExposed(*w, QSize(1000, 800)));
    }
    void cleanup()
    {
        w.reset();
        dir.reset();
    }
    void roundTrips()
    {
        const QStringList sections[] = {{"Operations", "Window"},
                                        {"Operations"},
                                        {"Window"},
                                        {"CameraKeys", "MoveSelectKeys", "PickingKeys"}};
        for (int kind = 0; kind < 4; ++kind) {
            const QString file = path(QString("%1.ini").arg(kind));
            w->apply(first);
            w->run("Save", kind, file);
            QCOMPARE(w->status(), QString("Profile saved"));
            QCOMPARE(QSettings(file, QSettings::IniFormat).childGroups(), sections[kind]);
            w->apply(second);
            w->run("Open", kind, file);
            QCOMPARE(w->status(), QString("Profile opened"));

            Settings expected = second;
            if (kind <= 1)
                expected.operations = first.operations;
            if (kind == 0 || kind == 2) {
                expected.display = first.display;
                expected.colors = first.colors;
                expected.stops = first.stops;
            }
            if (kind == 3) {
                expected.keys = first.keys;
            }
            compareSettings(w->read(), expected);
            if (QTest::currentTestFailed())
                QFAIL(kindNames[kind]);
        }
        QCOMPARE(w->warnings.size(), 0);
        QCOMPARE(w->saves.first(), Answer("Save profile", "INI Files (*.ini);;All files(*.*)"));
        QCOMPARE(w->fileDialogs.last().first, QString("Open profile"));
    }
    // Every colour Qt may write must pass the check of what a profile holds,
    // whatever bytes its components give (quotes, backslashes, separators,
    // hex digits after an escape).
    void everyColourReadsBack()
    {
        QRandomGenerator random(7);
        const auto component = [&random] { return int(random.bounded(256)); };
        for (int i = 0; i < 1500; ++i) {
            QColor colour;
            switch (i % 5) {
            case 0:
                colour = QColor::fromRgba64(QRgba64::fromRgba64(random.generate64()));
                break;
            case 1:
                colour =
                    QColor::fromHsv(random.bounded(360), component(), component(), component());
                break;
            case 2:
                colour = QColor::fromCmyk(component(), component(), component(), component());
                break;
            case 3:
                colour =
                    QColor::fromHsl(random.bounded(360), component(), component(), component());
                break;
            default:
                colour = QColor::fromRgbF(random.generateDouble() * 3 - 1, 0.5, 1.5)
                             .convertTo(QColor::ExtendedRgb);
            }
            Profile saved, opened;
            saved.display.widthColor = colour;
            const QString file = path(QString("colour%1.ini").arg(i));
            QVERIFY(saved.save(file, Profile::Display));
            QVERIFY2(opened.open(file, Profile::Display), qPrintable(colour.name(QColor::HexArgb)));
            QCOMPARE(opened.display.widthColor, std::optional<QColor>(colour));
        }
    }
    void staleStopsAreRemoved()
    {
        // Five stops saved, then three over them: three come back, the others are gone from the
        // file.
        const QString file = path("display.ini");
        w->gradientWidget()->setGradient(gradientOf(
            {{0, Qt::red}, {0.2f, Qt::green}, {0.4f, Qt::blue}, {0.6f, Qt::cyan}, {1, Qt::white}}));
        w->run("Save", 2, file);
        const Stops three = {{0, Qt::black}, {0.3f, Qt::gray}, {1, Qt::red}};
        w->gradientWidget()->setGradient(gradientOf(three));
        w->run("Save", 2, file);
        w->gradientWidget()->setGradient(gradientOf({{0, Qt::blue}, {1, Qt::green}}));
        w->run("Open", 2, file);
        QCOMPARE(w->read().stops, three);
        QSettings settings(file, QSettings::IniFormat);
        settings.beginGroup("Window");
        QCOMPARE(settings.childKeys().filter("gradientStop").size(), 6);
        QCOMPARE(settings.value(QString("gradientStopValue") + QChar(2)).toDouble(), 1.0);
    }
    void keysProfiles()
    {
        // Forward and Backward on W: the camera map loses one of them (Backward, whose current
        // key comes first), and a later save no longer names it.
        QVariantMap keys = {{"CameraKeys/back", int(Qt::Key_R)}};
        for (const ViewActions::Row &row : ViewActions::rows()) {
            const char *group[] = {"CameraKeys", "", "PickingKeys", "MoveSelectKeys"};
            if (row.binding != ViewActions::ReturnToOriginKey)
                keys.insert(QString("%1/%2").arg(group[row.binding]).arg(row.action),
                            row.defaultKey);
        }
        keys["CameraKeys/1"] = int(Qt::Key_W);
        keys["CameraKeys/4"] = int(Qt::Key_W);
        w->run("Open", 3, writeFile("shared.ini", keys));
        KeyMap camera = {
            {Qt::Key_W, 1}, {Qt::Key_Q, 2}, {Qt::Key_D, 8}, {Qt::Key_O, 16}, {Qt::Key_Shift, 32}};
        QCOMPARE(w->view()->keyMapForCamera(), camera);
        QCOMPARE(w->view()->keyMapForPicking(), ViewActions::defaultPickingKeys());
        w->run("Save", 3, path("shared.ini"));
        QSettings saved(path("shared.ini"), QSettings::IniFormat);
        QCOMPARE(saved.value("CameraKeys/1").toInt(), int(Qt::Key_W));
        QVERIFY(!saved.contains("CameraKeys/4"));

        // A file naming the lost action gives it its key back.
        w->run("Open", 3, writeFile("backward.ini", {{"CameraKeys/4", int(Qt::Key_X)}}));
        camera.insert(Qt::Key_X, 4);
        QCOMPARE(w->view()->keyMapForCamera(), camera);

        QCOMPARE(w->warnings.size(), 0);
    }
    void equalProfileRunsNoStage()
    {
        QVERIFY(w->load(dataFile("mainwindow_international.csv")));
        QCOMPARE(w->currentStage(), 4);
        const QString file = path("same.ini");
        w->run("Save", 0, file);

        QList<std::shared_ptr<QSignalSpy>> colors;
        for (VireoColorWidget *widget : w->colorWidgets())
            colors << std::make_shared<QSignalSpy>(widget, &VireoColorWidget::colorChanged);
        QSignalSpy gradient(w->gradientWidget(), &VireoGradientColorWidget::gradientChanged);
        const Settings before = w->read();
        w->run("Open", 0, file);
        QVERIFY(!w->runningTask());
        QCOMPARE(w->currentStage(), 4);
        for (const auto &spy : colors)
            QCOMPARE(spy->count(), 1);
        QCOMPARE(gradient.count(), 1);
        compareSettings(w->read(), before);

        // A different reorganization reruns the chain from there; so does another
        // normalization, although setting its button is no click.
        const struct
        {
            const char *key;
            int value;
            int stage;
        } changes[] = {{"Operations/Reorganization/mode", 2, 3},
                       {"Operations/Normalization/mode", 0, 2}};
        for (const auto &change : changes) {
            writeFile("same.ini", {{change.key, change.value}});
            w->run("Open", 1, file);
            QVERIFY2(w->runningTask(), change.key);
            QCOMPARE(w->currentStage(), change.stage);
            QVERIFY(w->waitIdle());
            QCOMPARE(w->currentStage(), 4);
        }
        QVERIFY(w->child<QRadioButton>("radioNormalizationGlobal")->isChecked());

        // The view follows an opened colour: down the axis it shows the background.
        w->run("Open", 2, writeFile("same.ini", {{"Window/backgroundColor", QColor(40, 50, 60)}}));
        const QImage frame = w->view()->grabFramebuffer();
        QCOMPARE(frame.pixelColor(frame.width() / 2, frame.height() / 2), QColor(40, 50, 60));
    }
    void failuresChangeNothing()
    {
        QVERIFY(::writeFile(path("plain.txt"), "text"));
        // The start of a program: binary, with zero bytes.
        QVERIFY(::writeFile(path("garbage.ini"),
                            QByteArray::fromHex("7f454c46020101") + QByteArray(120, '\0')));
        QVERIFY(::writeFile(path("broken.ini"), "[Window\nbackgroundColor=#ff0000\n"));
        // A stream that asks Qt for more memory than there is.
        QVERIFY(::writeFile(path("forged.ini"), "[Window]\nbackgroundColor=@Variant(\\0\\0\\0"
                                                "\\x92\\x67\\xf0\\x20\\x20\\0)\n"));
        const QString keysOnly = writeFile("keys.ini", {{"CameraKeys/1", int(Qt::Key_W)}});

        const struct
        {
            const char *verb;
            int kind;
            QString file;
            QString warning; // empty: cancelled, nothing shown
        } rows[] = {
            {"Save", 2, path("plain.txt/profile.ini"), "Unable to save profile"},
            {"Save", 0, dir->path(), "Unable to save profile"},
            {"Save", 3, QString(), QString()},
            {"Save", 1, path("broken.ini"), "Unable to save profile"},
            {"Open", 0, path("absent.ini"), "Unable to open profile"},
            {"Open", 2, dir->path(), "Unable to open profile"},
            {"Open", 0, path("garbage.ini"), "Unable to open profile"},
            {"Open", 2, path("broken.ini"), "Unable to open profile"},
            {"Open", 0, path("forged.ini"), "Unable to open profile"},
            {"Save", 2, path("forged.ini"), "Unable to save profile"},
            {"Open", 2, keysOnly, "Unable to open profile"},
            {"Open", 3, path("complete.ini"), "Unable to open profile"},
            {"Open", 1, QString(), QString()},
        };
        w->apply(first);
        w->run("Save", 0, path("complete.ini"));
        const Settings before = w->read();
        QSignalSpy background(w->colorWidgets()[1], &VireoColorWidget::colorChanged);
        for (const auto &row : rows) {
            const QString what = QString("%1 %2 %3").arg(row.verb).arg(row.kind).arg(row.file);
            w->warnings.clear();
            w->statusBar()->showMessage("before");
            w->run(row.verb, row.kind, row.file);
            QVERIFY2(w->status() == "before", qPrintable(what));
            QVERIFY2(w->warnings.size() == (row.warning.isEmpty() ? 0 : 1), qPrintable(what));
            if (!row.warning.isEmpty()) {
                QCOMPARE(w->warnings[0].first, row.warning);
                QVERIFY2(w->warnings[0].second.contains(row.file), qPrintable(what));
            }
            compareSettings(w->read(), before);
            QCOMPARE(background.count(), 0);
        }
        QVERIFY(!QFileInfo::exists(path("plain.txt/profile.ini")));
        QVERIFY(!QSettings(path("broken.ini"), QSettings::IniFormat)
                     .contains("Operations/Agregation/type"));
    }
    void missingKeysChangeNothing()
    {
        w->apply(second);
        Settings expected = w->read();
        const QString file = writeFile(
            "partial.ini",
            {{"Operations/Correlation/threshold", 40},
             {"Operations/Agregation/type", 99},   // no such entry
             {"Operations/Normalization/mode", 5}, // neither button
             {"Operations/Agregation/epoch", 0},   // would be read as 1 s
             {"Window/displayMode", "wide"},       // not a number
             {"Window/backgroundColor", QColor(11, 12, 13)},
             {"Window/missingValueColor", "#102030"},
             {"Window/widthColor", "not a colour"},
             {QString("Window/gradientStopValue") + QChar(0), 0.0}, // one stop is no gradient
             {QString("Window/gradientStopColor") + QChar(0), QColor(Qt::red)},
             {"CameraKeys/16", int(Qt::Key_P)}});
        w->run("Open", 0, file);
        w->run("Open", 3, file);
        expected.operations[5] = 40;
        expected.colors[0] = QColor(0x10, 0x20, 0x30);
        expected.colors[1] = QColor(11, 12, 13);
        expected.keys.maps[0].remove(Qt::Key_O);
        expected.keys.maps[0].insert(Qt::Key_P, 16);
        compareSettings(w->read(), expected);
        QCOMPARE(w->warnings.size(), 0);
    }

    void opensWithTheViewsBindings()
    {
        Keys keys = w->openKeys();
        QVERIFY(keys.dialog);
        QCOMPARE(keys.shown(), defaultTexts);
        // The first seven rows are camera keys.
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
        w->view()->setKeyMapForCamera(
            {{Qt::Key_W, ViewActions::Forward}, {Qt::Key_X, ViewActions::Left}});
        w->view()->setKeyForReturnToOrigin(Qt::Key_F2);
        w->view()->setKeyMapForPicking({{Qt::Key_Shift, ViewActions::Zone}});
        w->view()->setKeyMapToMoveSelection({});
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
        const Data data(8, 10);
        w->view()->setData(data);
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
            {{{Qt::Key_W, 1},
              {Qt::Key_S, 4},
              {Qt::Key_Q, 2},
              {Qt::Key_D, 8},
              {Qt::Key_O, 16},
              {Qt::Key_Control, 32}},
             {{Qt::Key_Meta, 0}, {Qt::Key_Alt, 1}, {Qt::Key_Shift, 2}, {Qt::Key_F1, 3}},
             {{Qt::Key_Down, 0}, {Qt::Key_Return, 1}, {Qt::Key_Home, 2}, {Qt::Key_Left, 3}}},
            Qt::Key_Escape};
        QVERIFY(bindingsOf(selected.at(0)) == expected);
        QVERIFY(bindingsOf(*w->view()) == expected);
        QTRY_VERIFY(!keys.dialog); // released once closed

        // W now flies forward and Z does nothing.
        VireoGLWidget &view = *w->view();
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
        // R no longer flies back; Escape does.
        QTest::keyClick(&view, Qt::Key_R);
        QVERIFY(!camera.isAnimating());
        QTest::keyClick(&view, Qt::Key_Escape);
        QVERIFY(camera.isAnimating());
        QTRY_VERIFY(!camera.isAnimating());
        // Return moves the selection to the next time step, Up no longer does.
        view.setSelection(Selection(data, 3, 3, 2, 2));
        QTest::keyClick(&view, Qt::Key_Up);
        QCOMPARE(view.selection().firstTime, 2);
        QTest::keyClick(&view, Qt::Key_Return);
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
            QVERIFY(bindingsOf(*w->view()) == defaults);
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
        QCOMPARE(w->view()->keyMapForCamera(), camera);
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

QTEST_MAIN(TestProfiles)
#include "tst_profiles.moc"
