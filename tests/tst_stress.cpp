#include "io/filereader.h"
#include "operations/agregation.h"
#include "operations/correlation.h"
#include "operations/normalization.h"
#include "operations/reorganization.h"
#include "testsupport.h"

#include <QtTest>

#include <atomic>
#include <chrono>
#include <vector>

namespace {

// Destructions per task id, counted on whatever thread they happen.
std::vector<std::atomic<int>> *deletions = nullptr;
std::atomic<int> deletionsOffThread{0};
Qt::HANDLE userInterfaceThread = nullptr;

// A task that counts its own destruction, whoever deletes it.
template <typename T> class Counted : public T
{
public:
    template <typename... Args>
    explicit Counted(int id, Args &&...args) : T(std::forward<Args>(args)...), m_id(id)
    {}
    ~Counted() override
    {
        ++(*deletions)[size_t(m_id)];
        if (QThread::currentThreadId() != userInterfaceThread)
            ++deletionsOffThread;
    }

private:
    int m_id;
};

enum Kind
{
    SyncReader,
    AsyncReader,
    Aggregation,
    Normalize,
    Reorganize,
    Correlate,
    KindCount
};

// When the stop request comes. AfterProgress runs on a large input, still working; AfterFinish
// comes before finished() is delivered.
enum Timing
{
    NeverStarted,
    BeforeStart,
    AtOnce,
    AfterProgress,
    NearEnd,
    AfterFinish,
    TimingCount
};

struct Record
{
    bool stopped = false; // requestStop() won: the task must stay silent
    int finished = 0;
    int deliveredAfterStop = 0;
};

Data table(int attributes, int times)
{
    return generatedTable(
        attributes, times, QDateTime(QDate(2014, 1, 1), QTime(0, 0), Qt::UTC), 7,
        [](int t, int a) { return (t * (a + 3)) % 17 + (a == 2 ? qQNaN() : 0.0); }, "A");
}

QByteArray asyncFile(const Data &data)
{
    QByteArray text;
    for (int t = 0; t < data.timeCount(); ++t)
        for (int a = 0; a < data.attributeCount(); ++a)
            text += data.attributes.at(a).toLatin1() + '\t' +
                    data.timeAt(t).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")).toLatin1() +
                    "\t" + QByteArray::number(t + a) + ",5\n";
    return text;
}

} // namespace

class TestStress : public QObject
{
    Q_OBJECT

    // Small inputs finish in a moment; large ones are caught working.
    struct Input
    {
        Data data;
        QString syncPath, asyncPath;
    };
    QTemporaryDir m_dir;
    Input m_small, m_large;

    void writeInput(Input &input, const QString &name, int attributes, int times)
    {
        input.data = table(attributes, times);
        input.syncPath = m_dir.filePath(name + "_sync.csv");
        input.asyncPath = m_dir.filePath(name + "_async.csv");
        QVERIFY(writeFile(input.syncPath, synchronousCsv(input.data)));
        QVERIFY(writeFile(input.asyncPath, asyncFile(table(qMin(attributes, 8), times / 4))));
    }

    // variant picks the mode of tasks that have several.
    static Task *create(int id, Kind kind, int variant, const Input &input)
    {
        switch (kind) {
        case SyncReader:
            return new Counted<FileReader>(id, input.syncPath, 0, 1);
        case AsyncReader:
            return new Counted<FileReader>(id, input.asyncPath, 1, 0);
        case Aggregation:
            return new Counted<Agregation>(id, input.data, variant % 4, 60);
        case Normalize:
            return new Counted<Normalization>(id, input.data, variant % 2);
        case Reorganize:
            return new Counted<Reorganization>(id, input.data, variant % 2);
        default:
            return new Counted<Correlation>(id, variant % 3, Selection(input.data, 1, 2, 10, 30),
                                            0.2, QVector<float>());
        }
    }

private slots:
    void initTestCase()
    {
        userInterfaceThread = QThread::currentThreadId();
        QVERIFY(m_dir.isValid());
        writeInput(m_small, "small", 4, 100);
        // Many attributes, so that every task reports progress early.
        writeInput(m_large, "large", 160, 1000);
    }
    void startStopRaces();
};

