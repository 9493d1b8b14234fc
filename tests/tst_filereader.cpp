#include "io/filereader.h"
#include "io/linereader.h"

#include <QtTest>

#include <cstring>
#include <ctime>
#include <unistd.h>

namespace {

const char *const timeFormat = "yyyy-MM-dd hh:mm:ss";
const QByteArray reservedLines = "2\n3\n4\n5\n6\n7\n8\n9\n10\n";

QString dataFile(const QString &name)
{
    return QStringLiteral(VIREO_TEST_DATA_DIR "/") + name;
}

struct Outcome
{
    bool ended = false;
    int status = -1;
    QString message;
    Data data;
    QVector<int> progress; // progress() as each notification arrived
    int notifications = 0;
};

// Runs one reader on the global pool until its finished() arrives.
Outcome read(const QString &path, int mode, int origin, qint64 valueLimit = -1)
{
    auto *reader = new FileReader(path, mode, origin);
    if (valueLimit >= 0)
        reader->setValueLimit(valueLimit);
    Outcome outcome;
    QObject::connect(reader, &Task::progressChanged, reader, [&outcome](Task *task) {
        outcome.progress.append(task->progress());
        ++outcome.notifications;
    });
    QSignalSpy finished(reader, &Task::finished);
    reader->start();
    outcome.ended = finished.wait(120000) && finished.count() == 1;
    outcome.status = reader->status();
    outcome.message = reader->errorMessage();
    outcome.data = reader->result();
    delete reader;
    return outcome;
}

QString joinedTimes(const Data &data)
{
    QStringList texts;
    for (const QDateTime &time : data.times)
        texts << time.toString(QLatin1String(timeFormat)) +
                     (time.timeSpec() == Qt::UTC ? QString() : QStringLiteral("(not UTC)"));
    return texts.join(QLatin1Char('|'));
}

QString joinedValues(const Data &data)
{
    QStringList texts;
    for (double value : data.values)
        texts << QString::number(value);
    return texts.join(QLatin1Char(' '));
}

bool isEmpty(const Data &data)
{
    return data.attributes.isEmpty() && data.times.isEmpty() && data.values.isEmpty();
}

bool sameDouble(double a, double b)
{
    return (qIsNaN(a) && qIsNaN(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), qint64(content.size()));
}

} // namespace

class TestFileReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void lineEnds_data();
    void lineEnds();
    void parseTime_data();
    void parseTime();
    void parseValueAgreesWithQt();
    void reads_data();
    void reads();
    void failures_data();
    void failures();
    void unreadablePaths_data();
    void unreadablePaths();
    void binaryGarbage();
    void hugeLine_data();
    void hugeLine();
    void thousandsOfColumns();
    void valueLimit();
    void tooManyCellsNamesSizes();
    void progress();
    void stop_data();
    void stop();
    void examplesLoad_data();
    void examplesLoad();

private:
    QTemporaryDir m_dir;
};

void TestFileReader::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // main() moved the process into Paris time; without the gap of
    // 2014-03-30 02:00-03:00 the daylight-saving cases would prove nothing.
    QVERIFY(!QDateTime::fromString(QStringLiteral("2014-03-30 02:30:00"), QLatin1String(timeFormat))
                 .isValid());
}

void TestFileReader::lineEnds_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("mixed") << QByteArray("\xEF\xBB\xBF"
                                         "a\r\nb\rc\n\nd\r\r\ne")
                           << QStringList{"a", "b", "c", "", "d", "", "e"};
    QTest::newRow("final CR") << QByteArray("x\r") << QStringList{"x"};
    QTest::newRow("empty") << QByteArray() << QStringList();
    QTest::newRow("one LF") << QByteArray("\n") << QStringList{""};
    QTest::newRow("only a BOM") << QByteArray("\xEF\xBB\xBF") << QStringList();
    QTest::newRow("half a BOM") << QByteArray("\xEF\xBB") << QStringList{"\u00EF\u00BB"};
}

void TestFileReader::lineEnds()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, lines);
    // Tiny blocks put every CR LF pair astride a refill at some point.
    for (qint64 blockSize : {1, 2, 3, 7, 4096}) {
        QBuffer buffer(&content);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        LineReader reader(&buffer, blockSize);
        QStringList read;
        const char *begin = nullptr;
        const char *end = nullptr;
        while (reader.readLine(begin, end))
            read << QString::fromLatin1(begin, int(end - begin));
        QCOMPARE(read, lines);
        QVERIFY(!reader.hasError());
        QCOMPARE(reader.consumed(), qint64(content.size()));
    }
}

