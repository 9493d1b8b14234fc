#include "core/task.h"

#include <QSemaphore>
#include <QThreadPool>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace {
std::atomic<int> liveTasks{0};
} // namespace

Task::Task()
{
    setAutoDelete(false);
    ++liveTasks;
}

Task::~Task()
{
    --liveTasks;
}

int Task::liveCount()
{
    return liveTasks.load();
}

bool Task::exchangeStatus(int expected, int desired)
{
    return m_status.compare_exchange_strong(expected, desired);
}

void Task::start()
{
    if (exchangeStatus(Idle, Running))
        QThreadPool::globalInstance()->start(this, 0);
}

void Task::requestStop()
{
    exchangeStatus(Running, StopRequested);
}

void Task::fail(const QString &message)
{
    if (!exchangeStatus(Running, Failed)) {
        // Stopped meanwhile: nobody will receive finished(), so clean up here.
        if (isStopRequested())
            dispose();
        return;
    }
    m_errorMessage = message;
    announceFinished();
}

void Task::setProgress(int value)
{
    if (m_progress.load(std::memory_order_relaxed) == value || m_progress.exchange(value) == value)
        return;
    if (m_observer)
        m_observer(value);
    QMetaObject::invokeMethod(this, &Task::deliverProgress, Qt::QueuedConnection);
}

bool Task::checkpoint(int percentage)
{
    if (isStopRequested()) {
        dispose();
        return false;
    }
    setProgress(percentage);
    return true;
}

bool Task::checkpoint(qint64 done, qint64 total)
{
    // Most calls move less than a percent; a product tells so without dividing.
    const int current = progress();
    const bool same =
        done < total && total < (qint64(1) << 56) && done * 100 < (current + 1) * total;
    return checkpoint(same ? current : percent(done, total));
}

void Task::claimMemory(qint64 bytes) const
{
    if (bytes > m_memoryLimit)
        throw std::bad_alloc();
}

void Task::dispose()
{
    QObject::disconnect(this, nullptr, nullptr, nullptr);
    // Never delete on the pool thread: the object belongs to its own thread,
    // and notifications queued before this point must drain first.
    deleteLater();
}

bool Task::complete()
{
    if (exchangeStatus(Running, Done))
        return true;
    if (isStopRequested())
        dispose();
    return false;
}

void Task::announceFinished()
{
    QMetaObject::invokeMethod(this, &Task::deliverFinished, Qt::QueuedConnection);
}

int Task::percent(qint64 done, qint64 total)
{
    if (total <= 0 || done <= 0)
        return 0;
    if (done >= total)
        return 100;
    // done < total, so done * 100 only overflows for totals beyond 2^56.
    if (done > std::numeric_limits<qint64>::max() / 100)
        return int(done / (total / 100));
    return int(done * 100 / total);
}

void Task::deliverProgress()
{
    // Several notifications may be queued for one value, read when delivered.
    const int value = progress();
    if (isStopRequested() || value == m_delivered)
        return;
    m_delivered = value;
    emit progressChanged(this);
}

void Task::deliverFinished()
{
    // The receiver may delete the task; nothing touches it afterwards.
    emit finished(this);
}

int Task::parallelism()
{
    return std::max(1, QThreadPool::globalInstance()->maxThreadCount());
}

void Task::runInParallel(int count, const std::function<void(int index, int worker)> &job)
{
    std::atomic<int> next{0};
    std::atomic<bool> outOfMemory{false};
    const auto drain = [&](int worker) {
        try {
            for (int index = next++; index < count; index = next++)
                job(index, worker);
        } catch (const std::bad_alloc &) {
            outOfMemory = true;
            next = count; // the others stop after their current job
        }
    };
    QThreadPool *pool = QThreadPool::globalInstance();
    QSemaphore ended;
    std::vector<std::unique_ptr<QRunnable>> helpers;
    const int helperCount = std::min(count, parallelism()) - 1;
    for (int worker = 1; worker <= helperCount; ++worker) {
        helpers.emplace_back(QRunnable::create([&drain, &ended, worker] {
            drain(worker);
            ended.release();
        }));
        helpers.back()->setAutoDelete(false);
        pool->start(helpers.back().get());
    }
    drain(0);
    // Helpers still queued never saw the jobs; the others are waited for,
    // since they use this frame.
    int started = 0;
    for (const std::unique_ptr<QRunnable> &helper : helpers)
        started += pool->tryTake(helper.get()) ? 0 : 1;
    ended.acquire(started);
    if (outOfMemory)
        throw std::bad_alloc();
}

QVector<double> Task::newValues(int count)
{
    QVector<double> values;
    values.reserve(count);
    // The reserved memory is the vector's own; only its pages are touched.
    double *memory = values.data();
    // No large-page hint: where the system compacts memory for it, the
    // first touch sometimes stalled for longer than the whole pass.
    const int pageValues = 4096 / int(sizeof(double));
    const int pieces = std::max(1, std::min(parallelism(), count / (64 * pageValues)));
    runInParallel(pieces, [=](int piece, int) {
        const int begin = int(qint64(count) * piece / pieces);
        const int end = int(qint64(count) * (piece + 1) / pieces);
        if (populate(memory + begin, memory + end))
            return;
        for (int i = begin; i < end; i += pageValues)
            memory[i] = 0.0;
    });
    values.resize(count);
    return values;
}

bool Task::populate(void *begin, void *end)
{
#if defined(Q_OS_LINUX) && defined(MADV_POPULATE_WRITE)
    const quintptr page = 4096;
    const quintptr from = (quintptr(begin) + page - 1) & ~(page - 1);
    const quintptr to = quintptr(end) & ~(page - 1);
    return to <= from ||
           madvise(reinterpret_cast<void *>(from), to - from, MADV_POPULATE_WRITE) == 0;
#else
    Q_UNUSED(begin)
    Q_UNUSED(end)
    return false;
#endif
}