// Every kind of task, stopped at every moment, many at once on the pool:
// each is deleted exactly once (by the receiver of finished() or by itself),
// a task whose stop won delivers nothing more, and one whose stop came too
// late (or never came) delivers finished() exactly once.
void TestStress::startStopRaces()
{
    const int rounds = 56;
    const int count = rounds * KindCount * TimingCount;
    std::vector<std::atomic<int>> deleted(static_cast<size_t>(count));
    deletions = &deleted;
    deletionsOffThread = 0;
    QVector<Record> records(count);
    QRandomGenerator random(36);

    for (int id = 0; id < count; ++id) {
        const Kind kind = Kind(id % KindCount);
        const Timing timing = Timing(id / KindCount % TimingCount);
        // Reordering ends with a copy of the whole table: on the large input
        // a stop near the end often comes after the last check point.
        const bool large = timing == AfterProgress || (timing == NearEnd && kind == Reorganize);
        Task *task = create(id, kind, id / (KindCount * TimingCount), large ? m_large : m_small);
        Record *record = &records[id];
        connect(task, &Task::progressChanged, this, [record](Task *) {
            if (record->stopped)
                ++record->deliveredAfterStop;
        });
        connect(task, &Task::finished, this, [record](Task *t) {
            if (record->stopped)
                ++record->deliveredAfterStop;
            ++record->finished;
            delete t;
        });
        if (timing <= BeforeStart)
            task->requestStop();
        if (timing == NeverStarted) {
            QCOMPARE(task->status(), int(Task::Idle));
            delete task;
        } else {
            task->start();
        }
        if (timing >= AfterProgress) {
            const QDeadlineTimer deadline =
                timing == NearEnd
                    ? QDeadlineTimer(std::chrono::microseconds(random.bounded(large ? 1500 : 400)))
                    : QDeadlineTimer(20000);
            while (task->status() == Task::Running &&
                   (timing != AfterProgress || task->progress() == 0) && !deadline.hasExpired())
                QThread::yieldCurrentThread();
        }
        if (timing == AfterFinish)
            QVERIFY(task->status() == Task::Done || task->status() == Task::Failed);
        if (timing >= AtOnce) {
            task->requestStop();
            record->stopped = task->status() == Task::StopRequested;
        }
        QVERIFY(timing != AfterFinish || !record->stopped);
        if (id % 25 == 0)
            QCoreApplication::processEvents();
    }

    auto allDeleted = [&deleted] {
        for (const std::atomic<int> &n : deleted)
            if (n.load() == 0)
                return false;
        return true;
    };
    QTRY_VERIFY_WITH_TIMEOUT(allDeleted(), 20000);
    QThreadPool::globalInstance()->waitForDone(10000);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    int stopped = 0;
    for (int id = 0; id < count; ++id) {
        const Record &r = records.at(id);
        const Timing timing = Timing(id / KindCount % TimingCount);
        QVERIFY2(deleted[size_t(id)].load() == 1, qPrintable(QString::number(id)));
        QCOMPARE(r.deliveredAfterStop, 0);
        QCOMPARE(r.finished, r.stopped || timing == NeverStarted ? 0 : 1);
        stopped += r.stopped ? 1 : 0;
    }
    QCOMPARE(deletionsOffThread.load(), 0);
    QCOMPARE(Task::liveCount(), 0);
    // Some stops must have won, or the race was not run.
    QVERIFY(stopped > 0);
    qInfo("%d tasks, %d stopped while running", count, stopped);
    deletions = nullptr;
}

QTEST_GUILESS_MAIN(TestStress)
#include "tst_stress.moc"
