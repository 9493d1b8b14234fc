#include "core/task.h"
#include "io/filereader.h"
#include "mainwindow/vireomainwindow.h"
#include "view/vireoglwidget.h"
#include "widgets/vireocolorwidget.h"
#include "widgets/vireogradientcolorwidget.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QSurfaceFormat>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTranslator>
#include <QTreeView>
#include <QTreeWidget>

#include <cmath>

namespace {

using Answer = QPair<QString, QString>;

// The window with its dialogs answered from the test.
class TestWindow : public VireoMainWindow
{
public:
    using VireoMainWindow::currentStage;
    using VireoMainWindow::loadFile;
    using VireoMainWindow::runningTask;

    QString fileAnswer;
    QMessageBox::StandardButton questionAnswer = QMessageBox::Cancel;
    QList<Answer> fileDialogs, questions, warnings, informations;

protected:
    QString askOpenFileName(const QString &caption, const QString &filter) override
    {
        fileDialogs << Answer(caption, filter);
        return fileAnswer;
    }
    QMessageBox::StandardButton askQuestion(const QString &title, const QString &text) override
    {
        questions << Answer(title, text);
        return questionAnswer;
    }
    void showWarning(const QString &title, const QString &text) override
    {
        warnings << Answer(title, text);
    }
    void showInformation(const QString &title, const QString &text) override
    {
        informations << Answer(title, text);
    }
};

QString dataFile(const char *name)
{
    return QStringLiteral(VIREO_TEST_DATA_DIR "/") + QLatin1String(name);
}

template <typename T> T *child(QObject &window, const char *name)
{
    return window.findChild<T *>(QLatin1String(name));
}

QString text(QObject &window, const char *lineEdit)
{
    return child<QLineEdit>(window, lineEdit)->text();
}

// The message a reader fails with, straight from the reader.
QString readerMessage(const QString &fileName, int mode, int origin)
{
    auto *reader = new FileReader(fileName, mode, origin);
    QSignalSpy finished(reader, &Task::finished);
    reader->start();
    finished.wait(10000);
    const QString message = reader->errorMessage();
    delete reader;
    return message;
}

// A synchronous International file of rows x 4 values, slow enough to read
// that a stop request finds the reader running.
QString writeLargeFile(const QTemporaryDir &dir, int rows)
{
    const QString name = dir.filePath(QStringLiteral("large.csv"));
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    QByteArray bytes = "Time,A,B,C,D\n2\n3\n4\n5\n6\n7\n8\n9\n10\n";
    const QDateTime start(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC);
    for (int i = 0; i < rows; ++i)
        bytes += start.addSecs(i).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")).toLatin1() +
                 ",1.25,2.5,3.75,5\n";
    file.write(bytes);
    return name;
}

// Window pixel of a point of the wall: the middle of the cell of attribute a
// (of n) at time index t, seen through the view's own camera.
QPoint cellPixel(const VireoGLWidget &view, int n, int a, int t)
{
    const double step = 2 * M_PI / n;
    const double middle = -step * (a + 0.5);
    const double chord = view.tubeRadius() * std::cos(step / 2);
    const QVector3D point(float(chord * std::cos(middle)), float(chord * std::sin(middle)),
                          -(t + 0.5f) * view.timeStepLength());
    QMatrix4x4 projection;
    projection.perspective(45.0f, float(view.width()) / view.height(), 0.01f, 1000.0f);
    const QVector3D ndc = (projection * view.camera().viewMatrix()).map(point);
    return QPoint(int((ndc.x() + 1) / 2 * view.width()), int((1 - ndc.y()) / 2 * view.height()));
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestWindow> w;

    bool load(const QString &fileName, int mode = 0, int origin = 1)
    {
        w->loadFile(fileName, mode, origin);
        return QTest::qWaitFor([this] { return !w->runningTask(); }, 10000);
    }

private slots:
    void init()
    {
        w = std::make_unique<TestWindow>();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    void cleanup()
    {
        w.reset();
        QVERIFY(QThreadPool::globalInstance()->waitForDone(10000));
    }

    void widgetTree();
    void menus();
    void coloursReachView();
    void loadFileFillsFields_data();
    void loadFileFillsFields();
    void timeDisplayMode();
    void openFileFlow_data();
    void openFileFlow();
    void failedLoadKeepsData();
    void tooFewTimeStamps();
    void supersededReadersAreDropped();
    void closingStopsReader();
    void displayModeAndAbout();
    void translation();
};

void TestMainWindow::widgetTree()
{
    QCOMPARE(w->windowTitle(), QStringLiteral("Vireo"));
    QCOMPARE(w->size(), QSize(1123, 814));
    QVERIFY(QFile::exists(QStringLiteral(":/icons/res/AppIcon.ico")));
    QVERIFY(!w->windowIcon().availableSizes().isEmpty());
    QCOMPARE(w->locale(), QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY(child<VireoGLWidget>(*w, "glWidget"));

    // clang-format off
    const QList<QPair<const char *, const char *>> texts = {
        {"grp0FileInfos", "File Information :"}, {"label_2", "Name: "},
        {"label_3", "Number of attributes:"}, {"label_4", "Start time:"},
        {"label_5", "End time:"}, {"grp1Agregation", "Agregation:"}, {"label", "ΔT - GMT"},
        {"label_6", "ΔT - Epoch"}, {"label_16", "ΔT - Step count"},
        {"label_17", "Agregation Mode:"}, {"grp2Normalization", "Normalization:"},
        {"label_23", "Normalization Mode:"}, {"radioNormalizationLocal", "Local"},
        {"radioNormalizationGlobal", "Global"}, {"grp3Reorganization", "Reorganization:"},
        {"label_21", "Algorithm:"}, {"grp4Display", "Display"}, {"label_26", "Time"},
        {"radioBtnEpoch", "Epoch"}, {"radioBtnGMT", "GMT"}, {"label_24", "Display mode"},
        {"grp4Display_2", "Colors"}, {"pushButton", "Color Brewer"},
        {"grp5Correlation", "Correlation"}, {"label_22", "Lookup zone:"},
        {"label_25", "Threshold"}, {"correlationThresholdLabel", "0.10"},
        {"selectedValueLabel", "No selection"}};
    // clang-format on
    for (const auto &t : texts) {
        QObject *o = w->findChild<QObject *>(QLatin1String(t.first));
        QVERIFY2(o, t.first);
        const char *property = qobject_cast<QGroupBox *>(o) ? "title" : "text";
        QCOMPARE(o->property(property).toString(), QString::fromUtf8(t.second));
    }
    for (const char *name : {"txtNom", "txtNbAttribut", "txtDataDebut", "txtDataFin"}) {
        QVERIFY(child<QLineEdit>(*w, name)->isReadOnly());
        QVERIFY(text(*w, name).isEmpty());
    }
    // Each colour editor with the label on its left in the form.
    const QList<QPair<const char *, const char *>> colours = {
        {"gradientColorsForValuesWidget", "Values"}, {"missingValuesColorWidget", "Missing value"},
        {"backgroundColorWidget", "Background"},     {"selectionColorWidget", "Selection"},
        {"correlationColorWidget", "Correlation"},   {"widthColorWidget", "Width"}};
    auto *form = qobject_cast<QFormLayout *>(child<QGroupBox>(*w, "grp4Display_2")->layout());
    for (const auto &c : colours) {
        QWidget *editor = child<QWidget>(*w, c.first);
        auto *label = qobject_cast<QLabel *>(form->labelForField(editor));
        QVERIFY2(label, c.first);
        QCOMPARE(label->text(), QLatin1String(c.second));
        QCOMPARE(editor->minimumSize(), QSize(20, c == colours.first() ? 200 : 20));
    }
    QVERIFY(child<VireoGradientColorWidget>(*w, "gradientColorsForValuesWidget"));
    QCOMPARE(w->findChildren<VireoColorWidget *>().size(), 5);

    QVERIFY(child<QRadioButton>(*w, "radioNormalizationLocal")->isChecked());
    QVERIFY(child<QRadioButton>(*w, "radioBtnGMT")->isChecked());
    QVERIFY(!child<QRadioButton>(*w, "radioBtnEpoch")->isChecked());

    auto *tabs = child<QTabWidget>(*w, "tabWidget");
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->count(), 4);
    const char *tabNames[] = {"tab", "tab_2", "tab_3", "tab_4"};
    const char *tabTitles[] = {"Operations", "Display", "Selections", "Annotations"};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(tabs->widget(i)->objectName(), QLatin1String(tabNames[i]));
        QCOMPARE(tabs->tabText(i), QLatin1String(tabTitles[i]));
    }

    const QList<QPair<const char *, QStringList>> combos = {
        {"comboBoxModeAgregation", {"None", "Sum", "Average", "Max", "Min"}},
        {"comboBoxModeReorganization", {"None", "BEA", "By first non-missing value"}},
        {"displayModeComboBox", {"Color", "Width", "Color & Width"}},
        {"correlationMode", {"All data", "Same attributes", "Same time steps"}}};
    for (const auto &c : combos) {
        auto *box = child<QComboBox>(*w, c.first);
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        QCOMPARE(items, c.second);
        QCOMPARE(box->currentIndex(), 0);
    }

    struct Range
    {
        const char *name;
        int minimum, maximum, value;
    };
    const Range spins[] = {{"spinYear", 0, 99, 0},           {"spinMonth", 0, 99, 0},
                           {"spinDay", 0, 999, 1},           {"spinHour", 0, 99, 0},
                           {"spinMinute", 0, 99, 0},         {"spinSecond", 0, 99, 0},
                           {"spinEpoch", 1, INT_MAX, 86400}, {"spinNbEpoch", 1, INT_MAX, 1}};
    for (const Range &r : spins) {
        auto *box = child<QSpinBox>(*w, r.name);
        QVERIFY2(box, r.name);
        QCOMPARE(box->minimum(), r.minimum);
        QCOMPARE(box->maximum(), r.maximum);
        QCOMPARE(box->value(), r.value);
    }
    QCOMPARE(child<QSpinBox>(*w, "spinYear")->parentWidget()->objectName(), "DeltTGMT");
    auto *slider = child<QSlider>(*w, "correlationThreshold");
    QCOMPARE(slider->minimum(), 0);
    QCOMPARE(slider->maximum(), 100);
    QCOMPARE(slider->value(), 10);
    QCOMPARE(slider->tickPosition(), QSlider::TicksBothSides);
    QCOMPARE(slider->tickInterval(), 10);

    for (const char *name : {"readingProgressBar", "agregProgressBar", "normProgressBar",
                             "reorgProgressBar", "correlationProgressBar"}) {
        auto *bar = child<QProgressBar>(*w, name);
        QVERIFY2(bar, name);
        QCOMPARE(bar->orientation(), Qt::Vertical);
        QCOMPARE(bar->maximumSize(), QSize(15, 30));
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 100);
        QCOMPARE(bar->value(), 0);
    }

