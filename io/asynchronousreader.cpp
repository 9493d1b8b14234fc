#include "io/asynchronousreader.h"

#include "io/csvfield.h"
#include "io/linereader.h"
#include "io/measurementindex.h"

#include <QCoreApplication>
#include <QIODevice>

#include <algorithm>
#include <cstring>

// One line of an asynchronous file: three non-empty fields.
struct AsynchronousReader::Measurement
{
    const char *name;
    const char *nameEnd;
    const char *value;
    const char *valueEnd;
    qint64 time;
};

bool AsynchronousReader::read(Data &data)
{
    MeasurementIndex index;
    qint64 lineCount = 0;
    {
        LineReader lines(device());
        if (!checkEncoding(lines) || !indexMeasurements(lines, index, lineCount) ||
            !allocateTable(index, data))
            return false;
    }
    if (!checkpoint(40))
        return false;
    if (!device()->seek(0))
        return failRead();
    LineReader lines(device());
    return fillTable(lines, index, lineCount, data);
}

bool AsynchronousReader::readMeasurement(const char *begin, const char *end, qint64 line,
                                         Measurement &out)
{
    const char separator = dialect().separator();
    const char *fields[3][2];
    int count = 0;
    for (const char *field = begin; count <= 3; ++field) {
        const char *fieldEnd = std::find(field, end, separator);
        if (fieldEnd != field) {
            if (count < 3) {
                fields[count][0] = field;
                fields[count][1] = fieldEnd;
            }
            ++count;
        }
        if (fieldEnd == end)
            break;
        field = fieldEnd;
    }
    if (count != 3)
        return fail(dialect().fieldCountMessage(line));
    if (!parseTime(fields[1][0], fields[1][1], out.time))
        return failTime(line, fields[1][0], fields[1][1]);
    if (fields[0][1] - fields[0][0] > CsvField::maxLength())
        return fail(CsvField::tooLongMessage(line, fields[0][1] - fields[0][0]));
    out.name = fields[0][0];
    out.nameEnd = fields[0][1];
    out.value = fields[2][0];
    out.valueEnd = fields[2][1];
    return true;
}

bool AsynchronousReader::parseTime(const char *begin, const char *end, qint64 &key)
{
    const size_t length = sizeof m_lastTimeText;
    if (size_t(end - begin) == length && m_lastTimeKey >= 0 &&
        std::memcmp(begin, m_lastTimeText, length) == 0) {
        key = m_lastTimeKey;
        return true;
    }
    if (!CsvField::parseTimeKey(begin, end, key))
        return false;
    std::memcpy(m_lastTimeText, begin, length);
    m_lastTimeKey = key;
    return true;
}

bool AsynchronousReader::indexMeasurements(LineReader &lines, MeasurementIndex &index,
                                           qint64 &lineCount)
{
    const char *begin = nullptr;
    const char *end = nullptr;
    Measurement measurement;
    while (lines.readLine(begin, end)) {
        if (!readMeasurement(begin, end, ++lineCount, measurement))
            return false;
        index.addName(measurement.name, measurement.nameEnd);
        index.addTime(measurement.time);
        if (!checkpoint(0))
            return false;
    }
    if (lines.hasError())
        return failRead();
    index.sortTimes();
    return true;
}

bool AsynchronousReader::allocateTable(const MeasurementIndex &index, Data &data)
{
    const qint64 attributes = index.attributeCount();
    const qint64 times = index.timeCount();
    const QString tooLarge = Data::sizeProblem(times, attributes, valueLimit());
    if (!tooLarge.isEmpty())
        return fail(
            QCoreApplication::translate("Task", "The file can't be loaded: %1").arg(tooLarge));
    data = Data(int(times), int(attributes));
    data.attributes = index.names();
    const std::vector<qint64> &keys = index.times();
    for (int row = 0; row < int(times); ++row)
        data.times[row] = CsvField::timeOfKey(keys[size_t(row)]);
    return true;
}

bool AsynchronousReader::fillTable(LineReader &lines, const MeasurementIndex &index,
                                   qint64 lineCount, Data &data)
{
    const bool decimalComma = dialect().hasDecimalComma();
    const qint64 attributes = data.attributeCount();
    double *values = data.values.data();
    qint64 line = 0;
    int threshold = 50;
    int reported = 40;
    const char *begin = nullptr;
    const char *end = nullptr;
    Measurement measurement;
    qint64 lastKey = 0;
    int lastRow = -1;
    while (lines.readLine(begin, end)) {
        if (++line > lineCount)
            return failChanged();
        if (!readMeasurement(begin, end, line, measurement))
            return false;
        const int column = index.column(measurement.name, measurement.nameEnd);
        if (lastRow < 0 || measurement.time != lastKey) {
            lastKey = measurement.time;
            lastRow = index.row(lastKey);
        }
        const int row = lastRow;
        if (column < 0 || row < 0)
            return failChanged();
        values[row * attributes + column] =
            CsvField::parseValue(measurement.value, measurement.valueEnd, decimalComma);
        // The lines, not the cells, measure how far this pass has come.
        const int progress = 40 + int(line * 60 / lineCount);
        if (progress >= threshold) {
            reported = progress;
            threshold += 10;
        }
        if (!checkpoint(reported))
            return false;
    }
    if (lines.hasError())
        return failRead();
    return line == lineCount || failChanged();
}

bool AsynchronousReader::failChanged()
{
    return fail(QCoreApplication::translate("Task", "The file %1 changed while it was read.")
                    .arg(fileName()));
}