void TestFileReader::parseTime_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QDateTime>("expected");
    const QDateTime invalid;
    QTest::newRow("plain") << QByteArray("2014-01-02 03:04:05")
                           << QDateTime(QDate(2014, 1, 2), QTime(3, 4, 5), Qt::UTC);
    QTest::newRow("daylight-saving gap") << QByteArray("2014-03-30 02:30:00")
                                         << QDateTime(QDate(2014, 3, 30), QTime(2, 30), Qt::UTC);
    QTest::newRow("leap day") << QByteArray("2016-02-29 23:59:59")
                              << QDateTime(QDate(2016, 2, 29), QTime(23, 59, 59), Qt::UTC);
    QTest::newRow("month 13") << QByteArray("2014-13-01 00:00:00") << invalid;
    QTest::newRow("Feb 30") << QByteArray("2014-02-30 00:00:00") << invalid;
    QTest::newRow("Feb 29 2015") << QByteArray("2015-02-29 00:00:00") << invalid;
    QTest::newRow("25:00:00") << QByteArray("2014-01-01 25:00:00") << invalid;
    QTest::newRow("second 60") << QByteArray("2014-01-01 23:59:60") << invalid;
    QTest::newRow("year 0") << QByteArray("0000-01-01 00:00:00") << invalid;
    QTest::newRow("trailing garbage") << QByteArray("2014-01-01 00:00:00x") << invalid;
    QTest::newRow("trailing blank") << QByteArray("2014-01-01 00:00:00 ") << invalid;
    QTest::newRow("one-digit month") << QByteArray("2014-1-01 00:00:00") << invalid;
    QTest::newRow("ISO T") << QByteArray("2014-01-01T00:00:00") << invalid;
    QTest::newRow("signed year") << QByteArray("+014-01-01 00:00:00") << invalid;
    QTest::newRow("empty") << QByteArray() << invalid;
}

void TestFileReader::parseTime()
{
    QFETCH(QByteArray, text);
    QFETCH(QDateTime, expected);
    const QDateTime parsed =
        FileReader::parseTime(text.constData(), text.constData() + text.size());
    QCOMPARE(parsed.isValid(), expected.isValid());
    if (expected.isValid()) {
        QCOMPARE(parsed.timeSpec(), Qt::UTC);
        QCOMPARE(parsed, expected);
        QCOMPARE(parsed.time(), expected.time()); // the clock time as written
    }
}

// What the reader must make of a field: QString::toDouble of it (after
// every ',' became '.' with a decimal comma), NaN where that refuses.
static double qtValue(QByteArray text, bool decimalComma)
{
    if (decimalComma)
        text.replace(',', '.');
    bool ok = false;
    const double value = QString::fromLocal8Bit(text).toDouble(&ok);
    return ok ? value : qQNaN();
}

void TestFileReader::parseValueAgreesWithQt()
{
    QList<QByteArray> texts{"1e3",
                            "+1.5",
                            " 1.5",
                            "1.5\t",
                            "\xC2\xA0"
                            "2",
                            "inf",
                            "-INF",
                            "nan",
                            "+nan",
                            "infinity",
                            "1.",
                            ".5",
                            "-.5",
                            ",5",
                            "1e",
                            "1e400",
                            "-1e400",
                            "1e-400",
                            "0e-400",
                            "-0",
                            "4.9e-324",
                            "0x10",
                            "1 000",
                            "1_0",
                            ".",
                            "-",
                            "00012",
                            "1.2.3",
                            "1d",
                            "12345678901234567890123",
                            "1,5",
                            "1.000,5",
                            "1,5e3",
                            "2,5 ",
                            QByteArray(70, '1') + ",5"};
    // Random pieces find the corners the list above forgot.
    QRandomGenerator random(20140330);
    const char *pieces[] = {"-", "+", "0", "7", "31", "000", ".", ",", "e", "E", "9", " "};
    for (int i = 0; i < 40000; ++i) {
        QByteArray text;
        for (int j = random.bounded(1, 9); j > 0; --j)
            text += pieces[random.bounded(int(sizeof pieces / sizeof *pieces))];
        texts << text;
    }
    for (const QByteArray &text : qAsConst(texts)) {
        const char *begin = text.constData();
        for (bool decimalComma : {false, true}) {
            const double value = FileReader::parseValue(begin, begin + text.size(), decimalComma);
            QVERIFY2(sameDouble(value, qtValue(text, decimalComma)),
                     QByteArray(text + (decimalComma ? " (decimal comma)" : "")).constData());
        }
    }
}