    // Result panels wait for something to show.
    QVERIFY(child<QTreeView>(*w, "selectionTreeView")->isHidden());
    QVERIFY(child<QGroupBox>(*w, "grp5Correlation")->isHidden());
    QVERIFY(child<QTreeView>(*w, "correlationTreeView")->isHidden());
    auto *annotations = child<QTreeWidget>(*w, "annotationTreeWidget");
    QVERIFY(annotations->isHidden());
    QVERIFY(annotations->isHeaderHidden());
    QCOMPARE(annotations->geometry(), QRect(10, 10, 351, 521));
}

void TestMainWindow::menus()
{
    const QList<QPair<const char *, QStringList>> menus = {
        {"menuFile", {"menuOpen", "menuExport_to_CSV_format", "", "actionQuit"}},
        {"menuOpen", {"actionOpenSyncFile", "actionOpenAsyncFile"}},
        {"menuExport_to_CSV_format",
         {"actionExportNormalizedDatas", "actionExportNonNormalizedDatas"}},
        {"menuProfile", {"menuSave", "menuOpen_2"}},
        {"menuSave",
         {"actionSaveCompleteProfile", "actionSaveOperationsProfile", "actionSaveDisplayProfile",
          "actionSaveKeysProfile"}},
        {"menuOpen_2",
         {"actionOpenCompleteProfile", "actionOpenOperationsProfile", "actionOpenDisplayProfile",
          "actionOpenKeysProfile"}},
        {"menuOptions", {"actionKeys_configuration"}},
        {"menu", {"actionAbout"}}};
    for (const auto &m : menus) {
        auto *menu = child<QMenu>(*w, m.first);
        QVERIFY2(menu, m.first);
        QStringList entries;
        for (QAction *action : menu->actions())
            entries << (action->menu() ? action->menu()->objectName() : action->objectName());
        QCOMPARE(entries, m.second);
    }
    QStringList bar;
    for (QAction *action : w->menuBar()->actions())
        bar << action->text();
    QCOMPARE(bar, QStringList({"File", "Profile", "Options", "?"}));
    QCOMPARE(child<QMenu>(*w, "menuExport_to_CSV_format")->title(), "Export to CSV format");
    QCOMPARE(child<QAction>(*w, "actionOpenSyncFile")->text(), "Synchronous File");
    QCOMPARE(child<QAction>(*w, "actionExportNonNormalizedDatas")->text(), "Non normalized data");
    QCOMPARE(child<QAction>(*w, "actionOpenKeysProfile")->text(), "Keys profile");

    // Ctrl+Q is the one shortcut, and it closes the window.
    for (QAction *action : w->findChildren<QAction *>()) {
        const QKeySequence expected = action->objectName() == "actionQuit"
                                          ? QKeySequence(Qt::CTRL + Qt::Key_Q)
                                          : QKeySequence();
        QCOMPARE(action->shortcut(), expected);
    }
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    QTest::keyClick(w.get(), Qt::Key_Q, Qt::ControlModifier);
    QTRY_VERIFY(!w->isVisible());
}

