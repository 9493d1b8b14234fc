#include "operations/agregation.h"
#include "operations/correlation.h"
#include "operations/normalization.h"
#include "operations/reorganization.h"
#include "testsupport.h"
#include "view/viewcontextmenu.h"
#include "view/vireoglwidget.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>

#include <cmath>
#include <cstdio>

namespace {

// Smooth waves of several periods, a few values of one attribute missing.
Data waves(int attributes, int times)
{
    return generatedTable(
        attributes, times, QDateTime(QDate(2015, 3, 1), QTime(0, 0), Qt::UTC), 60,
        [](int t, int a) {
            return a == 5 && t % 97 == 0 ? qQNaN() : std::sin(t / (5.0 + a % 7)) * (a + 1) + a;
        },
        "W");
}

// What the window should show for the given settings, computed by the
// operations alone, one after the other.
Data expectedChain(const Data &original, int agregation, qint64 deltaT, int normalization,
                   int reorganization)
{
    Data data = original;
    if (agregation > 0)
        data = ran(new Agregation(data, agregation - 1, deltaT))->result();
    data = ran(new Normalization(data, normalization))->result();
    if (reorganization > 0)
        data = ran(new Reorganization(data, reorganization - 1))->result();
    return data;
}

// A synchronous file of about `bytes`, one row per second, written fast.
bool writeLargeFile(const QString &path, qint64 bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray values;
    QByteArray header = "Time";
    for (int a = 0; a < 40; ++a) {
        values += ",1.5";
        header += ",L" + QByteArray::number(a);
    }
    QByteArray block = header + "\n2\n3\n4\n5\n6\n7\n8\n9\n10\n";
    qint64 written = 0;
    // Within one month: the day and the time of day are all that change.
    for (qint64 second = 0; written < bytes; ++second) {
        char time[20];
        std::snprintf(time, sizeof time, "2000-01-%02d %02d:%02d:%02d", int(1 + second / 86400),
                      int(second / 3600 % 24), int(second / 60 % 60), int(second % 60));
        block += QByteArray(time, 19) + values + '\n';
        if (block.size() >= (4 << 20)) {
            if (file.write(block) != block.size())
                return false;
            written += block.size();
            block.clear();
        }
    }
    return file.write(block) == block.size();
}

} // namespace