void TestFileReader::reads_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("origin");
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<QString>("times");
    QTest::addColumn<QString>("values");

    // Synchronous layout.
    QTest::newRow("French") << "sync_french_basic.csv" << 0 << 0 << "A|B"
                            << "2014-01-01 00:00:00"
                            << "1.5 nan";
    QTest::newRow("International") << "sync_international_basic.csv" << 0 << 1 << "A|B"
                                   << "2014-01-01 00:00:00"
                                   << "1.5 2";
    QTest::newRow("ten lines") << "sync_ten_lines.csv" << 0 << 0 << "A|B"
                               << ""
                               << "";
    QTest::newRow("equal times kept")
        << "sync_equal_times.csv" << 0 << 1 << "A"
        << "2014-01-02 00:00:00|2014-01-02 00:00:00|2014-01-03 12:30:45"
        << "1 2 3";
    // abc, empty, point, comma, blanks round 2,5, exponent, plus sign,
    // 1,000,5 (1.000.5 after the comma swap), -inf.
    QTest::newRow("French values") << "sync_french_values.csv" << 0 << 0
                                   << "abc|empty|point|comma|blanks|exponent|plus|text_comma|inf"
                                   << "2014-01-01 00:00:00"
                                   << "nan nan 1.5 -1.25 2.5 1500 0.5 nan -inf";
    QTest::newRow("CR LF") << "sync_crlf.csv" << 0 << 0 << "A|B"
                           << "2014-01-01 00:00:00|2014-01-01 00:00:01"
                           << "1 2 3 4";
    QTest::newRow("CR only") << "sync_cr_only.csv" << 0 << 0 << "A|B"
                             << "2014-01-01 00:00:00|2014-01-01 00:00:01"
                             << "1 2 3 4";
    QTest::newRow("daylight-saving gap")
        << "sync_dst_gap.csv" << 0 << 1 << "A"
        << "2014-03-30 01:59:59|2014-03-30 02:30:00|2014-03-30 03:00:00"
        << "1 2 3";

    // Asynchronous layout: rows by ascending time, columns by first appearance.
    QTest::newRow("async example") << "async_international_example.csv" << 1 << 1 << "T1|T2"
                                   << "2015-01-01 10:00:00|2015-01-01 10:05:00"
                                   << "3.5 4 1 nan";
    QTest::newRow("async out of order") << "async_out_of_order.csv" << 1 << 1 << "B|A"
                                        << "2015-01-01 09:00:00|2015-01-01 10:00:00|"
                                           "2015-01-01 10:10:00"
                                        << "2 nan nan 1 3 4";
    QTest::newRow("async French tab") << "async_french_tab.csv" << 1 << 0 << "T1"
                                      << "2015-01-01 10:00:00|2015-01-01 10:00:01"
                                      << "1.25 -0.5";
    QTest::newRow("async abc") << "async_abc_value.csv" << 1 << 1 << "T1"
                               << "2015-01-01 10:00:00|2015-01-01 10:00:01"
                               << "nan 2";
    QTest::newRow("async empty") << "async_empty.csv" << 1 << 1 << ""
                                 << ""
                                 << "";
    QTest::newRow("async last wins") << "async_duplicate.csv" << 1 << 1 << "T1|T2"
                                     << "2015-01-01 10:00:00"
                                     << "2 5";
    QTest::newRow("async first appearance")
        << "async_first_appearance.csv" << 1 << 1 << "zeta|alpha|mu|beta"
        << "2015-01-01 10:00:00|2015-01-01 10:00:01|2015-01-01 10:00:02"
        << "1 2 nan nan nan 4 3 nan nan nan nan 5";
    QTest::newRow("async daylight-saving gap") << "async_dst_gap.csv" << 1 << 1 << "P"
                                               << "2014-03-30 01:30:00|2014-03-30 02:30:00"
                                               << "0 1";
    QTest::newRow("async BOM, CR LF") << "async_bom_crlf.csv" << 1 << 1 << "T1|T2"
                                      << "2015-01-01 10:00:00"
                                      << "1 2";
}