void TestMainWindow::coloursReachView()
{
    // Attributes 0, missing, 0, 1 at every one of 50 time steps.
    QVERIFY(load(dataFile("mainwindow_colours.csv")));
    auto *view = child<VireoGLWidget>(*w, "glWidget");
    QCOMPARE(view->data().attributeCount(), 4);
    auto pixels = [view] {
        const QImage image = view->grabFramebuffer();
        QList<QColor> colours;
        for (int a = 0; a < 4; ++a)
            colours << image.pixelColor(cellPixel(*view, 4, a, 20));
        // The axis looks past the tube's far end onto the background.
        colours << image.pixelColor(view->width() / 2, view->height() / 2);
        return colours;
    };
    // The start values, pushed by the colour widgets' own change signals.
    QCOMPARE(pixels(), QList<QColor>({QColor(0, 0, 255), QColor(255, 0, 255), QColor(0, 0, 255),
                                      QColor(170, 255, 255), QColor(0, 0, 0)}));

    QLinearGradient gradient;
    gradient.setColorAt(0, QColor(200, 0, 0));
    gradient.setColorAt(1, QColor(0, 100, 0));
    child<VireoGradientColorWidget>(*w, "gradientColorsForValuesWidget")->setGradient(gradient);
    child<VireoColorWidget>(*w, "missingValuesColorWidget")->setColor(QColor(10, 20, 30));
    child<VireoColorWidget>(*w, "backgroundColorWidget")->setColor(QColor(40, 50, 60));
    QCOMPARE(pixels(), QList<QColor>({QColor(200, 0, 0), QColor(10, 20, 30), QColor(200, 0, 0),
                                      QColor(0, 100, 0), QColor(40, 50, 60)}));

    // The width mode paints every present value in the width colour.
    child<VireoColorWidget>(*w, "widthColorWidget")->setColor(QColor(0, 0, 250));
    child<QComboBox>(*w, "displayModeComboBox")->setCurrentIndex(1);
    QCOMPARE(view->grabFramebuffer().pixelColor(cellPixel(*view, 4, 3, 20)), QColor(0, 0, 250));
}

