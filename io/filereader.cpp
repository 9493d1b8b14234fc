#include "io/filereader.h"

#include "io/linereader.h"
#include "io/measurementindex.h"

#include <QFile>
#include <QtNumeric>

#include <fast_float/fast_float.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

namespace {

const char *const timeFormat = "yyyy-MM-dd hh:mm:ss";

bool readDigits(const char *text, int count, int &value)
{
    value = 0;
    for (int i = 0; i < count; ++i) {
        const unsigned digit = unsigned(static_cast<unsigned char>(text[i])) - unsigned('0');
        if (digit > 9)
            return false;
        value = value * 10 + int(digit);
    }
    return true;
}

// The date and clock time written as "yyyy-MM-dd hh:mm:ss", nothing more.
bool parseClock(const char *begin, const char *end, QDate &date, QTime &time)
{
    if (end - begin != 19 || begin[4] != '-' || begin[7] != '-' || begin[10] != ' ' ||
        begin[13] != ':' || begin[16] != ':')
        return false;
    int year, month, day, hour, minute, second;
    if (!readDigits(begin, 4, year) || !readDigits(begin + 5, 2, month) ||
        !readDigits(begin + 8, 2, day) || !readDigits(begin + 11, 2, hour) ||
        !readDigits(begin + 14, 2, minute) || !readDigits(begin + 17, 2, second))
        return false;
    date = QDate(year, month, day);
    time = QTime(hour, minute, second);
    return date.isValid() && time.isValid();
}

// Seconds on a scale that orders UTC clock times, for cheap comparisons.
qint64 timeKey(const QDate &date, const QTime &time)
{
    return date.toJulianDay() * 86400 + time.msecsSinceStartOfDay() / 1000;
}

QDateTime timeOfKey(qint64 key)
{
    return QDateTime(QDate::fromJulianDay(key / 86400),
                     QTime::fromMSecsSinceStartOfDay(int(key % 86400) * 1000), Qt::UTC);
}

// True when every digit before the exponent is 0, so that a zero result is
// exact and not an underflow (which QString::toDouble rejects).
bool isExactZero(const char *begin, const char *end)
{
    for (const char *p = begin; p != end && *p != 'e' && *p != 'E'; ++p)
        if (*p >= '1' && *p <= '9')
            return false;
    return true;
}

// What QString::toDouble makes of the text; NaN where it refuses.
double parseAnyNumber(const char *begin, const char *end)
{
    bool ok = false;
    const double value = QString::fromLocal8Bit(begin, int(end - begin)).toDouble(&ok);
    return ok ? value : qQNaN();
}

// The fast path: plain decimal numbers only. Signs, blanks, infinities,
// overflow and underflow are left to parseAnyNumber so that both agree.
bool parsePlainNumber(const char *begin, const char *end, char point, double &value)
{
    const char first = *begin;
    if (!((first >= '0' && first <= '9') || first == '-' || first == point))
        return false;
    const fast_float::parse_options options(fast_float::chars_format::general, point);
    const fast_float::from_chars_result parsed =
        fast_float::from_chars_advanced(begin, end, value, options);
    return parsed.ec == std::errc() && parsed.ptr == end && std::isfinite(value) &&
           (value != 0 || isExactZero(begin, end));
}

} // namespace

FileReader::FileReader(const QString &fileName, int readMode, int origin)
    : m_fileName(fileName), m_readMode(readMode), m_origin(origin)
{}

QString FileReader::modeName(int mode)
{
    switch (mode) {
    case 0:
        return Task::tr("synchrone");
    case 1:
        return Task::tr("asynchrone");
    default:
        return Task::tr("unknown");
    }
}

void FileReader::run()
{
    // Qt containers report exhausted memory (or sizes beyond their reach) as
    // std::bad_alloc; it must end the task, never the program.
    try {
        if (m_readMode == 1)
            readAsynchronous();
        else
            readSynchronous();
    } catch (const std::bad_alloc &) {
        fail(Task::tr("Not enough memory to load file %1.").arg(m_fileName));
    }
}

QDateTime FileReader::parseTime(const char *begin, const char *end)
{
    QDate date;
    QTime time;
    if (!parseClock(begin, end, date, time))
        return QDateTime();
    return QDateTime(date, time, Qt::UTC);
}

double FileReader::parseValue(const char *begin, const char *end, bool decimalComma)
{
    if (begin == end)
        return qQNaN();
    double value = 0;
    // With a decimal comma, "1,5" and "1.5" both mean one and a half.
    if ((decimalComma && parsePlainNumber(begin, end, ',', value)) ||
        parsePlainNumber(begin, end, '.', value))
        return value;
    if (!decimalComma)
        return parseAnyNumber(begin, end);
    QByteArray replaced(begin, int(end - begin));
    replaced.replace(',', '.');
    return parseAnyNumber(replaced.constData(), replaced.constData() + replaced.size());
}

