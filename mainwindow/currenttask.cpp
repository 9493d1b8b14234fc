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
    if (task != m_task)
        return Superseded;
    m_task = nullptr;
    return task->status() == Task::Done ? Succeeded : Failed;
}