void TestMainWindow::loadFileFillsFields_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("origin");
    QTest::newRow("French") << "plant_sensors_fr.csv" << 0;
    QTest::newRow("International") << "plant_sensors_intl.csv" << 1;
}

void TestMainWindow::loadFileFillsFields()
{
    QFETCH(QString, file);
    QFETCH(int, origin);
    const QString name = QStringLiteral(VIREO_SOURCE_DIR "/examples/") + file;
    w->loadFile(name, 0, origin);
    QCOMPARE(w->statusBar()->currentMessage(), "Loading data...");
    QCOMPARE(w->currentStage(), 0);
    QVERIFY(QTest::qWaitFor([this] { return !w->runningTask(); }, 10000));

    QVERIFY(w->warnings.isEmpty());
    QCOMPARE(text(*w, "txtNom"), name);
    QCOMPARE(text(*w, "txtNbAttribut"), "31");
    // 3000 rows every 5 minutes: the last is 2999 * 5 min = 10 d 9 h 55 min later.
    QCOMPARE(text(*w, "txtDataDebut"), "2014-03-24 00:00:00");
    QCOMPARE(text(*w, "txtDataFin"), "2014-04-03 09:55:00");
    QCOMPARE(w->statusBar()->currentMessage(), "Data loaded");
    QCOMPARE(child<QProgressBar>(*w, "readingProgressBar")->value(), 100);
    QCOMPARE(child<QSpinBox>(*w, "spinNbEpoch")->value(), 3000);
    QCOMPARE(child<QSpinBox>(*w, "spinEpoch")->value(), 300);
    QCOMPARE(w->currentStage(), 1);

    const Data shown = child<VireoGLWidget>(*w, "glWidget")->data();
    QCOMPARE(shown.attributeCount(), 31);
    QCOMPARE(shown.timeCount(), 3000);
    QCOMPARE(shown.attributes.first(), "boiler_temp_C");
    QCOMPARE(shown.value(0, 0), 479.8);
}

