#include "io/csvexporter.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtNumeric>

#include <charconv>
#include <cstring>
#include <memory>
#include <vector>

namespace {

const char *const timeFormat = "yyyy-MM-dd hh:mm:ss";
const char fillerLines[] = "2\n3\n4\n5\n6\n7\n8\n9\n10\n";

// Room for ";" and the longest shortest form, "-2.2250738585072014e-308".
const int maxCellSize = 32;

// Formats into one large block and hands it to the device when full, so the
// device sees few large writes; after the first failed write it writes no more.
class BlockWriter
{
public:
    explicit BlockWriter(QIODevice &device) : m_device(device), m_block(1 << 20)
    {
        m_pos = m_block.data();
        m_end = m_pos + m_block.size();
    }

    bool ok() const { return m_ok; }

    void append(const char *text, qsizetype length)
    {
        if (m_end - m_pos < length) {
            flush();
            if (length > qsizetype(m_block.size())) {
                writeOut(text, length);
                return;
            }
        }
        std::memcpy(m_pos, text, size_t(length));
        m_pos += length;
    }

    void append(const QByteArray &text) { append(text.constData(), text.size()); }

    void append(char c)
    {
        reserve(1);
        *m_pos++ = c;
    }

    void appendValue(double value)
    {
        reserve(maxCellSize);
        *m_pos++ = ';';
        if (qIsNaN(value)) {
            std::memcpy(m_pos, "nan", 3);
            m_pos += 3;
            return;
        }
        const std::to_chars_result result = std::to_chars(m_pos, m_pos + maxCellSize - 1, value);
        for (char *p = m_pos; p != result.ptr; ++p) {
            if (*p == '.') {
                *p = ',';
                break;
            }
        }
        m_pos = result.ptr;
    }

    // What QDateTime::toString gives with the time format, without building
    // a QString for the common four-digit years.
    void appendTime(const QDateTime &time)
    {
        const QDate date = time.date();
        const QTime clock = time.time();
        if (!date.isValid() || !clock.isValid() || date.year() < 1 || date.year() > 9999) {
            append(time.toString(QLatin1String(timeFormat)).toLocal8Bit());
            return;
        }
        reserve(19);
        putDigits(date.year(), 4);
        *m_pos++ = '-';
        putDigits(date.month(), 2);
        *m_pos++ = '-';
        putDigits(date.day(), 2);
        *m_pos++ = ' ';
        putDigits(clock.hour(), 2);
        *m_pos++ = ':';
        putDigits(clock.minute(), 2);
        *m_pos++ = ':';
        putDigits(clock.second(), 2);
    }

    void flush()
    {
        writeOut(m_block.data(), m_pos - m_block.data());
        m_pos = m_block.data();
    }

private:
    void reserve(qsizetype length)
    {
        if (m_end - m_pos < length)
            flush();
    }

    void putDigits(int value, int count)
    {
        for (int i = count - 1; i >= 0; --i) {
            m_pos[i] = char('0' + value % 10);
            value /= 10;
        }
        m_pos += count;
    }

    // QSaveFile keeps no record of a short write (a disk filling up midway),
    // so the count of every write is checked here.
    void writeOut(const char *data, qsizetype length)
    {
        if (m_ok && length > 0)
            m_ok = m_device.write(data, length) == length;
    }

