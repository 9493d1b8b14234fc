#ifndef VIREO_MAINWINDOW_CURRENTTASK_H
#define VIREO_MAINWINDOW_CURRENTTASK_H

#include "core/task.h"

// The one background task the window waits for. Starting another asks it to
// stop; a task replaced after it had already finished is dropped when its
// finished() arrives, so an older result never overwrites a newer one.
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
        task->start();
    }
    void stop();
    // Deletes a task whose finished() has arrived.
    Outcome release(Task *task);

private:
    Task *m_task = nullptr;
};

#endif // VIREO_MAINWINDOW_CURRENTTASK_H