void TestMainWindow::timeDisplayMode()
{
    // Before a file is loaded the fields stay empty.
    QTest::mouseClick(child<QRadioButton>(*w, "radioBtnEpoch"), Qt::LeftButton);
    QVERIFY(text(*w, "txtDataDebut").isEmpty());

    QVERIFY(load(dataFile("mainwindow_international.csv")));
    QCOMPARE(text(*w, "txtNbAttribut"), "3");
    QCOMPARE(child<QSpinBox>(*w, "spinNbEpoch")->value(), 4);
    QCOMPARE(child<QSpinBox>(*w, "spinEpoch")->value(), 3600);
    const Data shown = child<VireoGLWidget>(*w, "glWidget")->data();
    QCOMPARE(shown.value(3, 2), 1000.0);
    QVERIFY(qIsNaN(shown.value(1, 1)));

    // 2014-01-01 is 44 * 365 + 11 leap days = 16071 days after 1970-01-01:
    // 16071 * 86400 = 1388534400; the end is 4.5 h = 16200 s later.
    QCOMPARE(text(*w, "txtDataDebut"), "1388534400");
    QCOMPARE(text(*w, "txtDataFin"), "1388550600");
    QTest::mouseClick(child<QRadioButton>(*w, "radioBtnGMT"), Qt::LeftButton);
    QCOMPARE(text(*w, "txtDataDebut"), "2014-01-01 00:00:00");
    QCOMPARE(text(*w, "txtDataFin"), "2014-01-01 04:30:00");
    QTest::mouseClick(child<QRadioButton>(*w, "radioBtnEpoch"), Qt::LeftButton);
    QCOMPARE(text(*w, "txtDataFin"), "1388550600");
}