void TestFileReader::reads()
{
    QFETCH(QString, file);
    QFETCH(int, mode);
    QFETCH(int, origin);
    QFETCH(QString, attributes);
    QFETCH(QString, times);
    QFETCH(QString, values);
    // Twice: the column order of an asynchronous file must not vary.
    for (int run = 0; run < 2; ++run) {
        const Outcome outcome = read(dataFile(file), mode, origin);
        QVERIFY(outcome.ended);
        QCOMPARE(outcome.message, QString());
        QCOMPARE(outcome.status, int(Task::Done));
        QCOMPARE(QStringList(outcome.data.attributes.toList()).join(QLatin1Char('|')), attributes);
        QCOMPARE(joinedTimes(outcome.data), times);
        QCOMPARE(joinedValues(outcome.data), values);
        QVERIFY(!outcome.progress.isEmpty() && outcome.progress.last() == 100);
    }
}

void TestFileReader::failures_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("origin");
    QTest::addColumn<QString>("message");
    const QString firstLine = QStringLiteral(
        "The first line of the file must contains a '%1' separated attributes list.");
    const QString noAttribute = QStringLiteral("No attribute found in the first line.");
    const QString badTime = QStringLiteral("Line %1 doesn't contain a valid time value : %2.");

    QTest::newRow("French read as International")
        << "sync_french_basic.csv" << 0 << 1 << noAttribute;
    QTest::newRow("International decimal comma")
        << "sync_international_decimal_comma.csv" << 0 << 1
        << "Line 11 doesn't contain 3 values (time included).";
    QTest::newRow("nine lines") << "sync_nine_lines.csv" << 0 << 0
                                << "No data found, the file contains less than 10 lines.";
    QTest::newRow("no separator") << "sync_no_separator.csv" << 0 << 0 << noAttribute;
    QTest::newRow("empty French") << "sync_empty.csv" << 0 << 0 << firstLine.arg(';');
    QTest::newRow("empty International") << "sync_empty.csv" << 0 << 1 << firstLine.arg(',');
    QTest::newRow("empty first line")
        << "sync_empty_first_line.csv" << 0 << 0 << firstLine.arg(';');
    QTest::newRow("month 13") << "sync_month13.csv" << 0 << 0
                              << badTime.arg(12).arg("2014-13-01 00:00:00");
    QTest::newRow("Feb 30") << "sync_feb30.csv" << 0 << 0
                            << badTime.arg(11).arg("2014-02-30 00:00:00");
    QTest::newRow("25:00") << "sync_hour25.csv" << 0 << 0
                           << badTime.arg(11).arg("2014-01-01 25:00:00");
    QTest::newRow("trailing garbage")
        << "sync_trailing_garbage.csv" << 0 << 0 << badTime.arg(11).arg("2014-01-01 00:00:00x");
    QTest::newRow("decreasing time")
        << "sync_decreasing_time.csv" << 0 << 1
        << "Line 13 doesn't contain a time value greater than the previous one "
           "(2014-01-01 00:00:00 < 2014-01-02 00:00:00).";
    QTest::newRow("blank line") << "sync_blank_line.csv" << 0 << 0
                                << "Line 12 doesn't contain 3 values (time included).";
    QTest::newRow("count before time") << "sync_wrong_count_and_time.csv" << 0 << 0
                                       << "Line 11 doesn't contain 3 values (time included).";

    const QString threeValues =
        QStringLiteral("Line %1 doesn't contain 3 values separated by a ','.");
    QTest::newRow("async two fields") << "async_two_fields.csv" << 1 << 1 << threeValues.arg(1);
    QTest::newRow("async four fields") << "async_four_fields.csv" << 1 << 1 << threeValues.arg(1);
    QTest::newRow("async blank line") << "async_blank_line.csv" << 1 << 1 << threeValues.arg(2);
    QTest::newRow("async month 13")
        << "async_month13.csv" << 1 << 1 << badTime.arg(1).arg("2015-13-01 10:00:00");
    QTest::newRow("async International read as French")
        << "async_international_example.csv" << 1 << 0
        << "Line 1 doesn't contain 3 values separated by a tabulation.";
}

void TestFileReader::failures()
{
    QFETCH(QString, file);
    QFETCH(int, mode);
    QFETCH(int, origin);
    QFETCH(QString, message);
    const Outcome outcome = read(dataFile(file), mode, origin);
    QVERIFY(outcome.ended);
    QCOMPARE(outcome.message, message);
    QCOMPARE(outcome.status, int(Task::Failed));
    QVERIFY(isEmpty(outcome.data));
}

