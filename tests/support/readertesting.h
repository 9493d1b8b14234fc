#ifndef VIREO_TESTS_SUPPORT_READERTESTING_H
#define VIREO_TESTS_SUPPORT_READERTESTING_H

// Reading a file the way the window does, and comparing doubles bit for bit.
#include "io/filereader.h"

#include <QSignalSpy>
#include <QStringList>
#include <QTest>

#include <cstring>

// Both NaN, or the same bits: -0 is not 0.
inline bool sameBits(double x, double y)
{
    return (qIsNaN(x) && qIsNaN(y)) || std::memcmp(&x, &y, sizeof x) == 0;
}

// Empty when every value has the bits of the expected one; else the first that differs.
inline QString bitDifference(const QVector<double> &actual, const QVector<double> &expected)
{
    if (actual.size() != expected.size())
        return QStringLiteral("size %1, expected %2").arg(actual.size()).arg(expected.size());
    for (int i = 0; i < actual.size(); ++i)
        if (!sameBits(actual[i], expected[i]))
            return QString::asprintf("value %d: %.17g, expected %.17g", i, actual[i], expected[i]);
    return QString();
}

// The reader's messages.
inline const QString utf16 = QStringLiteral("The file %1 is UTF-16 encoded; save it as UTF-8.");
inline const QString badTime = QStringLiteral("Line %1 doesn't contain a valid time value : %2.");
inline const QString syncCount =
    QStringLiteral("Line %1 doesn't contain %2 values (time included).");
inline const QString asyncCount =
    QStringLiteral("Line %1 doesn't contain 3 values separated by a %2.");
inline const QString firstLine =
    QStringLiteral("The first line of the file must contains a '%1' separated attributes list.");
inline const QString noAttribute = QStringLiteral("No attribute found in the first line.");
inline const QString tooShort =
    QStringLiteral("No data found, the file contains less than 10 lines.");
inline const QString decrease =
    QStringLiteral("Line %1 doesn't contain a time value greater than the previous one (%2 < %3).");

struct ReadOutcome
{
    int status = -1; // stays -1 unless finished() came exactly once
    QString message;
    Data data;
    QVector<int> progress; // each value the reader set
};

// Runs one reader on the global pool until its finished() arrives.
inline ReadOutcome readFile(const QString &path, int mode, int origin,
                            qint64 valueLimit = Data::maxValueCount(), qint64 blockSize = 0)
{
    FileReader reader(path, mode, origin);
    reader.setValueLimit(valueLimit);
    reader.setBlockSize(blockSize);
    ReadOutcome outcome;
    reader.setProgressObserver([&outcome](int p) { outcome.progress.append(p); });
    QSignalSpy finished(&reader, &Task::finished);
    reader.start();
    if (finished.wait(120000) && finished.count() == 1)
        outcome.status = reader.status();
    outcome.message = reader.errorMessage();
    outcome.data = reader.result();
    return outcome;
}

// "names / times / values", values to 17 digits; a time not in UTC is marked.
inline QString describe(const Data &data)
{
    QStringList times, values;
    for (const QDateTime &time : data.times)
        times << time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) +
                     (time.timeSpec() == Qt::UTC ? "" : "(not UTC)");
    for (double value : data.values)
        values << QString::number(value, 'g', 17);
    return QStringList(data.attributes.toList()).join('|') + " / " + times.join('|') + " / " +
           values.join(' ');
}

// Failed with that message, leaving no partial table.
inline void expectFailure(const ReadOutcome &outcome, const QString &message)
{
    QCOMPARE(outcome.message, message);
    QCOMPARE(outcome.status, int(Task::Failed));
    QCOMPARE(describe(outcome.data), QString(" /  / "));
}

// The table as describe() gives it, or else the failure's message (%1: the path).
inline void expectRead(const ReadOutcome &outcome, const QString &expected, const QString &path)
{
    if (outcome.status != Task::Done)
        return expectFailure(outcome, expected.contains("%1") ? expected.arg(path) : expected);
    QCOMPARE(describe(outcome.data), expected);
    QCOMPARE(outcome.message, QString());
}

#endif