void TestMainWindow::openFileFlow_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("attributes"); // empty: nothing loaded

    const QString sync = QStringLiteral("actionOpenSyncFile");
    const QString french = dataFile("mainwindow_french.csv");
    QTest::newRow("French file, Yes")
        << sync << french << int(QMessageBox::Yes) << "Select file synchrone"
        << "3";
    QTest::newRow("International file, No") << sync << dataFile("mainwindow_international.csv")
                                            << int(QMessageBox::No) << "Select file synchrone"
                                            << "3";
    QTest::newRow("Cancel") << sync << french << int(QMessageBox::Cancel) << "Select file synchrone"
                            << "";
    QTest::newRow("no answer") << sync << french << int(QMessageBox::NoButton)
                               << "Select file synchrone"
                               << "";
    QTest::newRow("no file, Yes") << sync << QString() << int(QMessageBox::Yes)
                                  << "Select file synchrone"
                                  << "";
    QTest::newRow("asynchronous, No") << "actionOpenAsyncFile" << dataFile("mainwindow_async.csv")
                                      << int(QMessageBox::No) << "Select file asynchrone"
                                      << "2";
}

void TestMainWindow::openFileFlow()
{
    QFETCH(QString, action);
    QFETCH(QString, file);
    QFETCH(int, answer);
    QFETCH(QString, caption);
    QFETCH(QString, attributes);

    w->fileAnswer = file;
    w->questionAnswer = QMessageBox::StandardButton(answer);
    child<QAction>(*w, qPrintable(action))->trigger();
    QCOMPARE(w->fileDialogs, QList<Answer>({{caption, "CSV Files (*.csv);;All files(*.*)"}}));
    QCOMPARE(w->questions.size(), 1);
    QCOMPARE(w->questions[0].first, "Origin of your CSV file");
    QVERIFY(w->questions[0].second.startsWith("<p>Click on the origin of your CSV file : <p>Yes"));

    QVERIFY(QTest::qWaitFor([this] { return !w->runningTask(); }, 10000));
    QVERIFY(w->warnings.isEmpty());
    QCOMPARE(text(*w, "txtNbAttribut"), attributes);
    QCOMPARE(text(*w, "txtNom"), attributes.isEmpty() ? QString() : file);
    // Every file starts with the value 1.5, written "1,5" in the French one.
    if (!attributes.isEmpty())
        QCOMPARE(child<VireoGLWidget>(*w, "glWidget")->data().value(0, 0), 1.5);
}

void TestMainWindow::failedLoadKeepsData()
{
    const QString good = dataFile("mainwindow_international.csv");
    QVERIFY(load(good));
    auto *view = child<VireoGLWidget>(*w, "glWidget");

    const QList<QPair<QString, int>> failures = {
        {dataFile("mainwindow_missing.csv"), 1}, // no such file
        {dataFile("mainwindow_bad_row.csv"), 1}, // a row one value short
        {dataFile("mainwindow_french.csv"), 1}}; // ';' read as International
    for (const auto &f : failures) {
        w->warnings.clear();
        QVERIFY(load(f.first, 0, f.second));
        const QString message = readerMessage(f.first, 0, f.second);
        QVERIFY(!message.isEmpty());
        QCOMPARE(w->warnings, QList<Answer>({{"Unable to load file", message}}));
        QCOMPARE(w->currentStage(), 0);
        QCOMPARE(text(*w, "txtNom"), good);
        QCOMPARE(text(*w, "txtNbAttribut"), "3");
        QCOMPARE(view->data().timeCount(), 4);
    }
    // The chain waits for a successful load: switching the time display is ignored.
    QTest::mouseClick(child<QRadioButton>(*w, "radioBtnEpoch"), Qt::LeftButton);
    QCOMPARE(text(*w, "txtDataDebut"), "2014-01-01 00:00:00");
}

