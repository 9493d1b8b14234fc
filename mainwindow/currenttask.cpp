#include "mainwindow/currenttask.h"

void CurrentTask::stop()
{
    // A running task disposes of itself; one that has already finished still
    // delivers its result, which release() then drops.
    if (m_task)
        m_task->requestStop();
    m_task = nullptr;
}

CurrentTask::Outcome CurrentTask::release(Task *task)
{
    const bool done = task->status() == Task::Done;
    const bool current = task == m_task;
    if (current)
        m_task = nullptr;
    delete task;
    if (!current)
        return Superseded;
    return done ? Succeeded : Failed;
}