void TestFileReader::unreadablePaths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("mode");
    const QString missing = m_dir.filePath(QStringLiteral("missing.csv"));
    const QString locked = m_dir.filePath(QStringLiteral("locked.csv"));
    QTest::newRow("missing") << missing << 0;
    QTest::newRow("missing async") << missing << 1;
    QTest::newRow("directory") << m_dir.path() << 0;
    QTest::newRow("directory async") << m_dir.path() << 1;
    QTest::newRow("no permission") << locked << 0;
    QTest::newRow("no permission async") << locked << 1;
}

void TestFileReader::unreadablePaths()
{
    QFETCH(QString, path);
    QFETCH(int, mode);
    if (path.endsWith(QLatin1String("locked.csv"))) {
        if (::geteuid() == 0)
            QSKIP("permissions do not stop root from reading");
        QFile::copy(dataFile(QStringLiteral("sync_international_basic.csv")), path);
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    }
    const Outcome outcome = read(path, mode, 1);
    QVERIFY(outcome.ended);
    QCOMPARE(outcome.status, int(Task::Failed));
    QCOMPARE(outcome.message, QStringLiteral("Unable to open file %1.").arg(path));
    QVERIFY(isEmpty(outcome.data));
}

void TestFileReader::binaryGarbage()
{
    QByteArray garbage(1 << 20, Qt::Uninitialized);
    QRandomGenerator random(7);
    for (char &byte : garbage)
        byte = char(random.bounded(256));
    const QString path = m_dir.filePath(QStringLiteral("garbage.bin"));
    writeFile(path, garbage);
    const QRegularExpression known(
        QStringLiteral(
            "^(No attribute found in the first line\\.|Line \\d+ doesn't contain (\\d+ values "
            "\\(time "
            "included\\)|3 values separated by a (tabulation|',')|a valid time value : .*)\\.)$"),
        QRegularExpression::DotMatchesEverythingOption);
    for (int mode : {0, 1}) {
        for (int origin : {0, 1}) {
            const Outcome outcome = read(path, mode, origin);
            QVERIFY(outcome.ended);
            QCOMPARE(outcome.status, int(Task::Failed));
            QVERIFY2(known.match(outcome.message).hasMatch(), qPrintable(outcome.message));
            QVERIFY(isEmpty(outcome.data));
        }
    }
}

void TestFileReader::hugeLine_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QByteArray>("unit");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("message");
    QTest::newRow("header") << QByteArray() << QByteArray("xxxxxxxx") << 0
                            << "No attribute found in the first line.";
    QTest::newRow("data row") << "Time,A,B\n" + reservedLines + "2014-01-01 00:00:00"
                              << QByteArray(",1.5,2.5") << 0
                              << "Line 11 doesn't contain 3 values (time included).";
    QTest::newRow("async") << QByteArray("T1,2015-01-01 10:00:00") << QByteArray(",1.5,2.5") << 1
                           << "Line 1 doesn't contain 3 values separated by a ','.";
}

