// Writing speed of CsvExporter beside a plain QTextStream writer.
//
//   bench_export [attributes [rows [missing]]]
//
// Defaults: 100 attributes x 100000 rows (10 million cells), 2% missing.
// Half the columns hold values in 0..1 as normalization leaves them, half
// sensor-like readings; all carry full double precision.

#include "io/csvexporter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <functional>

namespace {

Data makeData(int attributes, int rows, double missing)
{
    QRandomGenerator random(42);
    Data data(rows, attributes);
    for (int a = 0; a < attributes; ++a)
        data.attributes[a] = QStringLiteral("sensor_%1").arg(a);
    const QDateTime start(QDate(2014, 1, 1), QTime(0, 0), Qt::UTC);
    double *value = data.values.data();
    for (int t = 0; t < rows; ++t) {
        data.times[t] = start.addSecs(t);
        for (int a = 0; a < attributes; ++a, ++value) {
            const double x = random.generateDouble();
            if (random.generateDouble() < missing)
                *value = qQNaN();
            else
                *value = a % 2 ? x : 1000 * x - 200;
        }
    }
    return data;
}

// The obvious writer: one QTextStream, a French locale, one operator<< per
// value; `shortest` asks QLocale for the round-trip form instead of 6 digits.
bool writeWithStream(const QString &path, const Data &data, bool shortest)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream out(&file);
    QLocale french(QLocale::French);
    french.setNumberOptions(QLocale::OmitGroupSeparator);
    out.setLocale(french);
    out << "Time";
    for (const QString &name : data.attributes)
        out << ';' << name;
    out << "\n2\n3\n4\n5\n6\n7\n8\n9\n10\n";
    const int attributes = data.attributeCount();
    for (int t = 0; t < data.timeCount(); ++t) {
        out << data.times[t].toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        for (int a = 0; a < attributes; ++a) {
            const double value = data.values[t * attributes + a];
            out << ';';
            if (shortest)
                out << french.toString(value, 'g', QLocale::FloatingPointShortest);
            else
                out << value;
        }
        out << '\n';
    }
    out.flush();
    return out.status() == QTextStream::Ok;
}

void measure(const char *label, const QString &path, qint64 cells,
             const std::function<bool()> &write)
{
    QElapsedTimer timer;
    timer.start();
    const bool ok = write();
    const double seconds = timer.nsecsElapsed() / 1e9;
    const double megabytes = QFile(path).size() / 1e6;
    if (!ok) {
        std::printf("%-40s failed\n", label);
        return;
    }
    std::printf("%-40s %8.1f MB in %6.2f s   %7.1f MB/s   %6.2f M cells/s\n", label, megabytes,
                seconds, megabytes / seconds, cells / seconds / 1e6);
    QFile::remove(path);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const int attributes = arguments.size() > 1 ? qMax(1, arguments.at(1).toInt()) : 100;
    const int rows = arguments.size() > 2 ? qMax(0, arguments.at(2).toInt()) : 100000;
    const double missing =
        arguments.size() > 3 ? qBound(0.0, arguments.at(3).toDouble(), 1.0) : 0.02;
    if (!Data::canHold(rows, attributes)) {
        std::fprintf(stderr, "too many cells\n");
        return 1;
    }
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const Data data = makeData(attributes, rows, missing);
    const qint64 cells = qint64(attributes) * rows;
    std::printf("%d attributes x %d rows = %lld cells, %.1f%% missing\n", attributes, rows,
                static_cast<long long>(cells), missing * 100);

    const QString path = dir.filePath(QStringLiteral("export.csv"));
    measure("CsvExporter (shortest round trip)", path, cells, [&] {
        QString message;
        return CsvExporter(path).exportData(data, message);
    });
    measure("QTextStream, QLocale shortest", path, cells,
            [&] { return writeWithStream(path, data, true); });
    measure("QTextStream default (6 digits, lossy)", path, cells,
            [&] { return writeWithStream(path, data, false); });
    return 0;
}
