#ifndef VIREO_CORE_TASK_H
#define VIREO_CORE_TASK_H

#include <QObject>
#include <QRunnable>
#include <QString>
#include <QVector>

#include <atomic>
#include <functional>
#include <limits>
#include <new>

// A piece of background work run once on the global thread pool. The object
// lives on the thread that created it (the user-interface thread); run() works
// on a pool thread and reports back only through finished() and
// progressChanged(), which are always emitted on the object's own thread.
//
// Delivery goes through the task's own event queue, so a task that was asked
// to stop never reports again once requestStop() has returned, and a deleted
// task takes its pending notifications with it.
class Task : public QObject, public QRunnable
{
    Q_OBJECT

public:
    enum Status
    {
        Idle = 0,
        Running = 1,
        StopRequested = 2,
        Done = 4,
        Failed = 5
    };

    Task();
    ~Task() override;

    void start();
    void requestStop();
    bool isStopRequested() const { return status() == StopRequested; }

    int progress() const { return m_progress.load(); }
    int status() const { return m_status.load(); }
    QString errorMessage() const { return m_errorMessage; }

    // Bytes the task may claim for its working copies; tests lower it to
    // provoke what exhausted memory does.
    void setMemoryLimit(qint64 bytes) { m_memoryLimit = bytes; }
    // Sees every new progress value on the pool thread, where notifications
    // only show the latest; for tests.
    void setProgressObserver(const std::function<void(int)> &observer) { m_observer = observer; }

    // Percentage of done out of total, in 64 bits, clamped to 0..100.
    static int percent(qint64 done, qint64 total);
    // Tasks constructed and not yet destroyed, for tests that check none is
    // left behind.
    static int liveCount();

    // Threads that runInParallel() may use at most, the caller's included.
    static int parallelism();
    // Runs job(index, worker) for every index in 0..count-1 on the calling
    // thread and idle threads of the global pool, and returns when all are
    // done. worker (below parallelism()) tells which scratch space to use.
    // The caller always takes part, so a busy pool only slows it down. A
    // std::bad_alloc of any job reaches the caller once every job has ended.
    static void runInParallel(int count, const std::function<void(int index, int worker)> &job);
    // count zeros whose memory every thread has touched first: on a fresh
    // allocation the first touch of each page costs more than its writing.
    static QVector<double> newValues(int count);
    // Gives the fresh pages that lie wholly in [begin, end) their memory in
    // one call, instead of one fault per page at its first write. False
    // where the system cannot, and nothing is done.
    static bool populate(void *begin, void *end);

signals:
    void finished(Task *task);
    void progressChanged(Task *task);

protected:
    // For run(), on the pool thread.
    void fail(const QString &message);
    void setProgress(int value);
    void dispose();
    // Disposes of the task on a stop request, else reports the progress.
    // False once the task is gone: the caller must return at once.
    bool checkpoint(int percentage);
    bool checkpoint(qint64 done, qint64 total);
    // Behaves as a failed allocation when bytes exceed the memory limit.
    void claimMemory(qint64 bytes) const;
    // Runs work; false when memory ran out, which must end the task, never
    // the program.
    template <typename Work> static bool withinMemory(Work &&work)
    {
        try {
            work();
            return true;
        } catch (const std::bad_alloc &) {
            return false;
        }
    }
    // Running -> Done; false when a stop was requested meanwhile, in which
    // case the task has disposed of itself and the caller must return.
    bool complete();
    // Ends a successful run: emits finished once the result is stored.
    void announceFinished();

private:
    bool exchangeStatus(int expected, int desired);
    void deliverProgress();
    void deliverFinished();

    std::atomic<int> m_progress{0};
    std::atomic<int> m_status{Idle};
    QString m_errorMessage;
    qint64 m_memoryLimit = std::numeric_limits<qint64>::max();
    std::function<void(int)> m_observer;
    int m_delivered = 0; // last progress notified, on the object's thread
};

// A task with a typed result, stored by run() just before finished().
template <typename T> class TypedTask : public Task
{
public:
    T result() const { return m_result; }

protected:
    void setResult(const T &result) { m_result = result; }

    // The success sequence shared by every concrete task: Running -> Done,
    // then progress 100, the result and finished(); nothing if a stop won.
    void succeed(const T &result)
    {
        if (!complete())
            return;
        setProgress(100);
        m_result = result;
        announceFinished();
    }

private:
    T m_result{};
};

#endif // VIREO_CORE_TASK_H
