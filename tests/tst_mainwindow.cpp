#include "core/task.h"
#include "io/filereader.h"
#include "mainwindow/vireomainwindow.h"
#include "operations/agregation.h"
#include "operations/correlation.h"
#include "operations/normalization.h"
#include "operations/reorganization.h"
#include "view/vireoglwidget.h"
#include "widgets/vireocolorwidget.h"
#include "widgets/vireogradientcolorwidget.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTranslator>
#include <QTreeWidget>

#include <cmath>
#include <functional>

namespace {

using Answer = QPair<QString, QString>;

// The window with its dialogs answered from the test.
class TestWindow : public VireoMainWindow
{
public:
    using VireoMainWindow::currentStage;
    using VireoMainWindow::loadFile;
    using VireoMainWindow::runningTask;
    using VireoMainWindow::storedCorrelationScores;

    TestWindow()
    {
        connect(statusBar(), &QStatusBar::messageChanged, [this](const QString &message) {
            if (!message.isEmpty())
                messages << message;
        });
    }

    QString fileAnswer;
    QStringList messages; // of the status bar, in order
    QMessageBox::StandardButton questionAnswer = QMessageBox::Cancel;
    QList<Answer> fileDialogs, questions, warnings, infos;

    template <typename T> T *child(const char *name) { return findChild<T *>(name); }
    bool waitIdle()
    {
        return QTest::qWaitFor([this] { return !runningTask(); }, 10000);
    }
    // The step editors: the six calendar fields, the seconds, the step count.
    QVector<int> steps()
    {
        QVector<int> values;
        for (const char *name : {"spinYear", "spinMonth", "spinDay", "spinHour", "spinMinute",
                                 "spinSecond", "spinEpoch", "spinNbEpoch"})
            values << child<QSpinBox>(name)->value();
        return values;
    }
    // The file information: name, attribute count, start and end time.
    QStringList fields()
    {
        QStringList texts;
        for (const char *name : {"txtNom", "txtNbAttribut", "txtDataDebut", "txtDataFin"})
            texts << child<QLineEdit>(name)->text();
        return texts;
    }

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
    void showWarning(const QString &t, const QString &s) override { warnings << Answer(t, s); }
    void showInformation(const QString &t, const QString &s) override { infos << Answer(t, s); }
};

// A widget in one line: a list's items, a tab widget's pages or a menu's
// entries ("objectName text", "" a separator) joined by '|', '*' marking the
// current one; "minimum..maximum=value"; a form field's label and minimum
// size; a title; a text, '*' marking a checked button.
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
    } else if (qobject_cast<VireoColorWidget *>(object) ||
               qobject_cast<VireoGradientColorWidget *>(object)) {
        auto *editor = static_cast<QWidget *>(object);
        auto *form = qobject_cast<QFormLayout *>(editor->parentWidget()->layout());
        QWidget *label = form ? form->labelForField(editor) : nullptr;
        const QSize size = editor->minimumSize();
        return (label ? label->property("text").toString() : "?") + ' ' +
               QString::number(size.width()) + 'x' + QString::number(size.height());
    } else {
        return (p("checked").toBool() ? "*" : "") +
               (p("title").isValid() ? p("title") : p("text")).toString();
    }
    return items.join('|');
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

// Runs a task to its end on the pool; its result or message is then read.
template <typename T> std::unique_ptr<T> ran(T *task)
{
    std::unique_ptr<T> owner(task);
    QSignalSpy finished(task, &Task::finished);
    task->start();
    finished.wait(30000);
    return owner;
}

// The chain run task by task; -1 for "None".
Data chain(const Data &original, int agregation, qint64 deltaT, int normalization,
           int reorganization)
{
    Data data =
        agregation < 0 ? original : ran(new Agregation(original, agregation, deltaT))->result();
    data = ran(new Normalization(data, normalization))->result();
    return reorganization < 0 ? data : ran(new Reorganization(data, reorganization))->result();
}

// Empty when equal; NaN equals NaN.
QString difference(const Data &actual, const Data &expected)
{
    if (actual.attributes != expected.attributes || actual.times != expected.times ||
        actual.values.size() != expected.values.size())
        return QStringLiteral("names, times or size differ");
    for (int i = 0; i < actual.values.size(); ++i) {
        const double x = actual.values[i], y = expected.values[i];
        if (x != y && !(qIsNaN(x) && qIsNaN(y)))
            return QStringLiteral("value %1: %2 != %3").arg(i).arg(x).arg(y);
    }
    return QString();
}

