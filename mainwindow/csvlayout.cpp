#include "mainwindow/csvlayout.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QVector>

namespace {

// The first line of a synchronous file's data, and enough asynchronous lines.
constexpr int linesToRead = 11;
// A header of many thousand attribute names fits; a binary file stops here.
constexpr qint64 maxHeadLength = 1 << 20;

bool isTime(const QString &field)
{
    return QDateTime::fromString(field.trimmed(), QStringLiteral("yyyy-MM-dd hh:mm:ss")).isValid();
}

QVector<QStringList> splitEverySeparator(const QString &line)
{
    QVector<QStringList> splits;
    splits << line.split(QLatin1Char(',')) << line.split(QLatin1Char(';'));
    // French asynchronous files may separate their fields by runs of tabs.
    splits << line.split(QLatin1Char('\t'), Qt::SkipEmptyParts);
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
    const QByteArray head = file.read(maxHeadLength);
    QString text = QString::fromUtf8(head);
    if (text.startsWith(QChar(0xfeff)))
        text.remove(0, 1);
    // Runs of CR, with or without a LF after them, end a line as in the readers.
    QStringList lines = text.split(QRegularExpression(QStringLiteral("\r*\n|\r+")));
    if (head.size() == maxHeadLength || lines.last().isEmpty())
        lines.removeLast(); // cut short, or nothing after the last line end
    lines = lines.mid(0, linesToRead);
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
