#include "testsupport.h"
#include "view/viewactions.h"
#include "view/vireoglwidget.h"
#include "widgets/vireocolorwidget.h"
#include "widgets/vireogradientcolorwidget.h"

#include <QAction>
#include <QComboBox>
#include <QRadioButton>
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

// Everything a profile can hold, as the window shows it. Stop positions are
// compared as floats, the precision they are read back with.
struct Settings
{
    QVector<int> operations; // aggregation, ΔT, normalization, reorganization, zone, threshold
    QVector<int> display;    // time display, display mode
    QVector<QColor> colors;  // missing values, background, width
    Stops stops;
    QVector<KeyMap> maps; // camera, picking, move
    int back = 0;
};

void compareSettings(const Settings &actual, const Settings &expected)
{
    QCOMPARE(actual.operations, expected.operations);
    QCOMPARE(actual.display, expected.display);
    QCOMPARE(actual.colors, expected.colors);
    QCOMPARE(actual.stops, expected.stops);
    QCOMPARE(actual.maps, expected.maps);
    QCOMPARE(actual.back, expected.back);
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
    {{{Qt::Key_W, 1},
      {Qt::Key_S, 4},
      {Qt::Key_A, 2},
      {Qt::Key_D, 8},
      {Qt::Key_O, 16},
      {Qt::Key_Shift, 32}},
     {{Qt::Key_P, 0}, {Qt::Key_T, 1}, {Qt::Key_Control, 2}, {Qt::Key_Escape, 3}},
     {{Qt::Key_J, 0}, {Qt::Key_K, 1}, {Qt::Key_L, 2}, {Qt::Key_M, 3}}},
    Qt::Key_H};
const Settings second = {{4, 60, 0, 2, 1, 30},
                         {1, 1},
                         {QColor(1, 2, 3), QColor(4, 5, 6), QColor(7, 8, 9)},
                         {{0.0f, Qt::black}, {0.5f, Qt::gray}, {1.0f, Qt::yellow}},
                         {ViewActions::defaultCameraKeys(), ViewActions::defaultPickingKeys(),
                          ViewActions::defaultMoveSelectionKeys()},
                         ViewActions::defaultReturnToOriginKey()};

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
        s.maps = {view()->keyMapForCamera(), view()->keyMapForPicking(),
                  view()->keyMapToMoveSelection()};
        s.back = view()->keyForReturnToOrigin();
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
        view()->setKeyMapForCamera(s.maps[0]);
        view()->setKeyMapForPicking(s.maps[1]);
        view()->setKeyMapToMoveSelection(s.maps[2]);
        view()->setKeyForReturnToOrigin(s.back);
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
                expected.maps = first.maps;
                expected.back = first.back;
            }
            compareSettings(w->read(), expected);
            if (QTest::currentTestFailed())
                QFAIL(kindNames[kind]);
        }
        QCOMPARE(w->warnings.size(), 0);
        QCOMPARE(w->saves.first(), Answer("Save profile", "INI Files (*.ini);;All files(*.*)"));
        QCOMPARE(w->fileDialogs.last().first, QString("Open profile"));
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

        // A complete profile holds no bindings and leaves them alone.
        w->run("Save", 0, path("complete.ini"));
        w->view()->setKeyMapForCamera(ViewActions::defaultCameraKeys());
        w->run("Open", 0, path("complete.ini"));
        QCOMPARE(w->view()->keyMapForCamera(), ViewActions::defaultCameraKeys());
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
        QVERIFY(::writeFile(path("garbage.ini"), QByteArray("\x7f"
                                                            "ELF\x02\x01\x01",
                                                            7) +
                                                     QByteArray(120, '\0')));
        QVERIFY(::writeFile(path("broken.ini"), "[Window\nbackgroundColor=#ff0000\n"));
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
        expected.maps[0].remove(Qt::Key_O);
        expected.maps[0].insert(Qt::Key_P, 16);
        compareSettings(w->read(), expected);
        QCOMPARE(w->warnings.size(), 0);
    }
};

QTEST_MAIN(TestProfiles)
#include "tst_profiles.moc"