void TestFileReader::hugeLine()
{
    QFETCH(QByteArray, head);
    QFETCH(QByteArray, unit);
    QFETCH(int, mode);
    QFETCH(QString, message);
    const QString path = m_dir.filePath(QStringLiteral("huge_line.csv"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(head);
        const QByteArray block = unit.repeated((1 << 20) / unit.size());
        for (int i = 0; i < 100; ++i) // 100 MB without a line end
            QCOMPARE(file.write(block), qint64(block.size()));
    }
    const Outcome outcome = read(path, mode, 1);
    QFile::remove(path);
    QVERIFY(outcome.ended);
    QCOMPARE(outcome.message, message);
    QVERIFY(isEmpty(outcome.data));
}

void TestFileReader::thousandsOfColumns()
{
    const int columns = 5000;
    QByteArray text = "Time";
    for (int a = 0; a < columns; ++a)
        text += ";S" + QByteArray::number(a);
    text += '\n' + reservedLines;
    for (int t = 0; t < 3; ++t) {
        text += "2014-01-01 00:00:0" + QByteArray::number(t);
        for (int a = 0; a < columns; ++a)
            text += ';' + QByteArray::number(t * 10000 + a) + ",5";
        text += '\n';
    }
    const QString path = m_dir.filePath(QStringLiteral("wide.csv"));
    writeFile(path, text);
    const Outcome outcome = read(path, 0, 0);
    QCOMPARE(outcome.status, int(Task::Done));
    QCOMPARE(outcome.data.attributeCount(), columns);
    QCOMPARE(outcome.data.timeCount(), 3);
    QCOMPARE(outcome.data.attributes.last(), QStringLiteral("S4999"));
    QCOMPARE(outcome.data.value(0, 0), 0.5);
    QCOMPARE(outcome.data.value(1, 17), 10017.5);
    QCOMPARE(outcome.data.value(2, 4999), 24999.5);
}

void TestFileReader::valueLimit()
{
    const QString threeRows = dataFile(QStringLiteral("sync_three_rows.csv"));
    // Row 3 (line 13) would make 2 x 3 = 6 values.
    Outcome outcome = read(threeRows, 0, 1, 5);
    QCOMPARE(outcome.message, QStringLiteral("Line 13 can't be loaded: 2 attributes at 3 times "
                                             "make 6 values, more than the 5 a table can hold."));
    QVERIFY(isEmpty(outcome.data));
    outcome = read(threeRows, 0, 1, 6);
    QCOMPARE(outcome.status, int(Task::Done));
    QCOMPARE(outcome.data.values.size(), 6);

    outcome = read(dataFile(QStringLiteral("async_international_example.csv")), 1, 1, 3);
    QCOMPARE(outcome.message, QStringLiteral("The file names 2 attributes at 2 distinct times: 4 "
                                             "values, more than the 3 a table can hold."));
    QVERIFY(isEmpty(outcome.data));
}

void TestFileReader::tooManyCellsNamesSizes()
{
    // Each line a new name at a new time: 100,000 x 100,000 cells.
    QByteArray text;
    const QDateTime start(QDate(2015, 1, 1), QTime(0, 0), Qt::UTC);
    for (int i = 0; i < 100000; ++i)
        text += "sensor" + QByteArray::number(i) + ',' +
                start.addSecs(i).toString(QLatin1String(timeFormat)).toLatin1() + ",1\n";
    const QString path = m_dir.filePath(QStringLiteral("sparse.csv"));
    writeFile(path, text);
    const Outcome outcome = read(path, 1, 1);
    // At most (2^31 - 1 - 64) / 8 = 268435447 doubles fit in a Qt 5 container.
    QCOMPARE(outcome.message, QStringLiteral("The file names 100000 attributes at 100000 distinct "
                                             "times: 10000000000 values, more than the 268435447 "
                                             "a table can hold."));
    QCOMPARE(outcome.status, int(Task::Failed));
    QVERIFY(isEmpty(outcome.data));
}

void TestFileReader::progress()
{
    QByteArray text = "Time,A,B\n" + reservedLines;
    const QDateTime start(QDate(2014, 1, 1), QTime(0, 0), Qt::UTC);
    for (int i = 0; i < 20000; ++i)
        text += start.addSecs(i).toString(QLatin1String(timeFormat)).toLatin1() + ",1.25," +
                QByteArray::number(i) + '\n';
    const QString synchronous = m_dir.filePath(QStringLiteral("progress_sync.csv"));
    writeFile(synchronous, text);
    Outcome outcome = read(synchronous, 0, 1);
    QCOMPARE(outcome.status, int(Task::Done));
    QCOMPARE(outcome.data.timeCount(), 20000);
    QVERIFY(std::is_sorted(outcome.progress.cbegin(), outcome.progress.cend()));
    QCOMPARE(outcome.progress.last(), 100);
    QVERIFY2(outcome.notifications >= 90, qPrintable(QString::number(outcome.notifications)));

    // 1,000 names at 1,000 times: a million cells but a thousand lines. The
    // second pass moves by 60/1000 per line, so it meets 50, 60, ... 100 exactly.
    text.clear();
    for (int i = 0; i < 1000; ++i)
        text += 'n' + QByteArray::number(i) + ',' +
                start.addSecs(i).toString(QLatin1String(timeFormat)).toLatin1() + ",1\n";
    const QString asynchronous = m_dir.filePath(QStringLiteral("progress_async.csv"));
    writeFile(asynchronous, text);
    outcome = read(asynchronous, 1, 1);
    QCOMPARE(outcome.status, int(Task::Done));
    QCOMPARE(outcome.notifications, 7); // 40, 50, 60, 70, 80, 90, 100
    QVERIFY(std::is_sorted(outcome.progress.cbegin(), outcome.progress.cend()));
    QVERIFY(outcome.progress.first() >= 40);
    QCOMPARE(outcome.progress.last(), 100);
}

void TestFileReader::stop_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("afterProgress");
    QTest::newRow("synchronous rows") << 0 << true;
    QTest::newRow("asynchronous first pass") << 1 << false;
    QTest::newRow("asynchronous second pass") << 1 << true;
}

