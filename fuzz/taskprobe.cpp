#include "fuzz/taskprobe.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTextCodec>
#include <QThread>
#include <QThreadPool>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>

void TaskProbe::initialize(int *argc, char ***argv)
{
    qputenv("TZ", "UTC");
    tzset();
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    // libFuzzer's argc and argv live as long as the process.
    new QCoreApplication(*argc, *argv);
}

QString TaskProbe::scratchPath(const QString &name)
{
    return QDir::tempPath() + QStringLiteral("/vireo-fuzz-%1-%2").arg(getpid()).arg(name);
}

QString TaskProbe::writeInput(const QByteArray &bytes)
{
    const QString path = scratchPath(QStringLiteral("input.csv"));
    QFile file(path);
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                file.write(bytes) == bytes.size(),
            QStringLiteral("cannot write ") + path);
    return path;
}

TaskProbe::Outcome TaskProbe::run(Task *task, const std::function<void(Task *)> &takeResult)
{
    Outcome outcome;
    QEventLoop loop;
    QObject::connect(task, &Task::progressChanged, [&outcome](Task *t) {
        if (outcome.finishedCount > 0)
            ++outcome.deliveredAfterFinished;
        outcome.progress.append(t->progress());
    });
    QObject::connect(task, &Task::finished, [&](Task *t) {
        if (++outcome.finishedCount > 1)
            ++outcome.deliveredAfterFinished;
        outcome.status = t->status();
        outcome.message = t->errorMessage();
        takeResult(t);
        loop.quit();
    });
    task->start();
    // A task that never finishes hangs here; libFuzzer's timeout reports it.
    loop.exec();
    // Whatever the worker still queued after finished() must arrive now.
    // (waitForDone() would also end the pool's threads, slowing every run.)
    while (QThreadPool::globalInstance()->activeThreadCount() > 0)
        QThread::yieldCurrentThread();
    QCoreApplication::sendPostedEvents(task);
    delete task;
    return outcome;
}

void TaskProbe::checkDelivery(const Outcome &outcome)
{
    require(outcome.finishedCount == 1,
            QStringLiteral("finished() arrived %1 times").arg(outcome.finishedCount));
    require(
        outcome.deliveredAfterFinished == 0,
        QStringLiteral("%1 notifications after finished()").arg(outcome.deliveredAfterFinished));
    require(outcome.status == Task::Done || outcome.status == Task::Failed,
            QStringLiteral("finished with status %1").arg(outcome.status));
    require(
        (outcome.status == Task::Failed) != outcome.message.isEmpty(),
        QStringLiteral("status %1 with message \"%2\"").arg(outcome.status).arg(outcome.message));
    int last = 0;
    for (int p : outcome.progress) {
        require(p >= last && p <= 100, QStringLiteral("progress %1 after %2").arg(p).arg(last));
        last = p;
    }
}

void TaskProbe::require(bool condition, const QString &what)
{
    if (condition)
        return;
    // NULs quoted from the input are shown, not taken as the end.
    const QByteArray text = "invariant broken: " + what.left(2000).toUtf8() + '\n';
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    std::fflush(stderr);
    std::abort();
}

bool TaskProbe::sameValue(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return std::memcmp(&a, &b, sizeof a) == 0;
}

QString TaskProbe::difference(const Data &actual, const Data &expected)
{
    if (actual.attributes != expected.attributes)
        return QStringLiteral("names [%1] instead of [%2]")
            .arg(QStringList(actual.attributes.toList()).join('|'),
                 QStringList(expected.attributes.toList()).join('|'));
    if (actual.times.size() != expected.times.size() ||
        actual.values.size() != expected.values.size())
        return QStringLiteral("%1 times, %2 values instead of %3 times, %4 values")
            .arg(actual.times.size())
            .arg(actual.values.size())
            .arg(expected.times.size())
            .arg(expected.values.size());
    for (int t = 0; t < actual.times.size(); ++t) {
        const QDateTime &a = actual.times.at(t);
        const QDateTime &e = expected.times.at(t);
        if (a != e || a.timeSpec() != e.timeSpec())
            return QStringLiteral("time %1: %2 instead of %3")
                .arg(t)
                .arg(a.toString(Qt::ISODate), e.toString(Qt::ISODate));
    }
    for (int i = 0; i < actual.values.size(); ++i) {
        if (!sameValue(actual.values.at(i), expected.values.at(i)))
            return QStringLiteral("value %1: %2 instead of %3")
                .arg(i)
                .arg(actual.values.at(i), 0, 'g', 17)
                .arg(expected.values.at(i), 0, 'g', 17);
    }
    return QString();
}

bool TaskProbe::isEmpty(const Data &data)
{
    return data.attributes.isEmpty() && data.times.isEmpty() && data.values.isEmpty();
}