class TestWindowStress : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // One change through the widget the user would use. Values typed into
    // spin boxes go through their intermediate prefixes, as typing does.
    static void change(TestWindow &w, QRandomGenerator &random)
    {
        const auto type = [](const char *name, TestWindow &w, int value) {
            auto *box = w.child<QSpinBox>(name);
            box->selectAll();
            QTest::keyClicks(box, QString::number(value));
        };
        const auto step = [&random](QWidget *widget) {
            QTest::keyClick(widget, random.bounded(2) ? Qt::Key_Down : Qt::Key_Up);
        };
        switch (random.bounded(9)) {
        case 0:
            step(w.child<QComboBox>("comboBoxModeAgregation"));
            break;
        case 1:
            type("spinEpoch", w, random.bounded(60, 7200));
            break;
        case 2:
            type("spinNbEpoch", w, random.bounded(1, 1500));
            break;
        case 3:
            type(random.bounded(2) ? "spinHour" : "spinMinute", w, random.bounded(0, 60));
            break;
        case 4:
            w.child<QAbstractButton>(random.bounded(2) ? "radioNormalizationGlobal"
                                                       : "radioNormalizationLocal")
                ->click();
            break;
        case 5:
            step(w.child<QComboBox>("comboBoxModeReorganization"));
            break;
        case 6:
            step(w.child<QComboBox>("correlationMode"));
            break;
        case 7: {
            const Qt::Key keys[] = {Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Up, Qt::Key_Down};
            QTest::keyClick(w.child<QSlider>("correlationThreshold"), keys[random.bounded(4)]);
            break;
        }
        default:
            searchCorrelation(w, random);
            break;
        }
    }

    // A cell picked near the entrance of the tube, widened to its attribute
    // or time step now and then, and mostly "Detect Correlation" asked for.
    static void searchCorrelation(TestWindow &w, QRandomGenerator &random)
    {
        VireoGLWidget *view = w.view();
        if (view->data().attributeCount() == 0)
            return;
        const int a = random.bounded(view->data().attributeCount());
        const int t = random.bounded(qMin(8, view->data().timeCount()));
        const Qt::Key widen[] = {Qt::Key_unknown, Qt::Key_A, Qt::Key_T};
        pick(view, a, t, widen[random.bounded(3)]);
        if (random.bounded(3) != 0)
            QTest::mouseClick(view, Qt::RightButton, Qt::NoModifier, cellPixel(*view, a, t));
    }

    // The window, shown, with the burst file displayed and the view's menu
    // answered "Detect Correlation".
    void openBurstFile(TestWindow &w)
    {
        QVERIFY(showExposed(w, QSize(1100, 800)));
        w.view()->findChild<ViewContextMenu *>()->setEntryChooser(
            [](const QStringList &, const QPoint &) {
                return int(ViewContextMenu::DetectCorrelation);
            });
        QVERIFY(w.load(m_burstFile));
    }

    // A correlation result as the window holds it, with the settings it
    // stands for.
    struct Shown
    {
        Selection model;
        int zone = 0;
        double threshold = 0;
        QStringList blocks;
        QVector<float> scores;
    };
    static Shown shown(TestWindow &w)
    {
        return {w.view()->selection(), w.child<QComboBox>("correlationMode")->currentIndex(),
                w.child<QSlider>("correlationThreshold")->value() / 100.0,
                shapes(w.view()->correlation()), w.storedCorrelationScores()};
    }
    // A result the window holds as current answers its zone, threshold and
    // selection, and the scores kept for a replay are its own.
    static void checkCorrelation(const Shown &shown)
    {
        const auto search =
            ran(new Correlation(shown.zone, shown.model, shown.threshold, QVector<float>()));
        QCOMPARE(shown.blocks, shapes(search->result()));
        const QVector<float> fresh = search->scores();
        QCOMPARE(shown.scores.size(), fresh.size());
        for (int i = 0; i < fresh.size(); ++i)
            QVERIFY2(shown.scores[i] == fresh[i] || (qIsNaN(shown.scores[i]) && qIsNaN(fresh[i])),
                     qPrintable(QString("score %1").arg(i)));
    }

    static void pick(VireoGLWidget *view, int a, int t, Qt::Key held)
    {
        if (held != Qt::Key_unknown)
            QTest::keyPress(view, held);
        QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, cellPixel(*view, a, t));
        if (held != Qt::Key_unknown)
            QTest::keyRelease(view, held);
    }

    QString m_burstFile;
    Data m_burstData;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_burstFile = m_dir.filePath("burst.csv");
        QVERIFY(writeFile(m_burstFile, synchronousCsv(waves(24, 1500))));
        // As the program reads it: the file holds six significant digits.
        m_burstData = readBack(m_burstFile, 0, 1);
    }

    void burstEndsOnLastSettings();
    void searchOutlivedByItsSelection();
    void quitWhileReadingLargeFile();
};

