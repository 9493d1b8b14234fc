#include "core/task.h"

#include <QThreadPool>

Task::Task()
{
    setAutoDelete(false);
}

Task::~Task() = default;

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
