#include "io/csvexporter.h"
#include "readertesting.h"
#include "testsupport.h"

#include <QtTest>

#include <cmath>
#include <cstring>
#include <limits>
#include <signal.h>
#include <sys/resource.h>

namespace {

const double missing = std::numeric_limits<double>::quiet_NaN();
const double inf = std::numeric_limits<double>::infinity();

QDateTime timeOf(int hours)
{
    return QDateTime(QDate(2014, 1, 2), QTime(3, 4, 5), Qt::UTC).addSecs(hours * 3600);
}

// Attributes a0.. and hourly times from 2014-01-02 03:04:05; cell (t, a) holds
// 10 t + a, so that every exported cell tells where it came from.
Data grid(int times, int attributes)
{
    return generatedTable(
        attributes, times, timeOf(0), 3600, [](int t, int a) { return 10.0 * t + a; }, "a");
}

// Missing, subnormal, short negative decimals, signed zeros, and any finite
// double from tiny to huge.
double randomValue(QRandomGenerator &random)
{
    double value = 0;
    quint64 bits = random.generate64();
    switch (random.bounded(5)) {
    case 0:
        return missing;
    case 1:
        bits &= 0x800FFFFFFFFFFFFFull;
        break;
    case 2:
        return -double(random.bounded(1000000)) / 1000;
    case 3:
        return random.bounded(2) ? 0.0 : -0.0;
    }
    std::memcpy(&value, &bits, sizeof value);
    return std::isfinite(value) ? value : randomValue(random);
}

} // namespace

