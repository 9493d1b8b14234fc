// Reading speed of FileReader on a synthetic file.
//
//   bench_readers [attributes [rows [dialect [missing [layout]]]]]
//   bench_readers --write FILE [attributes [rows [dialect [missing [layout]]]]]
//   bench_readers --read FILE [dialect [layout]]
//
// dialect: "intl" (default) or "fr"; missing: share of empty cells (0.02);
// layout: "sync" (default) or "async" (one line per present cell).
// --write only writes the file; --read reads it as the window does and prints
// the checksum line of the comparison readers (rows= attrs= missing= sum=
// bitsum= tsum=) after the figures.

#include "core/task.h"
#include "io/filereader.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace {

struct Settings
{
    int attributes = 200;
    int rows = 50000;
    bool french = false;
    double missing = 0.02;
    bool asynchronous = false;
};

// Values wander like sensor readings, written with three decimals.
class Writer
{
public:
    Writer(QFile &file, const Settings &settings)
        : m_file(file), m_settings(settings), m_levels(settings.attributes)
    {
        for (int a = 0; a < settings.attributes; ++a)
            m_levels[a] = m_random.bounded(1000.0);
    }

    void writeSynchronous()
    {
        const char separator = m_settings.french ? ';' : ',';
        QByteArray header = "Time";
        for (int a = 0; a < m_settings.attributes; ++a)
            header += separator + QByteArray("sensor_") + QByteArray::number(a);
        m_buffer = header + "\n2\n3\n4\n5\n6\n7\n8\n9\n10\n";
        for (int row = 0; row < m_settings.rows; ++row) {
            m_buffer += timeText(row);
            for (int a = 0; a < m_settings.attributes; ++a) {
                m_buffer += separator;
                appendValue(a);
            }
            m_buffer += '\n';
            flushIfFull();
        }
        flush();
    }

    void writeAsynchronous()
    {
        const char separator = m_settings.french ? '\t' : ',';
        for (int row = 0; row < m_settings.rows; ++row) {
            const QByteArray time = timeText(row);
            for (int a = 0; a < m_settings.attributes; ++a) {
                if (m_random.generateDouble() < m_settings.missing)
                    continue;
                m_buffer += "sensor_" + QByteArray::number(a) + separator + time + separator;
                appendValue(a, false);
                m_buffer += '\n';
            }
            flushIfFull();
        }
        flush();
    }

private:
    static QByteArray timeText(int row)
    {
        static const QDateTime start(QDate(2014, 1, 1), QTime(0, 0), Qt::UTC);
        return start.addSecs(row).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")).toLatin1();
    }

    void appendValue(int attribute, bool mayBeMissing = true)
    {
        m_levels[attribute] += m_random.generateDouble() - 0.5;
        if (mayBeMissing && m_random.generateDouble() < m_settings.missing)
            return;
        char text[32];
        const int length = std::snprintf(text, sizeof text, "%.3f", m_levels[attribute]);
        if (m_settings.french)
            std::replace(text, text + length, '.', ',');
        m_buffer.append(text, length);
    }

    void flushIfFull()
    {
        if (m_buffer.size() > (8 << 20))
            flush();
    }

    void flush()
    {
        m_file.write(m_buffer);
        m_buffer.clear();
    }

    QFile &m_file;
    const Settings &m_settings;
    QVector<double> m_levels;
    QRandomGenerator m_random{42};
    QByteArray m_buffer;
};

Settings parse(QStringList arguments)
{
    if (arguments.size() > 2 && arguments.at(1) == QLatin1String("--read"))
        arguments = QStringList{
            arguments.at(0), "0", "0", arguments.value(3, "intl"), "0", arguments.value(4, "sync")};
    else if (arguments.size() > 2 && arguments.at(1).startsWith(QLatin1String("--")))
        arguments.erase(arguments.begin() + 1, arguments.begin() + 3);
    Settings settings;
    if (arguments.size() > 1)
        settings.attributes = qMax(1, arguments.at(1).toInt());
    if (arguments.size() > 2)
        settings.rows = qMax(0, arguments.at(2).toInt());
    if (arguments.size() > 3)
        settings.french = arguments.at(3).startsWith(QLatin1String("fr"), Qt::CaseInsensitive);
    if (arguments.size() > 4)
        settings.missing = qBound(0.0, arguments.at(4).toDouble(), 1.0);
    if (arguments.size() > 5)
        settings.asynchronous = arguments.at(5) == QLatin1String("async");
    return settings;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double peakResidentMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0; // kilobytes on Linux
}