void TestMainWindow::tooFewTimeStamps()
{
    QVERIFY(load(dataFile("mainwindow_international.csv")));
    auto *epoch = child<QSpinBox>(*w, "spinEpoch");
    auto *steps = child<QSpinBox>(*w, "spinNbEpoch");

    QVERIFY(load(dataFile("mainwindow_one_time.csv")));
    QVERIFY(w->warnings.isEmpty());
    QCOMPARE(text(*w, "txtNom"), dataFile("mainwindow_one_time.csv"));
    QCOMPARE(text(*w, "txtNbAttribut"), "2");
    QCOMPARE(text(*w, "txtDataDebut"), "2014-06-01 12:00:00");
    QCOMPARE(text(*w, "txtDataFin"), "2014-06-01 12:00:00");
    QCOMPARE(epoch->value(), 3600);
    QCOMPARE(steps->value(), 4);
    QCOMPARE(w->statusBar()->currentMessage(), "The file has too few time stamps to be processed.");
    QCOMPARE(w->currentStage(), 0);
    QCOMPARE(child<VireoGLWidget>(*w, "glWidget")->data().timeCount(), 4);

    QVERIFY(load(dataFile("mainwindow_no_time.csv")));
    QVERIFY(w->warnings.isEmpty());
    QCOMPARE(text(*w, "txtNbAttribut"), "2");
    QVERIFY(text(*w, "txtDataDebut").isEmpty());
    QVERIFY(text(*w, "txtDataFin").isEmpty());
    QCOMPARE(epoch->value(), 3600);
    QCOMPARE(steps->value(), 4);
}

void TestMainWindow::supersededReadersAreDropped()
{
    QSignalSpy names(child<QLineEdit>(*w, "txtNom"), &QLineEdit::textChanged);
    const QString older = dataFile("mainwindow_one_time.csv");
    const QString newer = dataFile("mainwindow_international.csv");

    // The first reader has finished, its result waits in the queue, when the
    // second load starts: that result must never show.
    w->loadFile(older, 0, 1);
    QPointer<Task> first = w->runningTask();
    QVERIFY(QThreadPool::globalInstance()->waitForDone(10000));
    w->loadFile(newer, 0, 1);
    QVERIFY(QTest::qWaitFor([this] { return !w->runningTask(); }, 10000));
    QTRY_VERIFY(first.isNull());
    QCOMPARE(names.size(), 1);
    QCOMPARE(text(*w, "txtNom"), newer);

    // A reader still running when the next load starts is stopped.
    QTemporaryDir dir;
    const QString large = writeLargeFile(dir, 200000);
    QVERIFY(!large.isEmpty());
    w->loadFile(large, 0, 1);
    first = w->runningTask();
    w->loadFile(older, 0, 1);
    QCOMPARE(first->status(), int(Task::StopRequested));
    QVERIFY(QTest::qWaitFor([this] { return !w->runningTask(); }, 10000));
    QTRY_VERIFY(first.isNull());
    QCOMPARE(text(*w, "txtNom"), older);
    QCOMPARE(names.size(), 2);
}