// NaN scores compare equal as bytes.
QByteArray bytes(const QVector<float> &scores)
{
    return QByteArray(reinterpret_cast<const char *>(scores.constData()),
                      int(scores.size() * sizeof(float)));
}

QStringList blocks(const Selections &selections)
{
    QStringList list;
    for (const Selection &s : selections)
        list << QStringLiteral("%1-%2x%3-%4")
                    .arg(s.firstAttribute)
                    .arg(s.lastAttribute)
                    .arg(s.firstTime)
                    .arg(s.lastTime);
    return list;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestWindow> w;

    static QString dataFile(const char *name) { return VIREO_TEST_DATA_DIR "/" + QString(name); }

    bool load(const QString &fileName, int origin = 1)
    {
        w->loadFile(fileName, 0, origin);
        return w->waitIdle();
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

    void widgetTree()
    {
        QCOMPARE(w->windowTitle(), "Vireo");
        QCOMPARE(w->size(), QSize(1123, 814));
        QVERIFY(QFile::exists(":/icons/res/AppIcon.ico"));
        QVERIFY(!w->windowIcon().availableSizes().isEmpty());
        QCOMPARE(w->locale(), QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(w->fields(), QStringList({"", "", "", ""}));
        for (QLineEdit *edit : w->findChildren<QLineEdit *>(QRegularExpression("^txt")))
            QVERIFY(edit->isReadOnly());

        // clang-format off
        const QList<QPair<const char *, const char *>> tree = {
            {"grp0FileInfos", "File Information :"}, {"label_2", "Name: "},
            {"label_3", "Number of attributes:"}, {"label_4", "Start time:"},
            {"label_5", "End time:"}, {"grp1Agregation", "Agregation:"}, {"label", "ΔT - GMT"},
            {"label_6", "ΔT - Epoch"}, {"label_16", "ΔT - Step count"},
            {"label_17", "Agregation Mode:"}, {"grp2Normalization", "Normalization:"},
            {"label_23", "Normalization Mode:"}, {"radioNormalizationLocal", "*Local"},
            {"radioNormalizationGlobal", "Global"}, {"grp3Reorganization", "Reorganization:"},
            {"label_21", "Algorithm:"}, {"grp4Display", "Display"}, {"label_26", "Time"},
            {"radioBtnEpoch", "Epoch"}, {"radioBtnGMT", "*GMT"}, {"label_24", "Display mode"},
            {"grp4Display_2", "Colors"}, {"pushButton", "Color Brewer"},
            {"grp5Correlation", "Correlation"}, {"label_22", "Lookup zone:"},
            {"label_25", "Threshold"}, {"correlationThresholdLabel", "0.10"},
            {"selectedValueLabel", "No selection"}, {"spinYear", "0..68=0"},
            {"spinMonth", "0..99=0"}, {"spinDay", "0..999=1"}, {"spinHour", "0..99=0"},
            {"spinMinute", "0..99=0"}, {"spinSecond", "0..99=0"},
            {"spinEpoch", "1..2147483647=86400"}, {"spinNbEpoch", "1..2147483647=1"},
            {"correlationThreshold", "0..100=10"}, {"readingProgressBar", "0..100=0"},
            {"agregProgressBar", "0..100=0"}, {"normProgressBar", "0..100=0"},
            {"reorgProgressBar", "0..100=0"}, {"correlationProgressBar", "0..100=0"},
            {"gradientColorsForValuesWidget", "Values 20x200"},
            {"missingValuesColorWidget", "Missing value 20x20"},
            {"backgroundColorWidget", "Background 20x20"},
            {"selectionColorWidget", "Selection 20x20"},
            {"correlationColorWidget", "Correlation 20x20"}, {"widthColorWidget", "Width 20x20"},
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
        QCOMPARE(w->child<QWidget>("spinYear")->parentWidget()->objectName(), "DeltTGMT");
        auto *slider = w->child<QSlider>("correlationThreshold");
        QCOMPARE(slider->tickPosition(), QSlider::TicksBothSides);
        QCOMPARE(slider->tickInterval(), 10);
        for (QProgressBar *bar : w->findChildren<QProgressBar *>()) {
            QCOMPARE(bar->orientation(), Qt::Vertical);
            QCOMPARE(bar->maximumSize(), QSize(15, 30));
        }
        // Result panels wait for something to show.
        for (const char *name : {"selectionTreeView", "grp5Correlation", "correlationTreeView",
                                 "annotationTreeWidget"})
            QVERIFY2(w->child<QWidget>(name)->isHidden(), name);
        QVERIFY(w->child<QTreeWidget>("annotationTreeWidget")->isHeaderHidden());
        QCOMPARE(w->child<QWidget>("annotationTreeWidget")->geometry(), QRect(10, 10, 351, 521));

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
        QVERIFY(load(dataFile("mainwindow_colours.csv")));
        auto *view = w->child<VireoGLWidget>("glWidget");
        auto pixels = [view] {
            const QImage image = view->grabFramebuffer();
            QList<QColor> colours;
            for (int a = 0; a < 4; ++a)
                colours << image.pixelColor(cellPixel(*view, 4, a, 20));
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
        const QPoint one = cellPixel(*view, 4, 3, 20);
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

        // 2014-01-01 is 44 * 365 + 11 leap days = 16071 days after 1970-01-01:
        // 16071 * 86400 = 1388534400; the end is 4.5 h = 16200 s later.
        const QString good = dataFile("mainwindow_international.csv");
        QVERIFY(load(good));
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
            QVERIFY(load(dataFile(failing)));
            QCOMPARE(w->warnings, QList<Answer>({{"Unable to load file", message}}));
            QCOMPARE(w->statusBar()->currentMessage(), "Unable to load file: " + message);
            QCOMPARE(w->currentStage(), 0);
            QCOMPARE(w->fields(), gmt);
            QCOMPARE(w->child<VireoGLWidget>("glWidget")->data().timeCount(), 4);
        }
        // The chain waits for a successful load: switching the time display is ignored.
        QTest::mouseClick(epoch, Qt::LeftButton);
        QCOMPARE(w->fields(), gmt);

        // A single time stamp is shown, in Epoch now: 2014-06-01 is 16071 + 151
        // days after 1970-01-01, 16222 * 86400 + 12 h = 1401624000. Without two
        // of them there is no step to start from: the step editors keep the 5
        // steps of 3600 s over 4.5 h and the view its data.
        const QString one = dataFile("mainwindow_one_time.csv");
        QVERIFY(load(one));
        QCOMPARE(w->fields(), QStringList({one, "2", "1401624000", "1401624000"}));
        QCOMPARE(w->statusBar()->currentMessage(),
                 "The file has too few time stamps to be processed.");
        QCOMPARE(w->currentStage(), 0);
        const QString none = dataFile("mainwindow_no_time.csv");
        QVERIFY(load(none));
        QCOMPARE(w->fields(), QStringList({none, "2", "", ""}));
        QCOMPARE(w->steps(), QVector<int>({0, 0, 0, 1, 0, 0, 3600, 5}));
        QCOMPARE(w->child<VireoGLWidget>("glWidget")->data().timeCount(), 4);
        QCOMPARE(w->warnings.size(), 1);
    }

    void openFileFlow()
    {
        const QString french = dataFile("mainwindow_french.csv");
        // clang-format off
        struct Case { bool async; QString file; QMessageBox::StandardButton reply; QString count; };
        const Case cases[] = { // no count: nothing loaded
            {false, french, QMessageBox::Yes, "3"}, {false, french, QMessageBox::Cancel, ""},
            {false, dataFile("mainwindow_international.csv"), QMessageBox::No, "3"},
            {false, french, QMessageBox::NoButton, ""}, {false, QString(), QMessageBox::Yes, ""},
            {true, dataFile("mainwindow_async.csv"), QMessageBox::No, "2"}};
        // clang-format on
        for (const Case &c : cases) {
            TestWindow window;
            window.fileAnswer = c.file;
            window.questionAnswer = c.reply;
            window.child<QAction>(c.async ? "actionOpenAsyncFile" : "actionOpenSyncFile")
                ->trigger();
            const QString caption = c.async ? "Select file asynchrone" : "Select file synchrone";
            QCOMPARE(window.fileDialogs,
                     QList<Answer>({{caption, "CSV Files (*.csv);;All files(*.*)"}}));
            QCOMPARE(window.questions.size(), 1);
            QCOMPARE(window.questions[0].first, "Origin of your CSV file");
            QVERIFY(window.questions[0].second.startsWith(
                "<p>Click on the origin of your CSV file : <p>Yes"));
            QVERIFY(window.waitIdle());
            QVERIFY(window.warnings.isEmpty());
            QCOMPARE(window.fields().mid(0, 2),
                     QStringList({c.count.isEmpty() ? "" : c.file, c.count}));
            // Every file starts with the value 1.5, written "1,5" in the French one.
            if (!c.count.isEmpty())
                QCOMPARE(window.nonNormalizedData().value(0, 0), 1.5);
        }
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
        QVERIFY(load(newer));
        QTRY_VERIFY(first.isNull());
        QCOMPARE(names.size(), 1);
        QCOMPARE(w->fields()[0], newer);

        // 200000 rows take long enough to read that a stop request finds the
        // reader running, when the next load starts or the window closes.
        QTemporaryDir dir;
        QFile large(dir.filePath("large.csv"));
        QVERIFY(large.open(QIODevice::WriteOnly));
        large.write("Time,A,B,C,D\n2\n3\n4\n5\n6\n7\n8\n9\n10\n");
        const QDateTime start(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC);
        for (int i = 0; i < 200000; ++i)
            large.write(start.addSecs(i).toString("yyyy-MM-dd hh:mm:ss,1,2,3,4\n").toLatin1());
        large.close();
        for (bool closing : {false, true}) {
            w->loadFile(large.fileName(), 0, 1);
            first = w->runningTask();
            if (closing)
                w->close();
            else
                w->loadFile(older, 0, 1);
            QCOMPARE(first->status(), int(Task::StopRequested));
            QVERIFY(w->waitIdle());
            QTRY_VERIFY(first.isNull());
        }
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

    // The chain's result reaches the view: normalized, reorganized, coloured.
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

        QString file;
        for (int origin : {0, 1}) {
            file = QStringLiteral(VIREO_SOURCE_DIR "/examples/plant_sensors_") +
                   (origin ? "intl.csv" : "fr.csv");
            w->messages.clear();
            QVERIFY(load(file, origin));
            QVERIFY(w->warnings.isEmpty());
            // 3000 rows every 5 minutes: the last is 2999 * 5 min = 10 d 9 h 55 min later.
            QCOMPARE(w->fields(),
                     QStringList({file, "31", "2014-03-24 00:00:00", "2014-04-03 09:55:00"}));
            QCOMPARE(w->child<QProgressBar>("readingProgressBar")->value(), 100);
            // The first step, 5 minutes, in every step editor.
            QCOMPARE(w->steps(), QVector<int>({0, 0, 0, 0, 5, 0, 300, 3000}));
            QCOMPARE(w->nonNormalizedData().value(0, 0), 479.8);
            QCOMPARE(w->messages,
                     QStringList({"Loading data...", "Data loaded", "Data agregated",
                                  "Normalizing data...", "Data normalized", "Reorganizing data...",
                                  "Data reorganized & displayed"}));
            QCOMPARE(w->currentStage(), 4);
        }

        const Data original = ran(new FileReader(file, 0, 1))->result();
        const Data shown = w->child<VireoGLWidget>("glWidget")->data();
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

        auto *view = w->child<VireoGLWidget>("glWidget");
        const QImage frame = view->grabFramebuffer();
        QSet<QRgb> colours;
        for (int a = 0; a < 31; ++a)
            colours << frame.pixel(cellPixel(*view, 31, a, 20));
        QVERIFY2(colours.size() > 10, qPrintable(QString::number(colours.size())));
    }

    // Each parameter restarts the chain from its own stage.
    void parameterChangesRestartTheirStage()
    {
        QVERIFY(load(dataFile("mainwindow_international.csv")));
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
            const bool global = w->child<QAbstractButton>("radioNormalizationGlobal")->isChecked();
            const Data expected = chain(original, agregation->currentIndex() - 1, epoch->value(),
                                        global ? Normalization::Global : Normalization::Local,
                                        reorganization->currentIndex() - 1);
            const Data shown = w->child<VireoGLWidget>("glWidget")->data();
            QCOMPARE(difference(shown, expected), QString());
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
        QVERIFY(load(dataFile("mainwindow_international.csv")));
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
            // 16200 / 5 + 1 = 3241 s: 5 steps, while 3240 s would make 6.
            {"spinNbEpoch", 5, {0, 0, 0, 0, 54, 1, 3241, 5}},
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
            QCOMPARE(w->child<VireoGLWidget>("glWidget")->data().timeCount(), edit.steps.last());
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
        QVERIFY(load(dataFile("mainwindow_failing_stages.csv")));
        auto *view = w->child<VireoGLWidget>("glWidget");
        w->child<QComboBox>("comboBoxModeAgregation")->setCurrentIndex(1);
        QVERIFY(w->waitIdle());
        const Data original =
            ran(new FileReader(dataFile("mainwindow_failing_stages.csv"), 0, 1))->result();
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
        const QString file = VIREO_SOURCE_DIR "/examples/plant_sensors_intl.csv";
        QVERIFY(load(file));
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
        const Data original = ran(new FileReader(file, 0, 1))->result();
        const Data expected = chain(original, Agregation::Max, 900, Normalization::Global,
                                    Reorganization::FirstValue);
        QCOMPARE(expected.timeCount(), 1000);
        QCOMPARE(difference(w->child<VireoGLWidget>("glWidget")->data(), expected), QString());
        QCOMPARE(tasks.size(), 6);
        for (const QPointer<Task> &task : tasks)
            QTRY_VERIFY(task.isNull());
        QVERIFY(w->warnings.isEmpty());
    }

    // A search from the view's signal, replayed from its scores when the
    // threshold moves.
    void correlationReplays()
    {
        QVERIFY(load(VIREO_SOURCE_DIR "/examples/plant_sensors_intl.csv"));
        auto *view = w->child<VireoGLWidget>("glWidget");
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
        const QStringList first = blocks(view->correlation());
        QCOMPARE(first, blocks(fresh->result()));
        QVERIFY(first.contains("3-4x100-109"));

        auto *slider = w->child<QSlider>("correlationThreshold");
        slider->setValue(50);
        QCOMPARE(w->child<QLabel>("correlationThresholdLabel")->text(), "0.50");
        QVERIFY(w->waitIdle());
        const QStringList wider = blocks(view->correlation());
        QCOMPARE(wider,
                 blocks(ran(new Correlation(Correlation::AllData, model, 0.5, scores))->result()));
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
        QCOMPARE(blocks(view->correlation()), blocks(sameAttributes->result()));
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

    void translation()
    {
        QCOMPARE(VireoMainWindow::translationFileName("fr_FR"), "lang/Vireo_fr");
        QCOMPARE(VireoMainWindow::translationFileName("C"), "lang/Vireo_C");

        // The build puts lang/ in the top build folder, one level above the tests.
        const QString top = QCoreApplication::applicationDirPath() + "/..";
        QTranslator french;
        QVERIFY(french.load(VireoMainWindow::translationFileName("fr_FR"), top));
        QCoreApplication::installTranslator(&french);
        TestWindow fr;
        QCOMPARE(describe(fr.child<QComboBox>("comboBoxModeAgregation")).section('|', 1, 1),
                 "Somme");
        QCOMPARE(describe(fr.child<QMenu>("menuFile")).section('|', 4), "actionQuit Quitter");
        QCOMPARE(describe(fr.child<QWidget>("grp0FileInfos")), "Informations du fichier :");
        QCOMPARE(describe(fr.child<QWidget>("selectedValueLabel")), "No selection");
        QCOMPARE(FileReader::modeName(2), "inconnu");
        fr.child<QAction>("actionOpenSyncFile")->trigger();
        QCOMPARE(fr.fileDialogs.value(0).first, "Sélectionner le fichier synchrone");
        QCOMPARE(fr.questions.value(0).first, "Origine de votre fichier CSV");
        fr.loadFile(dataFile("mainwindow_missing.csv"), 0, 1);
        QCOMPARE(fr.statusBar()->currentMessage(), "Chargement des données...");
        QVERIFY(fr.waitIdle());
        QCOMPARE(fr.warnings.value(0).first, "Impossible de charger le fichier");
        QVERIFY(fr.statusBar()->currentMessage().startsWith("Impossible de charger le fichier : "));
        QVERIFY(fr.warnings.value(0).second.startsWith("Impossible d'ouvrir le fichier"));
        QCoreApplication::removeTranslator(&french);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