class TestCsvExporter : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void layout_data()
    {
        QTest::addColumn<Data>("data");
        QTest::addColumn<QByteArray>("rows");

        Data example(QVector<QString>{"a", "b"}, 1);
        example.times[0] = timeOf(0);
        example.values = {1.5, missing};
        QTest::newRow("one row") << example << QByteArray("2014-01-02 03:04:05;1,5;nan\n");

        const QVector<double> values = {0.1,        -0.0, 1e300, 5e-324, 1e-5,    1234567,
                                        123456.789, 1e21, inf,   -inf,   -missing};
        Data forms(QVector<QString>(values.size(), "v"), 1);
        forms.times[0] = QDateTime(QDate(999, 12, 31), QTime(23, 59, 59), Qt::UTC);
        forms.values = values;
        QTest::newRow("shortest forms")
            << forms
            << QByteArray("0999-12-31 23:59:59;0,1;-0;1e+300;5e-324;1e-05;1234567;123456,789;"
                          "1e+21;inf;-inf;nan\n");

        QTest::newRow("nothing loaded") << Data() << QByteArray();
    }

    // Each row overwrites the previous file, which must leave no tail behind.
    void layout()
    {
        QFETCH(Data, data);
        QFETCH(QByteArray, rows);
        const QString path = m_dir.filePath("layout.csv");
        QString message;
        QVERIFY(CsvExporter(path).exportData(data, message));
        QCOMPARE(message, QString());
        QByteArray header = "Time";
        for (const QString &name : data.attributes)
            header += ';' + name.toLatin1();
        QCOMPARE(fileContent(path), header + '\n' + reservedLines + rows);
    }

    void selections_data()
    {
        QTest::addColumn<QVector<QVector<int>>>("blocks"); // attribute, attribute, time, time
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("no selection") << QVector<QVector<int>>() << QByteArray();
        QTest::newRow("one value") << QVector<QVector<int>>{{3, 3, 2, 2}}
                                   << QByteArray("Time;a3\n2014-01-02 05:04:05;23\n");
        QTest::newRow("two values") << QVector<QVector<int>>{{1, 1, 0, 0}, {3, 3, 2, 2}}
                                    << QByteArray("Time;a1;a3\n"
                                                  "2014-01-02 03:04:05;1;nan\n"
                                                  "2014-01-02 05:04:05;nan;23\n");
        QTest::newRow("wrapping") << QVector<QVector<int>>{{8, 1, 1, 1}}
                                  << QByteArray("Time;a0;a1;a8;a9\n"
                                                "2014-01-02 04:04:05;10;11;18;19\n");
        QTest::newRow("overlapping zones") << QVector<QVector<int>>{{2, 3, 0, 1}, {3, 4, 2, 1}}
                                           << QByteArray("Time;a2;a3;a4\n"
                                                         "2014-01-02 03:04:05;2;3;nan\n"
                                                         "2014-01-02 04:04:05;12;13;14\n"
                                                         "2014-01-02 05:04:05;nan;23;24\n");
        // A fifth entry puts the block on a larger 8 x 12 table: only its cells
        // that also exist in the first selection's data are taken.
        QTest::newRow("foreign cells") << QVector<QVector<int>>{{0, 0, 0, 0}, {9, 11, 4, 6, 1}}
                                       << QByteArray("Time;a0;a9\n"
                                                     "2014-01-02 03:04:05;0;nan\n"
                                                     "2014-01-02 07:04:05;nan;49\n");
    }

    void selections()
    {
        QFETCH(QVector<QVector<int>>, blocks);
        QFETCH(QByteArray, expected);
        const Data data = grid(5, 10);
        Selections selections;
        for (const QVector<int> &b : blocks)
            selections << Selection(b.size() > 4 ? grid(8, 12) : data, b[0], b[1], b[2], b[3]);
        const QString path = m_dir.filePath(QTest::currentDataTag()) + ".csv";
        QString message = "kept";
        QCOMPARE(CsvExporter(path).exportSelections(selections, message), !blocks.isEmpty());
        QCOMPARE(message, QString("kept"));
        if (blocks.isEmpty()) {
            QVERIFY(!QFile::exists(path));
            return;
        }
        expected.insert(expected.indexOf('\n') + 1, reservedLines);
        QCOMPARE(fileContent(path), expected);
    }

    void roundTrip_data()
    {
        QTest::addColumn<int>("times");
        QTest::addColumn<int>("attributes");
        QTest::newRow("one cell") << 1 << 1;
        QTest::newRow("wide") << 3 << 400;
        QTest::newRow("long") << 3000 << 7;
    }

    // Reading an export back gives the same doubles, bit for bit, and the
    // same missing cells.
    void roundTrip()
    {
        QFETCH(int, times);
        QFETCH(int, attributes);
        QRandomGenerator random(quint32(times * 1000 + attributes));
        Data data = grid(times, attributes);
        data.attributes[0] = QString::fromUtf8("température extérieure");
        for (double &value : data.values)
            value = randomValue(random);
        data.values[0] = -inf;

        const QString path = m_dir.filePath("roundtrip.csv");
        QString message;
        QVERIFY(CsvExporter(path).exportData(data, message));
        const Data read = readBack(path);
        QCOMPARE(read.attributes, data.attributes);
        QCOMPARE(read.times, data.times);
        const QString mismatch = bitDifference(read.values, data.values);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    }

    void writeFailures_data()
    {
        QTest::addColumn<QString>("target"); // relative to a folder holding "old.csv" and "sub"
        QTest::addColumn<qint64>("sizeLimit");
        QTest::newRow("missing folder") << "gone/out.csv" << qint64(-1);
        QTest::newRow("file in place of a folder") << "old.csv/out.csv" << qint64(-1);
        QTest::newRow("folder in place of the file") << "sub" << qint64(-1);
        // A limit on file size stands for a full disk: writing stops midway.
        QTest::newRow("full disk over an existing file") << "old.csv" << qint64(64 * 1024);
        if (QFileInfo::exists("/dev/full"))
            QTest::newRow("full device") << "/dev/full" << qint64(-1);
    }

    // Nothing half-written is left, an existing file keeps its content.
    void writeFailures()
    {
        QFETCH(QString, target);
        QFETCH(qint64, sizeLimit);
        QTemporaryDir dir;
        const QByteArray old = "Time;x\n" + reservedLines;
        QVERIFY(writeFile(dir.filePath("old.csv"), old));
        QVERIFY(QDir(dir.path()).mkdir("sub"));
        const QString path = QDir(dir.path()).filePath(target);

        rlimit saved{};
        if (sizeLimit > 0) {
            signal(SIGXFSZ, SIG_IGN); // the write then fails with EFBIG
            QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
            rlimit limited = saved;
            limited.rlim_cur = rlim_t(sizeLimit);
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
        }
        QString message;
        const bool written = CsvExporter(path).exportData(grid(2000, 50), message);
        if (sizeLimit > 0)
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &saved), 0);

        QVERIFY(!written);
        QCOMPARE(message, QString("Unable to write file %1.").arg(path));
        QCOMPARE(fileContent(dir.filePath("old.csv")), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList({"old.csv", "sub"}));
        QVERIFY(QDir(dir.filePath("sub")).isEmpty());
        QVERIFY(!QFileInfo(path).isFile() || path.endsWith("old.csv"));
    }
};

QTEST_GUILESS_MAIN(TestCsvExporter)
#include "tst_csvexporter.moc"
