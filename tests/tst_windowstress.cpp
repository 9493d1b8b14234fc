#include "heldkeys.h"
#include "operations/correlation.h"
#include "view/viewcontextmenu.h"
#include "view/vireoglwidget.h"
#include "windowchain.h"

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

// A synchronous file of about `bytes`, one row per second within one month, written fast.
bool writeLargeFile(const QString &path, qint64 bytes)
{
    QFile file(path);
    QByteArray block = "Time";
    for (int a = 0; a < 40; ++a)
        block += ",L" + QByteArray::number(a);
    block += '\n' + reservedLines;
    const QByteArray values = QByteArray(",1.5").repeated(40) + '\n';
    bool written = file.open(QIODevice::WriteOnly);
    for (qint64 second = 0; written && file.pos() < bytes; ++second) {
        char time[20];
        std::snprintf(time, sizeof time, "2000-01-%02d %02d:%02d:%02d", int(1 + second / 86400),
                      int(second / 3600 % 24), int(second / 60 % 60), int(second % 60));
        block += QByteArray(time, 19) + values;
        if (block.size() >= (4 << 20)) {
            written = file.write(block) == block.size();
            block.clear();
        }
    }
    return written && file.write(block) == block.size();
}

} // namespace

class TestWindowStress : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_burstFile;
    Data m_burstData;

    // One change through the widget the user would use. Values typed into
    // spin boxes go through their intermediate prefixes, as typing does.
    static void change(TestWindow &w, QRandomGenerator &random)
    {
        const auto type = [&w](const char *name, int value) {
            auto *box = w.child<QSpinBox>(name);
            box->selectAll();
            QTest::keyClicks(box, QString::number(value));
        };
        const auto step = [&](const char *name) {
            QTest::keyClick(w.child<QWidget>(name), random.bounded(2) ? Qt::Key_Down : Qt::Key_Up);
        };
        const Qt::Key sliderKeys[] = {Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Up, Qt::Key_Down};
        switch (random.bounded(9)) {
        case 0:
            return step("comboBoxModeAgregation");
        case 1:
            return type("spinEpoch", random.bounded(60, 7200));
        case 2:
            return type("spinNbEpoch", random.bounded(1, 1500));
        case 3:
            return type(random.bounded(2) ? "spinHour" : "spinMinute", random.bounded(0, 60));
        case 4:
            return w
                .child<QAbstractButton>(random.bounded(2) ? "radioNormalizationGlobal"
                                                          : "radioNormalizationLocal")
                ->click();
        case 5:
            return step("comboBoxModeReorganization");
        case 6:
            return step("correlationMode");
        case 7:
            return QTest::keyClick(w.child<QSlider>("correlationThreshold"),
                                   sliderKeys[random.bounded(4)]);
        }
        // A cell picked near the entrance of the tube, widened to its attribute
        // or time step now and then, and mostly "Detect Correlation" asked for.
        VireoGLWidget *view = w.view();
        const int a = random.bounded(view->data().attributeCount());
        const int t = random.bounded(qMin(8, view->data().timeCount()));
        const QVector<Qt::Key> widen[] = {{}, {Qt::Key_A}, {Qt::Key_T}};
        pick(view, a, t, widen[random.bounded(3)]);
        if (random.bounded(3) != 0)
            QTest::mouseClick(view, Qt::RightButton, Qt::NoModifier, cellPixel(*view, a, t));
    }

    static void pick(VireoGLWidget *view, int a, int t, const QVector<Qt::Key> &keys)
    {
        withKeys(view, keys, [=] {
            QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, cellPixel(*view, a, t));
        });
    }

    // The window, shown, with the burst file displayed and the view's menu
    // answered "Detect Correlation".
    bool openBurstFile(TestWindow &w)
    {
        w.view()->findChild<ViewContextMenu *>()->setEntryChooser(
            [](const QStringList &, const QPoint &) {
                return int(ViewContextMenu::DetectCorrelation);
            });
        return showExposed(w, QSize(1100, 800)) && w.load(m_burstFile) &&
               w.view()->data().attributeCount() == 24;
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
        QCOMPARE(bytes(shown.scores), bytes(search->scores()));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_burstFile = m_dir.filePath("burst.csv");
        QVERIFY(writeFile(m_burstFile, synchronousCsv(waves(24, 1500))));
        // As the program reads it: the file holds six significant digits.
        m_burstData = readBack(m_burstFile, 0, 1);
    }

    // Hundreds of changes of every setting of the chain, a few milliseconds
    // apart, restart tasks at every stage: once the chain settles, the view shows
    // what the last settings give, and every task is gone.
    void burstEndsOnLastSettings()
    {
        TestWindow w;
        QVERIFY(openBurstFile(w));
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
        QCOMPARE(difference(w.view()->data(), chainOf(w, m_burstData)), QString());
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
    void searchOutlivedByItsSelection()
    {
        TestWindow w;
        QVERIFY(openBurstFile(w));
        VireoGLWidget *view = w.view();
        pick(view, 2, 3, {Qt::Key_A});
        QTest::mouseClick(view, Qt::RightButton, Qt::NoModifier, cellPixel(*view, 2, 3));
        QVERIFY(w.runningTask());
        // Before the result can be delivered: the search is dropped.
        pick(view, 7, 3, {Qt::Key_A});
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
    void quitWhileReadingLargeFile()
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
};

QTEST_MAIN(TestWindowStress)
#include "tst_windowstress.moc"
