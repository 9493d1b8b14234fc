#ifndef VIREO_MAINWINDOW_CURRENTTASK_H
#define VIREO_MAINWINDOW_CURRENTTASK_H

#include "core/task.h"

// The one background task the window waits for. Starting another asks it to
// stop; a task replaced after it had already finished is dropped when its
// finished() arrives, so an older result never overwrites a newer one.
// A task deletes itself once its finished() has been delivered, even when
// its receiver is gone.
class CurrentTask
{
public:
    enum Outcome
    {
        Superseded,
        Failed,
        Succeeded
    };

    Task *get() const { return m_task; }
    bool is(const Task *task) const { return task && task == m_task; }

    template <typename Receiver>
    void start(Task *task, Receiver *receiver, void (Receiver::*finished)(Task *),
               void (Receiver::*progress)(Task *))
    {
        stop();
        m_task = task;
        QObject::connect(task, &Task::finished, receiver, finished);
        QObject::connect(task, &Task::progressChanged, receiver, progress);
        QObject::connect(task, &Task::finished, task, &QObject::deleteLater);
        task->start();
    }
    void stop();
    // For the receiver of finished(): what to make of the task's result.
    Outcome release(Task *task);

private:
    Task *m_task = nullptr;
};

#endif // VIREO_MAINWINDOW_CURRENTTASK_H