void TestMainWindow::closingStopsReader()
{
    QTemporaryDir dir;
    const QString large = writeLargeFile(dir, 200000);
    w->loadFile(large, 0, 1);
    QPointer<Task> reader = w->runningTask();
    QVERIFY(reader);
    w->close();
    QVERIFY(!w->runningTask());
    QCOMPARE(reader->status(), int(Task::StopRequested));
    QTRY_VERIFY(reader.isNull());
    QVERIFY(QThreadPool::globalInstance()->waitForDone(10000));
    QTest::qWait(50);
    QVERIFY(text(*w, "txtNom").isEmpty());
    QVERIFY(w->warnings.isEmpty());
}

void TestMainWindow::displayModeAndAbout()
{
    auto *view = child<VireoGLWidget>(*w, "glWidget");
    auto *mode = child<QComboBox>(*w, "displayModeComboBox");
    QCOMPARE(view->displayMode(), 1);
    mode->setCurrentIndex(1);
    QCOMPARE(view->displayMode(), 2);
    mode->setCurrentIndex(2);
    QCOMPARE(view->displayMode(), 3);
    mode->setCurrentIndex(0);
    QCOMPARE(view->displayMode(), 1);

    child<QAction>(*w, "actionAbout")->trigger();
    QCOMPARE(w->informations.size(), 1);
    QCOMPARE(w->informations[0].first, "About");
    QVERIFY(w->informations[0].second.contains("<b>Vireo</b>"));
}

void TestMainWindow::translation()
{
    QCOMPARE(VireoMainWindow::translationFileName("fr_FR"), "lang/Vireo_fr");
    QCOMPARE(VireoMainWindow::translationFileName("de_CH"), "lang/Vireo_de");
    QCOMPARE(VireoMainWindow::translationFileName("C"), "lang/Vireo_C");

    // The build puts lang/ in the top build folder, one level above the tests.
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(QCoreApplication::applicationDirPath() + "/.."));
    QTranslator french;
    const bool found = french.load(VireoMainWindow::translationFileName("fr_FR"));
    const bool foundOther = QTranslator().load(VireoMainWindow::translationFileName("xx_XX"));
    QDir::setCurrent(previous);
    QVERIFY(found);
    QVERIFY(!foundOther);

    QCoreApplication::installTranslator(&french);
    TestWindow fr;
    QCOMPARE(child<QMenu>(fr, "menuFile")->title(), "Fichier");
    QCOMPARE(child<QAction>(fr, "actionQuit")->text(), "Quitter");
    QCOMPARE(child<QAction>(fr, "actionOpenSyncFile")->text(), "Fichier synchrone");
    QCOMPARE(child<QComboBox>(fr, "comboBoxModeAgregation")->itemText(1), "Somme");
    QCOMPARE(child<QGroupBox>(fr, "grp0FileInfos")->title(), "Informations du fichier :");
    QCOMPARE(child<QLabel>(fr, "selectedValueLabel")->text(), "No selection");
    QCOMPARE(FileReader::modeName(2), "inconnu");
    child<QAction>(fr, "actionOpenSyncFile")->trigger();
    QCOMPARE(fr.fileDialogs.value(0).first, "Sélectionner le fichier synchrone");
    QCOMPARE(fr.questions.value(0).first, "Origine de votre fichier CSV");
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.button(QMessageBox::Yes)->text(), "&Oui");
    fr.loadFile(dataFile("mainwindow_missing.csv"), 0, 1);
    QCOMPARE(fr.statusBar()->currentMessage(), "Chargement des données...");
    QVERIFY(QTest::qWaitFor([&fr] { return !fr.runningTask(); }, 10000));
    QCOMPARE(fr.warnings.value(0).first, "Impossible de charger le fichier");
    QVERIFY(fr.warnings.value(0).second.startsWith("Impossible d'ouvrir le fichier"));
    QCoreApplication::removeTranslator(&french);
}

int main(int argc, char *argv[])
{
    QSurfaceFormat format;
    format.setDepthBufferSize(24);
    format.setSamples(16);
    QSurfaceFormat::setDefaultFormat(format);
    QApplication app(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
