#ifndef VIREO_FUZZ_TASKPROBE_H
#define VIREO_FUZZ_TASKPROBE_H

#include "core/data.h"
#include "core/task.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <functional>

// Runs tasks the way the main window does (start, wait for finished, delete)
// and records what they delivered; the shared set-up of every harness.
class TaskProbe
{
public:
    struct Outcome
    {
        int finishedCount = 0;
        int status = -1;
        QString message;
        QVector<int> progress; // progress() as each notification arrived
        int deliveredAfterFinished = 0;
    };

    // An application object for the event loop; file contents decoded as
    // UTF-8 and clock times read in UTC, whatever the machine's settings.
    static void initialize(int *argc, char ***argv);

    // Writes the input to the harness's own temporary file; returns its path.
    static QString writeInput(const QByteArray &bytes);
    static QString scratchPath(const QString &name);

    // Starts the task, waits for finished() and deletes the task once its
    // worker has left run(); takeResult reads it from the finished() slot.
    static Outcome run(Task *task, const std::function<void(Task *)> &takeResult);

    // Every task ends with one finished(), a message when it failed, and
    // progress that only moves forward within 0..100.
    static void checkDelivery(const Outcome &outcome);

    // Aborts with the reason, so that libFuzzer keeps the input.
    static void require(bool condition, const QString &what);

    // Bitwise, except that every NaN equals every other NaN.
    static bool sameValue(double a, double b);
    // "" when equal, otherwise where they first differ.
    static QString difference(const Data &actual, const Data &expected);
    static bool isEmpty(const Data &data);
};

#endif // VIREO_FUZZ_TASKPROBE_H