// The line the comparison readers print, to check that all agree bit for bit.
// Not part of reading: summed on every core in slices, so that it weighs as
// little as it can on the whole process's time.
void printChecksum(const Data &data)
{
    struct Sums
    {
        double sum = 0.0;
        quint64 bitsum = 0;
        quint64 missing = 0;
    };
    const int slices = 8;
    Sums parts[slices];
    const double *values = data.values.constData();
    const qsizetype count = data.values.size();
    Task::runInParallel(slices, [&](int index, int) {
        // Four running sums so that the additions overlap; the comparison
        // allows the sums to differ in their last digits.
        double sums[4] = {0.0, 0.0, 0.0, 0.0};
        quint64 bitsum = 0;
        quint64 missing = 0;
        const qsizetype begin = count * index / slices;
        const qsizetype end = count * (index + 1) / slices;
        const auto add = [&](qsizetype i, int j) {
            const double value = values[i];
            const bool present = value == value;
            missing += !present;
            sums[j] += present ? value : 0.0;
            quint64 bits = 0;
            std::memcpy(&bits, &value, sizeof bits);
            bitsum += present ? bits : 0;
        };
        qsizetype i = begin;
        for (; i + 4 <= end; i += 4) {
            add(i, 0);
            add(i + 1, 1);
            add(i + 2, 2);
            add(i + 3, 3);
        }
        for (; i < end; ++i)
            add(i, 0);
        parts[index].sum = (sums[0] + sums[1]) + (sums[2] + sums[3]);
        parts[index].bitsum = bitsum;
        parts[index].missing = missing;
    });
    Sums total;
    for (const Sums &part : parts) {
        total.sum += part.sum;
        total.bitsum += part.bitsum;
        total.missing += part.missing;
    }
    long long tsum = 0;
    for (const QDateTime &time : data.times)
        tsum += time.toSecsSinceEpoch();
    std::printf("rows=%d attrs=%d missing=%llu sum=%.17g bitsum=%016" PRIx64 " tsum=%lld\n",
                data.timeCount(), data.attributeCount(),
                static_cast<unsigned long long>(total.missing), total.sum,
                static_cast<uint64_t>(total.bitsum), tsum);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const Settings settings = parse(arguments);
    const QString mode = arguments.size() > 2 ? arguments.at(1) : QString();
    const bool given = mode == QLatin1String("--read") || mode == QLatin1String("--write");
    QTemporaryDir dir;
    const QString path = given ? arguments.at(2) : dir.filePath(QStringLiteral("bench.csv"));
    if (mode != QLatin1String("--read")) {
        QFile file(path);
        if (!dir.isValid() || !file.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        Writer writer(file, settings);
        if (settings.asynchronous)
            writer.writeAsynchronous();
        else
            writer.writeSynchronous();
        if (given)
            return 0;
    }
    const double megabytes = QFile(path).size() / 1e6;
    const double rssBefore = peakResidentMegabytes();

    auto *reader = new FileReader(path, settings.asynchronous ? 1 : 0, settings.french ? 0 : 1);
    QEventLoop loop;
    QObject::connect(reader, &Task::finished, &loop, &QEventLoop::quit);
    const double cpuBefore = cpuSeconds();
    QElapsedTimer timer;
    timer.start();
    reader->start();
    loop.exec();
    const double seconds = timer.nsecsElapsed() / 1e9;
    const double cpu = cpuSeconds() - cpuBefore; // every thread's, the pool's included

    const Data data = reader->result();
    if (reader->status() != Task::Done) {
        std::fprintf(stderr, "read failed: %s\n", qPrintable(reader->errorMessage()));
        delete reader;
        return 1;
    }
    delete reader;
    std::printf("layout %s, dialect %s, %d attributes x %d rows, %.1f%% missing\n",
                settings.asynchronous ? "asynchronous" : "synchronous",
                settings.french ? "French" : "International", data.attributeCount(),
                data.timeCount(), settings.missing * 100);
    std::printf("file size      %.1f MB\n", megabytes);
    std::printf("read time      %.3f s (%.3f s of processor time)\n", seconds, cpu);
    std::printf("throughput     %.1f MB/s\n", megabytes / seconds);
    std::printf("rows           %.0f rows/s\n", data.timeCount() / seconds);
    std::printf("peak RSS       %.1f MB (%.1f MB before reading)\n", peakResidentMegabytes(),
                rssBefore);
    if (given)
        printChecksum(data);
    return 0;
}