void TestFileReader::stop()
{
    QFETCH(int, mode);
    QFETCH(bool, afterProgress);
    // About 40 MB: far too long to end between start() and requestStop().
    const QString path = m_dir.filePath(QStringLiteral("stop%1.csv").arg(mode));
    if (!QFile::exists(path)) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QByteArray block;
        const QDateTime start(QDate(2014, 1, 1), QTime(0, 0), Qt::UTC);
        for (int i = 0; i < 1000; ++i) {
            const QByteArray time = start.addSecs(i).toString(QLatin1String(timeFormat)).toLatin1();
            if (mode == 0) // equal times are allowed, and blocks repeat
                block += "2014-01-01 00:00:00" + QByteArray(",12.5").repeated(20) + '\n';
            else
                block += "sensor" + QByteArray::number(i % 20) + ',' + time + ",12.5\n";
        }
        if (mode == 0)
            file.write("Time" + QByteArray(",A").repeated(20) + '\n' + reservedLines);
        for (int i = 0; i < (mode == 0 ? 330 : 1100); ++i)
            file.write(block);
    }
    auto *reader = new FileReader(path, mode, 1);
    QSignalSpy finished(reader, &Task::finished);
    QSignalSpy progressed(reader, &Task::progressChanged);
    const QPointer<FileReader> alive(reader); // dispose() disconnects spies on destroyed()
    reader->start();
    if (afterProgress) // in the middle of the rows, or of the second pass
        QVERIFY(progressed.wait(20000));
    reader->requestStop();
    QElapsedTimer timer;
    timer.start();
    QTRY_VERIFY_WITH_TIMEOUT(alive.isNull(), 5000);
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
    QTest::qWait(50);
    QCOMPARE(finished.count(), 0);
}

void TestFileReader::examplesLoad_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("origin");
    QTest::addColumn<int>("attributes");
    QTest::addColumn<int>("times");
    QTest::addColumn<QString>("firstAttribute");
    // Both dialects of a file hold the same numbers; the log's 12,090 lines
    // share some times, leaving 11,816 distinct ones.
    QTest::newRow("sensors fr") << "plant_sensors_fr.csv" << 0 << 0 << 31 << 3000
                                << "boiler_temp_C";
    QTest::newRow("sensors intl") << "plant_sensors_intl.csv" << 0 << 1 << 31 << 3000
                                  << "boiler_temp_C";
    QTest::newRow("log fr") << "plant_log_fr.csv" << 1 << 0 << 7 << 11816 << "grid_frequency_Hz";
    QTest::newRow("log intl") << "plant_log_intl.csv" << 1 << 1 << 7 << 11816
                              << "grid_frequency_Hz";
}

void TestFileReader::examplesLoad()
{
    QFETCH(QString, file);
    QFETCH(int, mode);
    QFETCH(int, origin);
    QFETCH(int, attributes);
    QFETCH(int, times);
    QFETCH(QString, firstAttribute);
    const Outcome outcome =
        read(QStringLiteral(VIREO_SOURCE_DIR "/examples/") + file, mode, origin);
    QCOMPARE(outcome.message, QString());
    QCOMPARE(outcome.data.attributeCount(), attributes);
    QCOMPARE(outcome.data.timeCount(), times);
    QCOMPARE(outcome.data.attributes.first(), firstAttribute);
    const qint64 present = std::count_if(outcome.data.values.cbegin(), outcome.data.values.cend(),
                                         [](double value) { return !qIsNaN(value); });
    if (mode == 0) // a few gaps, not more
        QVERIFY(present > qint64(attributes) * times * 99 / 100 && present < attributes * times);
    else // one value per line of the log
        QCOMPARE(present, qint64(12090));
}

int main(int argc, char **argv)
{
    // Paris rules: 2014-03-30 02:00-03:00 does not exist in local time. Set
    // before anything converts a time, so reading is proven zone-independent.
    qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
    tzset();
    QCoreApplication app(argc, argv);
    TestFileReader test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_filereader.moc"