// Hundreds of changes of every setting of the chain, a few milliseconds
// apart, restart tasks at every stage: once the chain settles, the view shows
// what the last settings give, and every task is gone.
void TestWindowStress::burstEndsOnLastSettings()
{
    TestWindow w;
    openBurstFile(w);
    if (QTest::currentTestFailed())
        return;

    QRandomGenerator random(36);
    // Every result as it arrives, checked once the burst is over.
    QVector<Shown> results;
    connect(w.view(), &VireoGLWidget::correlationChanged, [&] {
        if (w.currentStage() == 5)
            results << shown(w);
    });
    const int total = 300;
    int changes = 0;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, [&] {
        change(w, random);
        if (++changes < total)
            timer.start(random.bounded(21));
    });
    timer.start(0);
    QTRY_COMPARE_WITH_TIMEOUT(changes, total, 120000);
    QVERIFY(w.waitIdle(60000));
    QVERIFY(QThreadPool::globalInstance()->waitForDone(10000));
    QTRY_COMPARE(Task::liveCount(), 0);
    QCOMPARE(w.warnings, QList<Answer>());

    QVERIFY(w.currentStage() >= 4);
    const Data expected =
        expectedChain(m_burstData, w.child<QComboBox>("comboBoxModeAgregation")->currentIndex(),
                      w.child<QSpinBox>("spinEpoch")->value(),
                      w.child<QAbstractButton>("radioNormalizationGlobal")->isChecked() ? 0 : 1,
                      w.child<QComboBox>("comboBoxModeReorganization")->currentIndex());
    QCOMPARE(difference(w.view()->data(), expected), QString());

    for (const Shown &result : results) {
        checkCorrelation(result);
        if (QTest::currentTestFailed())
            return;
    }
    qInfo("%d changes, %d chains displayed, %d correlation results", total,
          int(w.messages.count("Data reorganized & displayed")), int(results.size()));
    QCOMPARE(Task::liveCount(), 0);
}

// The user picks another attribute while the search for the first still
// runs: its result must not pass for the new selection's, neither shown as
// such nor replayed for it when the threshold moves.
void TestWindowStress::searchOutlivedByItsSelection()
{
    TestWindow w;
    openBurstFile(w);
    if (QTest::currentTestFailed())
        return;
    VireoGLWidget *view = w.view();
    pick(view, 2, 3, Qt::Key_A);
    QTest::mouseClick(view, Qt::RightButton, Qt::NoModifier, cellPixel(*view, 2, 3));
    QVERIFY(w.runningTask());
    // Before the result can be delivered: the search is dropped.
    pick(view, 7, 3, Qt::Key_A);
    QCOMPARE(shape(view->selection()), QString("attribute 7..7 0..1499"));
    QVERIFY(!w.runningTask());
    QTest::qWait(100);
    QCOMPARE(w.currentStage(), 4);
    QVERIFY(view->correlation().isEmpty());
    // Nothing shown, nothing to replay.
    QTest::keyClick(w.child<QSlider>("correlationThreshold"), Qt::Key_PageUp);
    QVERIFY(!w.runningTask());
    QTest::mouseClick(view, Qt::RightButton, Qt::NoModifier, cellPixel(*view, 7, 3));
    QVERIFY(w.waitIdle());
    QCOMPARE(w.currentStage(), 5);
    QVERIFY(!view->correlation().isEmpty());
    checkCorrelation(shown(w));
}

// Quitting while a large file is read: the reader stops at its next block,
// so the window closes and the thread pool, which the application waits for
// on its way out, is free within a second.
void TestWindowStress::quitWhileReadingLargeFile()
{
    const QString file = m_dir.filePath("large.csv");
    QVERIFY(writeLargeFile(file, qint64(200) << 20));
    auto w = std::make_unique<TestWindow>();
    QVERIFY(showExposed(*w));
    w->loadFile(file, 0, 1);
    QPointer<Task> reader = w->runningTask();
    QVERIFY(reader);
    QTRY_VERIFY(!reader || reader->progress() > 0);
    QVERIFY2(reader && reader->status() == Task::Running, "read before the quit");

    QElapsedTimer clock;
    clock.start();
    w->child<QAction>("actionQuit")->trigger();
    QVERIFY(!w->isVisible());
    QCOMPARE(reader->status(), int(Task::StopRequested));
    w.reset();
    QVERIFY(QThreadPool::globalInstance()->waitForDone(10000));
    const qint64 elapsed = clock.elapsed();
    QTRY_VERIFY(reader.isNull());
    QCOMPARE(Task::liveCount(), 0);
    QVERIFY2(elapsed < 1000, qPrintable(QString::number(elapsed)));
    qInfo("quit after %lld ms", elapsed);
    QVERIFY(QFile::remove(file));
}

QTEST_MAIN(TestWindowStress)
#include "tst_windowstress.moc"