    QIODevice &m_device;
    std::vector<char> m_block;
    char *m_pos;
    char *m_end;
    bool m_ok = true;
};

void writeTable(const Data &data, BlockWriter &writer)
{
    writer.append("Time", 4);
    for (const QString &name : data.attributes) {
        writer.append(';');
        writer.append(name.toLocal8Bit());
    }
    writer.append('\n');
    writer.append(fillerLines, qsizetype(sizeof fillerLines - 1));

    const int attributeCount = data.attributeCount();
    const double *row = data.values.constData();
    for (const QDateTime &time : data.times) {
        if (!writer.ok())
            return;
        writer.appendTime(time);
        for (int a = 0; a < attributeCount; ++a)
            writer.appendValue(row[a]);
        writer.append('\n');
        row += attributeCount;
    }
    writer.flush();
}

// A device, pipe or socket must not be replaced by renaming a new file over
// it (as root that would succeed and remove the device node); it is written
// directly. Regular files are written to a temporary file first, which
// replaces them only once it is complete.
bool writeFile(const QString &fileName, const Data &data)
{
    const QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Text | QIODevice::Unbuffered;
    const QFileInfo target(fileName);
    if (target.exists() && !target.isFile() && !target.isDir()) {
        QFile file(fileName);
        if (!file.open(mode))
            return false;
        BlockWriter writer(file);
        writeTable(data, writer);
        file.close();
        return writer.ok() && file.error() == QFileDevice::NoError;
    }
    QSaveFile file(fileName);
    if (!file.open(mode))
        return false;
    BlockWriter writer(file);
    writeTable(data, writer);
    if (!writer.ok()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

CsvExporter::CsvExporter(const QString &fileName) : m_fileName(fileName) {}

bool CsvExporter::exportData(const Data &data, QString &errorMessage) const
{
    if (writeFile(m_fileName, data))
        return true;
    errorMessage = tr("Unable to write file %1.").arg(m_fileName);
    return false;
}

bool CsvExporter::exportSelections(const Selections &selections, QString &errorMessage) const
{
    if (selections.isEmpty())
        return false;
    return exportData(selectedData(selections), errorMessage);
}

Data CsvExporter::selectedData(const Selections &selections)
{
    if (selections.isEmpty())
        return Data();
    const Data &source = selections.first().data;
    const int attributeCount = source.attributeCount();
    const int timeCount = source.timeCount();

    // Only cells that exist in both the source and the selection's own data
    // are taken, so a stale or foreign selection cannot read out of range.
    auto attributeInRange = [attributeCount](const Selection &s, int a) {
        return a >= 0 && a < attributeCount && a < s.data.attributeCount();
    };
    auto timeInRange = [timeCount](const Selection &s, int t) {
        return t >= 0 && t < timeCount && t < s.data.timeCount();
    };

    // Index of the column (row) of each source attribute (time), -1 if none.
    std::vector<int> column(size_t(attributeCount), -1);
    std::vector<int> row(size_t(timeCount), -1);
    for (const Selection &s : selections) {
        for (int i = 0; i < s.attributeCount(); ++i) {
            const int a = s.attributeIndex(i);
            if (attributeInRange(s, a))
                column[size_t(a)] = 0;
        }
        for (int j = 0; j < s.timeCount(); ++j) {
            const int t = s.firstTime + j;
            if (timeInRange(s, t))
                row[size_t(t)] = 0;
        }
    }
    int columns = 0;
    for (int &c : column)
        c = c < 0 ? -1 : columns++;
    int rows = 0;
    for (int &r : row)
        r = r < 0 ? -1 : rows++;

    Data result(rows, columns);
    for (int a = 0; a < attributeCount; ++a) {
        if (column[size_t(a)] >= 0)
            result.attributes[column[size_t(a)]] = source.attributes.at(a);
    }
    for (int t = 0; t < timeCount; ++t) {
        if (row[size_t(t)] >= 0)
            result.times[row[size_t(t)]] = source.times.at(t);
    }
    double *values = result.values.data();
    for (const Selection &s : selections) {
        for (int j = 0; j < s.timeCount(); ++j) {
            const int t = s.firstTime + j;
            if (!timeInRange(s, t))
                continue;
            for (int i = 0; i < s.attributeCount(); ++i) {
                const int a = s.attributeIndex(i);
                if (attributeInRange(s, a))
                    values[qsizetype(row[size_t(t)]) * columns + column[size_t(a)]] =
                        s.data.value(t, a);
            }
        }
    }
    return result;
}
