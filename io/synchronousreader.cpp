#include "io/synchronousreader.h"

#include "core/task.h"
#include "io/csvfield.h"
#include "io/linereader.h"

#include <QCoreApplication>
#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

bool SynchronousReader::read(Data &data)
{
    LineReader lines(device());
    QVector<QString> names;
    if (!checkEncoding(lines) || !readHeader(lines, names) || !skipReservedLines(lines))
        return false;
    data = Data(names, 0);
    if (!readRows(lines, data))
        return false;
    // Later stages copy the capacity too. Squeezing copies the table, so
    // only a guess far off is worth it.
    if (data.values.capacity() - data.values.size() > data.values.size() / 8) {
        data.values.squeeze();
        data.times.squeeze();
    }
    return true;
}

bool SynchronousReader::readHeader(LineReader &lines, QVector<QString> &names)
{
    const char separator = dialect().separator();
    const char *begin = nullptr;
    const char *end = nullptr;
    if (!lines.readLine(begin, end) || begin == end) {
        if (lines.hasError())
            return failRead();
        return fail(dialect().missingHeaderMessage());
    }
    const qint64 separators = std::count(begin, end, separator);
    if (separators < 1)
        return fail(QCoreApplication::translate("Task", "No attribute found in the first line."));
    names.reserve(int(std::min<qint64>(separators, Data::maxValueCount())));
    const char *field =
        static_cast<const char *>(std::memchr(begin, separator, size_t(end - begin)));
    while (field != end) {
        const char *start = field + 1;
        field = std::find(start, end, separator);
        QString name;
        if (!CsvField::decode(start, field, name))
            return fail(CsvField::tooLongMessage(1, field - start));
        names.append(name);
    }
    return true;
}

bool SynchronousReader::skipReservedLines(LineReader &lines)
{
    const char *begin = nullptr;
    const char *end = nullptr;
    for (int line = 2; line <= 10; ++line) {
        if (!lines.readLine(begin, end)) {
            if (lines.hasError())
                return failRead();
            return fail(QCoreApplication::translate(
                "Task", "No data found, the file contains less than 10 lines."));
        }
    }
    return checkpoint(0);
}

bool SynchronousReader::readRows(LineReader &lines, Data &data)
{
    const qint64 fileSize = device()->size();
    const qint64 headerSize = lines.consumed();
    // Rows are counted from a sample this large before the table is reserved:
    // a single short first row would make the guess ten times too large.
    const qint64 sample = 1 << 16;
    bool reserved = false;
    qint64 line = 10;
    qint64 previousKey = std::numeric_limits<qint64>::min();
    const char *begin = nullptr;
    const char *end = nullptr;
    while (lines.readLine(begin, end)) {
        if (!readRow(begin, end, ++line, previousKey, data))
            return false;
        const qint64 consumed = lines.consumed() - headerSize;
        if (!reserved && consumed >= sample) {
            reserved = true;
            reserveRows(data, qint64(double(fileSize - lines.consumed()) * data.timeCount() /
                                     double(consumed)));
        }
        if (!checkpoint(Task::percent(consumed, fileSize)))
            return false;
    }
    return !lines.hasError() || failRead();
}

bool SynchronousReader::readRow(const char *begin, const char *end, qint64 line,
                                qint64 &previousKey, Data &data)
{
    const char separator = dialect().separator();
    const qint64 attributes = data.attributeCount();
    if (std::count(begin, end, separator) != attributes) {
        return fail(QCoreApplication::translate(
                        "Task", "Line %1 doesn't contain %2 values (time included).")
                        .arg(line)
                        .arg(attributes + 1));
    }
    const char *timeEnd = std::find(begin, end, separator);
    qint64 key = 0;
    if (!CsvField::parseTimeKey(begin, timeEnd, key))
        return failTime(line, begin, timeEnd);
    const QDateTime time = CsvField::timeOfKey(key);
    if (key < previousKey) {
        const QLatin1String format("yyyy-MM-dd hh:mm:ss");
        return fail(QCoreApplication::translate("Task", "Line %1 doesn't contain a time value "
                                                        "greater than the previous one (%2 < %3).")
                        .arg(line)
                        .arg(time.toString(format), data.lastTime().toString(format)));
    }
    const QString tooLarge = Data::sizeProblem(data.timeCount() + 1, attributes, valueLimit());
    if (!tooLarge.isEmpty()) {
        return fail(QCoreApplication::translate("Task", "Line %1 can't be loaded: %2")
                        .arg(line)
                        .arg(tooLarge));
    }
    previousKey = key;
    double *row = data.addTimeStep(time);
    const char *field = timeEnd;
    const bool decimalComma = dialect().hasDecimalComma();
    for (qint64 i = 0; i < attributes; ++i) {
        const char *fieldEnd = std::find(++field, end, separator);
        row[i] = CsvField::parseValue(field, fieldEnd, decimalComma);
        field = fieldEnd;
    }
    return true;
}

void SynchronousReader::reserveRows(Data &data, qint64 expectedRows) const
{
    // Growing row by row doubles the table again and again, copying it each
    // time and briefly holding it twice. Pages reserved but never written cost
    // no memory, and the reservation is only a guess, so it may fail.
    const qint64 attributes = data.attributeCount();
    if (attributes == 0)
        return;
    const qint64 rowLimit = std::min(valueLimit(), Data::maxValueCount()) / attributes;
    const qint64 rows = std::min(expectedRows + expectedRows / 32 + 16, rowLimit);
    try {
        data.values.reserve(int(rows * attributes));
        data.times.reserve(int(rows));
    } catch (const std::bad_alloc &) {
    }
}