bool FileReader::open(QFile &file)
{
    if (file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return true;
    fail(Task::tr("Unable to open file %1.").arg(m_fileName));
    return false;
}

bool FileReader::failRead()
{
    fail(Task::tr("Unable to read file %1.").arg(m_fileName));
    return false;
}

bool FileReader::stopIfRequested()
{
    if (!isStopRequested())
        return false;
    dispose();
    return true;
}

void FileReader::readSynchronous()
{
    QFile file(m_fileName);
    if (!open(file))
        return;
    LineReader lines(&file);
    QVector<QString> names;
    if (!readHeader(lines, names) || !skipReservedLines(lines))
        return;
    Data data(names, 0);
    if (readRows(lines, file.size(), data))
        succeed(data);
}

bool FileReader::readHeader(LineReader &lines, QVector<QString> &names)
{
    const char separator = m_origin == 0 ? ';' : ',';
    const char *begin = nullptr;
    const char *end = nullptr;
    if (!lines.readLine(begin, end) || begin == end) {
        if (lines.hasError())
            return failRead();
        fail(
            m_origin == 0
                ? Task::tr(
                      "The first line of the file must contains a ';' separated attributes list.")
                : Task::tr(
                      "The first line of the file must contains a ',' separated attributes list."));
        return false;
    }
    const qint64 separators = std::count(begin, end, separator);
    if (separators < 1) {
        fail(Task::tr("No attribute found in the first line."));
        return false;
    }
    names.reserve(int(std::min<qint64>(separators, Data::maxValueCount())));
    const char *field =
        static_cast<const char *>(std::memchr(begin, separator, size_t(end - begin)));
    while (field != end) {
        const char *start = field + 1;
        field = std::find(start, end, separator);
        names.append(QString::fromLocal8Bit(start, int(field - start)));
    }
    return true;
}

bool FileReader::skipReservedLines(LineReader &lines)
{
    const char *begin = nullptr;
    const char *end = nullptr;
    for (int line = 2; line <= 10; ++line) {
        if (!lines.readLine(begin, end)) {
            if (lines.hasError())
                return failRead();
            fail(Task::tr("No data found, the file contains less than 10 lines."));
            return false;
        }
    }
    return !stopIfRequested();
}

bool FileReader::readRows(LineReader &lines, qint64 fileSize, Data &data)
{
    const qint64 headerSize = lines.consumed();
    qint64 line = 10;
    qint64 previousKey = std::numeric_limits<qint64>::min();
    int reported = 0;
    const char *begin = nullptr;
    const char *end = nullptr;
    while (lines.readLine(begin, end)) {
        if (!readRow(begin, end, ++line, previousKey, data))
            return false;
        const qint64 consumed = lines.consumed() - headerSize;
        if (data.timeCount() == 1)
            reserveRows(data, (fileSize - lines.consumed()) / consumed);
        const int progress = percent(consumed, fileSize);
        if (progress > reported) {
            setProgress(progress);
            reported = progress;
        }
        if (stopIfRequested())
            return false;
    }
    if (lines.hasError())
        return failRead();
    return true;
}

bool FileReader::readRow(const char *begin, const char *end, qint64 line, qint64 &previousKey,
                         Data &data)
{
    const bool french = m_origin == 0;
    const char separator = french ? ';' : ',';
    const qint64 attributes = data.attributeCount();
    if (std::count(begin, end, separator) != attributes) {
        fail(Task::tr("Line %1 doesn't contain %2 values (time included).")
                 .arg(line)
                 .arg(attributes + 1));
        return false;
    }
    const char *timeEnd = std::find(begin, end, separator);
    QDate date;
    QTime clock;
    if (!parseClock(begin, timeEnd, date, clock)) {
        fail(Task::tr("Line %1 doesn't contain a valid time value : %2.")
                 .arg(line)
                 .arg(QString::fromLocal8Bit(begin, int(timeEnd - begin))));
        return false;
    }
    const QDateTime time(date, clock, Qt::UTC);
    const qint64 key = timeKey(date, clock);
    if (key < previousKey) {
        fail(Task::tr("Line %1 doesn't contain a time value greater than the previous one "
                      "(%2 < %3).")
                 .arg(line)
                 .arg(time.toString(QLatin1String(timeFormat)),
                      data.lastTime().toString(QLatin1String(timeFormat))));
        return false;
    }
    const qint64 times = data.timeCount() + 1;
    if (!Data::canHold(times, attributes) || times * attributes > m_valueLimit) {
        fail(Task::tr("Line %1 can't be loaded: %2 attributes at %3 times make %4 values, "
                      "more than the %5 a table can hold.")
                 .arg(line)
                 .arg(attributes)
                 .arg(times)
                 .arg(times * attributes)
                 .arg(std::min(m_valueLimit, Data::maxValueCount())));
        return false;
    }
    previousKey = key;
    double *row = data.addTimeStep(time);
    const char *field = timeEnd;
    for (qint64 i = 0; i < attributes; ++i) {
        const char *fieldEnd = std::find(++field, end, separator);
        row[i] = parseValue(field, fieldEnd, french);
        field = fieldEnd;
    }
    return true;
}

void FileReader::reserveRows(Data &data, qint64 expectedRows)
{
    // Growing row by row doubles the table again and again, copying it each
    // time and briefly holding it twice. One reservation from the length of
    // the first row avoids that; pages reserved but never written cost no
    // memory. It is only a guess, so it may fail without harm.
    const qint64 attributes = data.attributeCount();
    const qint64 rowLimit = std::min(m_valueLimit, Data::maxValueCount()) / attributes;
    const qint64 rows = std::min(expectedRows + expectedRows / 4 + 16, rowLimit);
    try {
        data.values.reserve(int(rows * attributes));
        data.times.reserve(int(rows));
    } catch (const std::bad_alloc &) {
    }
}

// One line of an asynchronous file: three non-empty fields.
struct FileReader::Measurement
{
    const char *name;
    const char *nameEnd;
    const char *value;
    const char *valueEnd;
    qint64 time;
};

void FileReader::readAsynchronous()
{
    QFile file(m_fileName);
    if (!open(file))
        return;
    MeasurementIndex index;
    qint64 lineCount = 0;
    Data data;
    {
        LineReader lines(&file);
        if (!indexMeasurements(lines, index, lineCount) || !allocateTable(index, data))
            return;
    }
    setProgress(40);
    if (!file.seek(0)) {
        failRead();
        return;
    }
    LineReader lines(&file);
    if (fillTable(lines, index, lineCount, data))
        succeed(data);
}

bool FileReader::readMeasurement(const char *begin, const char *end, qint64 line, Measurement &out)
{
    const char separator = m_origin == 0 ? '\t' : ',';
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
    if (count != 3) {
        fail(m_origin == 0
                 ? Task::tr("Line %1 doesn't contain 3 values separated by a tabulation.").arg(line)
                 : Task::tr("Line %1 doesn't contain 3 values separated by a ','.").arg(line));
        return false;
    }
    QDate date;
    QTime clock;
    if (!parseClock(fields[1][0], fields[1][1], date, clock)) {
        fail(Task::tr("Line %1 doesn't contain a valid time value : %2.")
                 .arg(line)
                 .arg(QString::fromLocal8Bit(fields[1][0], int(fields[1][1] - fields[1][0]))));
        return false;
    }
    out = {fields[0][0], fields[0][1], fields[2][0], fields[2][1], timeKey(date, clock)};
    return true;
}

bool FileReader::indexMeasurements(LineReader &lines, MeasurementIndex &index, qint64 &lineCount)
{
    const char *begin = nullptr;
    const char *end = nullptr;
    Measurement measurement;
    while (lines.readLine(begin, end)) {
        if (!readMeasurement(begin, end, ++lineCount, measurement))
            return false;
        index.addName(measurement.name, measurement.nameEnd);
        index.addTime(measurement.time);
        if (stopIfRequested())
            return false;
    }
    if (lines.hasError())
        return failRead();
    index.sortTimes();
    return true;
}

bool FileReader::allocateTable(const MeasurementIndex &index, Data &data)
{
    const qint64 attributes = index.attributeCount();
    const qint64 times = index.timeCount();
    if (!Data::canHold(times, attributes) || times * attributes > m_valueLimit) {
        // The product may not fit in 64 bits; it is only shown.
        fail(Task::tr("The file names %1 attributes at %2 distinct times: %3 values, more than "
                      "the %4 a table can hold.")
                 .arg(attributes)
                 .arg(times)
                 .arg(QString::number(double(attributes) * double(times), 'f', 0))
                 .arg(std::min(m_valueLimit, Data::maxValueCount())));
        return false;
    }
    data = Data(int(times), int(attributes));
    data.attributes = index.names();
    const std::vector<qint64> &keys = index.times();
    for (int row = 0; row < int(times); ++row)
        data.times[row] = timeOfKey(keys[size_t(row)]);
    return !stopIfRequested();
}

bool FileReader::fillTable(LineReader &lines, const MeasurementIndex &index, qint64 lineCount,
                           Data &data)
{
    const bool french = m_origin == 0;
    const qint64 attributes = data.attributeCount();
    double *values = data.values.data();
    qint64 line = 0;
    int threshold = 50;
    const char *begin = nullptr;
    const char *end = nullptr;
    Measurement measurement;
    while (lines.readLine(begin, end)) {
        if (++line > lineCount)
            return failChanged();
        if (!readMeasurement(begin, end, line, measurement))
            return false;
        const int column = index.column(measurement.name, measurement.nameEnd);
        const int row = index.row(measurement.time);
        if (column < 0 || row < 0)
            return failChanged();
        values[row * attributes + column] =
            parseValue(measurement.value, measurement.valueEnd, french);
        // The lines, not the cells, measure how far this pass has come.
        const int progress = 40 + int(line * 60 / lineCount);
        if (progress >= threshold) {
            setProgress(progress);
            threshold += 10;
        }
        if (stopIfRequested())
            return false;
    }
    if (lines.hasError())
        return failRead();
    return line == lineCount || failChanged();
}

bool FileReader::failChanged()
{
    fail(Task::tr("The file %1 changed while it was read.").arg(m_fileName));
    return false;
}
