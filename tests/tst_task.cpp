#include "core/task.h"

#include <QtTest>

#include <atomic>

namespace {

// A task whose run() is steered by the test: it can wait at a gate, report
// progress, fail, check for stop requests or ignore them.
class ProbeTask : public TypedTask<int>
{
public:
    enum Ending
    {
        Succeed,
        Fail
    };

    ProbeTask(Ending ending = Succeed, bool checksStop = true)
        : m_ending(ending), m_checksStop(checksStop)
    {}

    // dispose() cuts every connection, destroyed() included, so deletions
    // are counted here.
    ~ProbeTask() override
    {
        if (deletions)
            ++(*deletions)[this];
    }

    static QHash<ProbeTask *, int> *deletions;

    void run() override
    {
        ++runs;
        if (earlyProgress)
            setProgress(earlyProgress);
        gate.acquire();
        for (int p : progressSteps) {
            if (!m_checksStop)
                setProgress(p);
            else if (!checkpoint(p))
                return;
        }
        if (m_ending == Fail)
            fail(QStringLiteral("broken"));
        else
            succeed(42);
    }

    QSemaphore gate;
    QVector<int> progressSteps{10, 10, 40, 40, 70};
    std::atomic<int> runs{0};
    int earlyProgress = 0;

private:
    Ending m_ending;
    bool m_checksStop;
};

QHash<ProbeTask *, int> *ProbeTask::deletions = nullptr;

} // namespace

class TestTask : public QObject
{
    Q_OBJECT

private slots:
    void endings_data();
    void endings();
    void stoppedTasksAreDeletedOnceAndSilent_data();
    void stoppedTasksAreDeletedOnceAndSilent();
    void percentUses64Bits();
    void progressNotifiedOncePerValue();
};

void TestTask::endings_data()
{
    QTest::addColumn<int>("ending");
    QTest::addColumn<int>("starts");
    QTest::addColumn<bool>("stopAfterEnd"); // too late: the result stands
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::newRow("success") << int(ProbeTask::Succeed) << 1 << false << int(Task::Done) << "";
    QTest::newRow("started twice")
        << int(ProbeTask::Succeed) << 2 << false << int(Task::Done) << "";
    QTest::newRow("stop after done")
        << int(ProbeTask::Succeed) << 1 << true << int(Task::Done) << "";
    QTest::newRow("failure") << int(ProbeTask::Fail) << 1 << false << int(Task::Failed) << "broken";
}

void TestTask::endings()
{
    QFETCH(int, ending);
    QFETCH(int, starts);
    QFETCH(bool, stopAfterEnd);
    QFETCH(int, status);
    QFETCH(QString, message);
    ProbeTask task{ProbeTask::Ending(ending)};
    QVector<int> seen;
    connect(&task, &Task::progressChanged, this, [&seen](Task *t) { seen << t->progress(); });
    QSignalSpy finished(&task, &Task::finished);
    QCOMPARE(task.status(), int(Task::Idle));
    task.gate.release(starts);
    for (int i = 0; i < starts; ++i)
        task.start();
    if (stopAfterEnd) {
        QVERIFY(QThreadPool::globalInstance()->waitForDone(5000));
        task.requestStop();
    }
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 5000);
    QVERIFY(QThreadPool::globalInstance()->waitForDone(5000));
    QCoreApplication::processEvents();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(task.runs.load(), 1);
    QCOMPARE(finished.at(0).at(0).value<Task *>(), static_cast<Task *>(&task));
    QCOMPARE(task.status(), status);
    QCOMPARE(task.errorMessage(), message);
    QCOMPARE(task.result(), status == Task::Done ? 42 : 0);
    // A newer value may be read for a notification, but each value is
    // reported once, the sequence never goes backwards and ends at 100.
    QVERIFY(!seen.isEmpty() && seen.size() <= 4);
    QVERIFY(std::adjacent_find(seen.begin(), seen.end(), std::greater_equal<int>()) == seen.end());
    QCOMPARE(seen.last(), status == Task::Done ? 100 : 70);
}

void TestTask::stoppedTasksAreDeletedOnceAndSilent_data()
{
    QTest::addColumn<int>("ending");
    QTest::addColumn<bool>("checksStop");
    // Disposes at a check point; reaches its end and loses the exchange to
    // Done; reaches fail() after the stop.
    QTest::newRow("check point") << int(ProbeTask::Succeed) << true;
    QTest::newRow("lost exchange") << int(ProbeTask::Succeed) << false;
    QTest::newRow("failure after stop") << int(ProbeTask::Fail) << false;
}

void TestTask::stoppedTasksAreDeletedOnceAndSilent()
{
    QFETCH(int, ending);
    QFETCH(bool, checksStop);
    const int count = 200;
    QHash<ProbeTask *, int> destroyed;
    ProbeTask::deletions = &destroyed;
    int deliveredAfterStop = 0;

    for (int i = 0; i < count; ++i) {
        auto *task = new ProbeTask(ProbeTask::Ending(ending), checksStop);
        auto *counter = &deliveredAfterStop;
        connect(task, &Task::progressChanged, this, [counter](Task *t) {
            if (t->isStopRequested())
                ++*counter;
        });
        connect(task, &Task::finished, this, [counter] { ++*counter; });
        // Half the tasks have a notification queued when the stop arrives.
        task->earlyProgress = i % 2 ? 5 : 0;
        task->start();
        if (task->earlyProgress) {
            QDeadlineTimer deadline(5000);
            while (task->progress() != 5 && !deadline.hasExpired())
                QThread::yieldCurrentThread();
        }
        task->requestStop();
        QCOMPARE(task->status(), int(Task::StopRequested));
        task->gate.release();
    }

    QTRY_COMPARE_WITH_TIMEOUT(destroyed.size(), count, 10000);
    QThreadPool::globalInstance()->waitForDone(5000);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (int n : qAsConst(destroyed))
        QCOMPARE(n, 1);
    QCOMPARE(destroyed.size(), count);
    QCOMPARE(deliveredAfterStop, 0);
    ProbeTask::deletions = nullptr;
}

void TestTask::percentUses64Bits()
{
    struct Probe : Task
    {
        void run() override {}
        using Task::percent;
    };
    QCOMPARE(Probe::percent(0, 0), 0);
    QCOMPARE(Probe::percent(1, 3), 33);
    QCOMPARE(Probe::percent(5, 5), 100);
    QCOMPARE(Probe::percent(7, 5), 100);
    // 3e9 x 100 overflows 32 bits; the percentage must not.
    QCOMPARE(Probe::percent(qint64(3000000000), qint64(4000000000)), 75);
    const qint64 huge = std::numeric_limits<qint64>::max() / 2;
    QCOMPARE(Probe::percent(huge / 4 * 3, huge), 75);
}

void TestTask::progressNotifiedOncePerValue()
{
    // Every change queues a notification, but all of them are delivered after
    // the run, when the value has reached 100: it is reported once.
    ProbeTask task;
    task.progressSteps = {10, 20, 30, 40, 50, 60, 70, 80, 90};
    QVector<int> seen;
    connect(&task, &Task::progressChanged, this, [&seen](Task *t) { seen << t->progress(); });
    task.gate.release();
    task.start();
    QVERIFY(QThreadPool::globalInstance()->waitForDone(5000));
    QCoreApplication::processEvents();
    QCOMPARE(seen, QVector<int>{100});
}

QTEST_GUILESS_MAIN(TestTask)
#include "tst_task.moc"
