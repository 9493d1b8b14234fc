#include "mainwindow/csvlayout.h"

#include <QDateTime>
#include <QFile>
#include <QStringList>
#include <QVector>

namespace {

// The first line of a synchronous file's data, and enough asynchronous lines.
constexpr int linesToRead = 11;
// A header of a few thousand attribute names fits; a binary file stops here.
constexpr qint64 maxLineLength = 1 << 20;

bool isTime(const QString &field)
{
    return QDateTime::fromString(field.trimmed(), QStringLiteral("yyyy-MM-dd hh:mm:ss")).isValid();
}

QVector<QStringList> splitEverySeparator(const QString &line)
{
    QVector<QStringList> splits;
    for (QChar separator : {QLatin1Char(','), QLatin1Char(';'), QLatin1Char('\t')})
        splits << line.split(separator);
    return splits;
}

bool isMeasurement(const QString &line)
{
    for (const QStringList &fields : splitEverySeparator(line))
        if (fields.size() == 3 && isTime(fields[1]))
            return true;
    return false;
}

bool startsWithTime(const QString &line)
{
    for (const QStringList &fields : splitEverySeparator(line))
        if (fields.size() > 1 && isTime(fields[0]))
            return true;
    return false;
}

} // namespace

CsvLayout::Layout CsvLayout::detect(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return Unknown;
    QStringList lines;
    while (lines.size() < linesToRead && !file.atEnd()) {
        QString line = QString::fromUtf8(file.readLine(maxLineLength));
        if (lines.isEmpty() && line.startsWith(QChar(0xfeff)))
            line.remove(0, 1);
        while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        lines << line;
    }
    if (lines.isEmpty())
        return Unknown;

    bool measurements = true;
    for (const QString &line : lines)
        measurements = measurements && (line.isEmpty() || isMeasurement(line));
    measurements = measurements && !lines[0].isEmpty();
    const bool table = lines.size() == linesToRead && !isMeasurement(lines[0]) &&
                       !startsWithTime(lines[0]) && startsWithTime(lines.last());
    if (measurements == table)
        return Unknown;
    return table ? Synchronous : Asynchronous;
}
