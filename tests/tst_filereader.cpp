#include "io/csvfield.h"
#include "io/csvrow.h"
#include "io/filereader.h"
#include "io/linereader.h"
#include "readertesting.h"
#include "testsupport.h"

#include <QtTest>

#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QLatin1String timeFormat("yyyy-MM-dd hh:mm:ss");

// The time `seconds` after 2014-01-01 00:00:00, as a file writes it.
QByteArray timeText(int seconds)
{
    const QDateTime start(QDate(2014, 1, 1), QTime(0, 0), Qt::UTC);
    return start.addSecs(seconds).toString(timeFormat).toLatin1();
}

QString written(const QString &path, const QByteArray &content)
{
    if (!writeFile(path, content))
        QTest::qFail(qPrintable("cannot write " + path), __FILE__, __LINE__);
    return path;
}

// A synchronous file read the plain way, line by line with Qt's conversions:
// the table, or the message of the first failing line.
ReadOutcome referenceRead(const QByteArray &text, bool french)
{
    // A run of CRs, with or without an LF after it, ends a line; marks that start one are dropped.
    QStringList pieces = QString::fromLatin1(text).split(QRegularExpression("\r+\n?|\n"));
    pieces.replaceInStrings(QRegularExpression(QString::fromLatin1("^(\xEF\xBB\xBF)+")), QString());
    if (pieces.last().isEmpty())
        pieces.removeLast();
    QList<QByteArray> lines;
    for (const QString &piece : qAsConst(pieces))
        lines << piece.toLatin1();
    const char separator = french ? ';' : ',';
    const QList<QByteArray> header = lines.at(0).split(separator);
    ReadOutcome outcome;
    outcome.status = Task::Done;
    for (int i = 1; i < header.size(); ++i)
        outcome.data.attributes << QString::fromUtf8(header.at(i));
    const auto failure = [&outcome](const QString &message) {
        outcome = ReadOutcome();
        outcome.status = Task::Failed;
        outcome.message = message;
        return outcome;
    };
    for (int i = 10; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines.at(i).split(separator);
        if (fields.size() != header.size())
            return failure(QString("Line %1 doesn't contain %2 values (time included).")
                               .arg(i + 1)
                               .arg(header.size()));
        const QDateTime local = QDateTime::fromString(QString::fromUtf8(fields.at(0)), timeFormat);
        const QDateTime time(local.date(), local.time(), Qt::UTC);
        if (!local.isValid())
            return failure(QString("Line %1 doesn't contain a valid time value : %2.")
                               .arg(i + 1)
                               .arg(QString::fromUtf8(fields.at(0))));
        if (!outcome.data.times.isEmpty() && time < outcome.data.times.last())
            return failure(QString("Line %1 doesn't contain a time value greater than the "
                                   "previous one (%2 < %3).")
                               .arg(i + 1)
                               .arg(time.toString(timeFormat),
                                    outcome.data.times.last().toString(timeFormat)));
        outcome.data.times << time;
        for (int f = 1; f < fields.size(); ++f) {
            bool ok = false;
            QByteArray field = fields.at(f);
            const double value =
                QString::fromUtf8(french ? field.replace(',', '.') : field).toDouble(&ok);
            outcome.data.values << (ok ? value : qQNaN());
        }
    }
    return outcome;
}

// A synchronous file with every kind of field and line end, and sometimes
// broken lines; the times never go back unless a line is broken that way.
QByteArray randomFile(QRandomGenerator &random, bool french)
{
    const char separator = french ? ';' : ',';
    const QList<QByteArray> ends{"\n", "\r\n", "\r", "\r\r\n"};
    const QList<QByteArray> values{"",       "abc",     "-12",   "+7",    "3.14159265358979323846",
                                   "1.5e-7", "-2E+300", "4e400", ".5",    "5.",
                                   "1,5",    "-0,25",   " 2.5",  "inf",   "nan",
                                   "1e-320", "0.1",     "-0",    "1,5e3", "12345678901234567890"};
    const int attributes = random.bounded(1, 9);
    QByteArray text = random.bounded(4) == 0 ? "\xEF\xBB\xBFTime" : "Time";
    for (int a = 0; a < attributes; ++a)
        text += separator + QByteArray("A") + QByteArray::number(a);
    text += ends.at(random.bounded(ends.size())) + reservedLines;
    const int rows = random.bounded(0, 60);
    const int broken = random.bounded(2) ? random.bounded(rows + 1) : -1;
    int seconds = 0;
    for (int row = 0; row < rows; ++row) {
        seconds += random.bounded(3);
        QByteArray line = random.bounded(20) == 0 ? "\xEF\xBB\xBF" : "";
        line += timeText(seconds);
        for (int a = 0; a < attributes; ++a) {
            QByteArray value = values.at(random.bounded(values.size()));
            line += separator + (french ? value : value.replace(',', '.'));
        }
        if (row >= broken && broken >= 0 && random.bounded(3) == 0) {
            switch (random.bounded(3)) {
            case 0:
                line += separator;
                break;
            case 1:
                line.replace(0, 4, "2O14");
                break;
            default:
                line.replace(timeText(seconds), timeText(seconds - 5));
            }
        }
        text += line + (row + 1 < rows || random.bounded(2) ? ends.at(random.bounded(ends.size()))
                                                            : QByteArray());
    }
    return text;
}

} // namespace

class TestFileReader : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // About 40 MB: far too long to read between start() and requestStop().
    // The synchronous one starts with a row of missing values, far shorter
    // than the others.
    QString largeFile(int mode)
    {
        const QString path = m_dir.filePath(QString("large%1.csv").arg(mode));
        if (QFile::exists(path))
            return path;
        QByteArray block; // equal times are allowed, so synchronous blocks repeat
        for (int i = 0; i < 1000; ++i)
            block += mode == 0
                         ? timeText(0) + QByteArray(",12.5").repeated(20) + '\n'
                         : "sensor" + QByteArray::number(i % 20) + ',' + timeText(i) + ",12.5\n";
        const QByteArray header = "Time" + QByteArray(",A").repeated(20) + '\n' + reservedLines +
                                  timeText(0) + QByteArray(",").repeated(20) + '\n';
        return written(path, mode == 0 ? header + block.repeated(330) : block.repeated(1100));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // Paris rules: 2014-03-30 02:00-03:00 does not exist in local time, so
        // the daylight-saving cases prove that reading ignores the time zone.
        qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
        tzset();
        QVERIFY(!QDateTime::fromString("2014-03-30 02:30:00", timeFormat).isValid());
    }

    void lineEnds_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("lines");
        // A run of CRs, with or without an LF after it, ends one line.
        QTest::newRow("mixed") << QByteArray("\uFEFFa\r\nb\rc\n\nd\r\r\ne\r\r\rf\r\n\r\n")
                               << QStringList{"a", "b", "c", "", "d", "e", "f", ""};
        // One mark is skipped at the start of every line, none elsewhere.
        QTest::newRow("marks") << QByteArray("\uFEFFa\n\uFEFF\uFEFFb\rc\uFEFF\n\uFEFF")
                               << QStringList{"a", "\u00EF\u00BB\u00BFb", "c\u00EF\u00BB\u00BF"};
        QTest::newRow("final CR") << QByteArray("x\r") << QStringList{"x"};
        QTest::newRow("one LF") << QByteArray("\n") << QStringList{""};
        QTest::newRow("only a BOM") << QByteArray("\uFEFF") << QStringList();
        QTest::newRow("half a BOM") << QByteArray("\xEF\xBB") << QStringList{"\u00EF\u00BB"};
    }

    void lineEnds()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, lines);
        // Tiny blocks put every CR LF pair astride a refill at some point.
        for (qint64 blockSize : {1, 2, 3, 7, 4096}) {
            QBuffer buffer(&content);
            QVERIFY(buffer.open(QIODevice::ReadOnly));
            LineReader reader(&buffer, blockSize);
            QStringList read;
            const char *begin = nullptr, *end = nullptr;
            while (reader.readLine(begin, end))
                read << QString::fromLatin1(begin, int(end - begin));
            QCOMPARE(read, lines);
            QCOMPARE(reader.consumed(), qint64(content.size()));
        }
    }

    void parseTime()
    {
        const auto parse = [](const QByteArray &text) {
            return CsvField::parseTime(text.constData(), text.constData() + text.size());
        };
        // The clock time as written, in UTC, even inside Paris's daylight-saving gap.
        for (const QByteArray text : {"2014-03-30 02:30:00", "2016-02-29 23:59:59"}) {
            QCOMPARE(parse(text).timeSpec(), Qt::UTC);
            QCOMPARE(parse(text).toString(timeFormat), QString(text));
        }
        for (const QByteArray text :
             {"2015-02-29 00:00:00", "2014-01-01 23:59:60", "2014-01-01 00:00:00 ",
              "2014-01-01T00:00:00", "+014-01-01 00:00:00", "2014-1-01 00:00:00"})
            QVERIFY2(!parse(text).isValid(), text.constData());
    }

    // The reader must make of a field what QString::toDouble does (after every
    // ',' became '.' with a decimal comma), NaN where that refuses.
    void parseValueAgreesWithQt()
    {
        // The corners random pieces below never produce.
        const QByteArray corners =
            "1.5\t|\u00A02|inf|-INF|nan|+nan|infinity|1e400|-1e400|1e-400|"
            "0e-400|4.9e-324|0x10|1 000|1_0|1d|12345678901234567890123|"
            "9007199254740992|9007199254740993|900719925474099.3|-0.000|"
            "1234567890123456789|1.234567890123456789|0000000000000000000001.5|"
            "-1234567.7654321;|12345678.5;;;;;;;;|7.12345678;;;;;;;|-0.0000000;|";
        QList<QByteArray> texts = (corners + QByteArray(70, '1') + ",5").split('|');
        // Random pieces find the signs, points, commas and exponents in every order.
        QRandomGenerator random(20140330);
        const char pieces[] = "-+0731.,eE9 ";
        for (int i = 0; i < 40000; ++i) {
            QByteArray text;
            for (int j = random.bounded(1, 12); j > 0; --j)
                text += pieces[random.bounded(int(sizeof pieces) - 1)];
            texts << text;
        }
        for (const QByteArray &text : qAsConst(texts))
            for (bool comma : {false, true}) {
                bool ok = false;
                const QByteArray qtText = comma ? QByteArray(text).replace(',', '.') : text;
                const double parsed = QString::fromUtf8(qtText).toDouble(&ok);
                const double expected = ok ? parsed : qQNaN();
                QVERIFY2(sameBits(CsvField::parseValue(text.begin(), text.end(), comma), expected),
                         QByteArray(text + (comma ? " (decimal comma)" : "")).constData());
            }
    }

    // A row's values are its fields' values, on the vector path and without
    // it: fields of every length round the eight bytes a lane reads, signs
    // and points anywhere, the line at the end of the readable memory or
    // followed by digits that must not be taken for the field's; some rows
    // longer than the batches fields are found in.
    void rowValuesAgreeWithFields()
    {
        const QList<QByteArray> corners{
            "",       "-",   "--5",       "+5",        "1.",       ".5",        "-.5", "1.2.3",
            "-0.000", "0",   "12345678",  "123456789", "1234.567", "-1234.567", "1e5", " 1",
            "1 ",     "abc", "9.9999999", "-99999999", "0.5-",     "1234567.8", "inf", "007.50",
            "5.\xEF", "1:5", "12?.5",     "<3",        "7=",       "4/2"};
        QRandomGenerator random(20261208);
        const bool vector = CsvRow::vectorized();
        for (int round = 0; round < 4000; ++round) {
            const bool comma = round % 2 == 1;
            const char separator = comma ? ';' : ',';
            QByteArray line;
            for (int i = random.bounded(1, round % 10 ? 40 : 300); i > 0; --i) {
                if (random.bounded(4) == 0) {
                    line += corners.at(random.bounded(corners.size()));
                } else {
                    line += random.bounded(5) == 0 ? "-" : "";
                    const int digits = random.bounded(1, 10);
                    const int point = random.bounded(digits + 2);
                    for (int d = 0; d < digits; ++d)
                        line += QByteArray(d == point ? (comma ? "," : ".") : "") +
                                char('0' + random.bounded(10));
                }
                line += i > 1 ? QByteArray(1, separator) : QByteArray();
            }
            // Each field's value, then the mark that must stay after them.
            QVector<double> expected;
            for (const QByteArray &field : line.split(separator))
                expected << CsvField::parseValue(field.begin(), field.end(), comma);
            const qint64 count = expected.size();
            expected << 42.0;
            for (bool vectorized : {true, false}) {
                CsvRow::setVectorized(vectorized);
                for (int padding : {0, 40}) {
                    std::vector<char> memory(line.begin(), line.end());
                    memory.insert(memory.end(), padding, '7');
                    const char *begin = memory.data();
                    const char *end = begin + line.size();
                    QVector<double> values(count + 1, 42.0);
                    const QString context =
                        line + (vectorized ? " vector" : "") + (padding ? " padded: " : ": ");
                    QVERIFY2(CsvRow::parseValues(begin, end, end + padding, separator, comma,
                                                 values.data(), count) == count,
                             qPrintable(context));
                    QCOMPARE(context + bitDifference(values, expected), context);
                    // Too many fields: counted one past, nothing written past count.
                    values.fill(42.0);
                    if (count > 1) {
                        QCOMPARE(CsvRow::parseValues(begin, end, end + padding, separator, comma,
                                                     values.data(), count - 1),
                                 count);
                        QCOMPARE(values[count - 1], 42.0);
                    }
                }
            }
        }
        CsvRow::setVectorized(true);
        QVERIFY(CsvRow::vectorized() == vector);
    }

    // Each data file's table as "names / times / values", or the reader's message.
    void load_data()
    {
        QTest::addColumn<int>("origin");
        QTest::addColumn<QString>("expected");

        // abc, empty, point, comma, blanks round 2,5, exponent, plus sign,
        // 1,000,5 (1.000.5 after the comma swap), -inf.
        QTest::newRow("sync_french_values")
            << 0
            << "abc|empty|point|comma|blanks|exponent|plus|text_comma|inf / 2014-01-01 00:00:00 / "
               "nan nan 1.5 -1.25 2.5 1500 0.5 nan -inf";
        QTest::newRow("sync_cr_only")
            << 0 << "A|B / 2014-01-01 00:00:00|2014-01-01 00:00:01 / 1 2 3 4";
        // Equal times are kept; Paris's daylight-saving gap does not matter.
        QTest::newRow("sync_dst_gap") << 1
                                      << "A / 2014-03-30 01:59:59|2014-03-30 02:30:00|"
                                         "2014-03-30 02:30:00|2014-03-30 03:00:00 / 1.5 2 3 4";
        QTest::newRow("sync_french_basic") << 1 << noAttribute;
        QTest::newRow("sync_nine_lines") << 0 << tooShort;
        QTest::newRow("sync_empty_first_line") << 0 << firstLine.arg(';');
        QTest::newRow("sync_month13") << 0 << badTime.arg(12).arg("2014-13-01 00:00:00");
        QTest::newRow("sync_decreasing_time")
            << 1 << decrease.arg(13).arg("2014-01-01 00:00:00", "2014-01-02 00:00:00");
        QTest::newRow("sync_blank_line") << 0 << syncCount.arg(12).arg(3);
        QTest::newRow("sync_wrong_count_and_time") << 0 << syncCount.arg(11).arg(3);
        QTest::newRow("sync_cr_cr_lf")
            << 1 << "A|B / 2014-01-01 00:00:00|2014-01-01 00:00:01 / 1 2 3 4";
        QTest::newRow("sync_utf16") << 1 << utf16;
        // Marks that start a line are dropped; the one before a name keeps it apart.
        QTest::newRow("sync_bom_fields") << 0 << "A|\uFEFFA / 2014-01-01 00:00:00 / 1 2";
        // At most 80 characters of the field, never half of one.
        QTest::newRow("sync_long_time")
            << 1 << badTime.arg(11).arg("x" + QString("é").repeated(79) + "…");
        // Stray continuation bytes are no reason to quote less.
        QTest::newRow("sync_stray_continuation")
            << 1
            << badTime.arg(11).arg("201" + QString(QChar::ReplacementCharacter).repeated(77) + "…");
        // A sequence cut at the field's end shows, instead of vanishing.
        QTest::newRow("sync_cut_character")
            << 1
            << QString(QChar::ReplacementCharacter) + "|B" +
                   QString(2, QChar::ReplacementCharacter) + " / 2014-06-01 12:00:00 / 1 2";

        // Rows by ascending time, columns by first appearance; of two values
        // for one cell the last wins.
        QTest::newRow("async_french_tab")
            << 0 << "T1 / 2015-01-01 10:00:00|2015-01-01 10:00:01 / 1.25 -0.5";
        QTest::newRow("async_empty") << 1 << " /  / ";
        // NUL bytes after a number make it no number.
        QTest::newRow("async_nul_after_value")
            << 1 << "T1 / 2015-01-01 10:00:00|2015-01-01 10:00:01 / nan 3";
        QTest::newRow("async_first_appearance")
            << 1
            << "zeta|alpha|mu|beta / 2015-01-01 10:00:00|2015-01-01 10:00:01|2015-01-01 10:00:02 "
               "/ 1 2 nan nan nan 4 3 nan nan nan nan 5";
        QTest::newRow("async_dst_gap")
            << 1 << "P|Q / 2014-03-30 01:30:00|2014-03-30 02:30:00 / 0 nan 1 2";
        QTest::newRow("async_bom_crlf") << 1 << "T1|T2 / 2015-01-01 10:00:00 / 3 2";
        QTest::newRow("async_blank_line") << 1 << asyncCount.arg(2).arg("','");
        QTest::newRow("async_month13") << 1 << badTime.arg(1).arg("2015-13-01 10:00:00");
        QTest::newRow("async_international_example") << 0 << asyncCount.arg(1).arg("tabulation");
        QTest::newRow("async_utf16") << 0 << utf16;
        QTest::newRow("async_bom_lines")
            << 1 << badTime.arg(3).arg(QChar(0xFEFF) + QString("2015-01-01 10:00:01"));
    }

    void load()
    {
        QFETCH(int, origin);
        QFETCH(QString, expected);
        const QString file = QTest::currentDataTag();
        const QString path = dataFile(file + ".csv");
        // Twice: the column order of an asynchronous file must not vary.
        for (int run = 0; run < 2; ++run)
            expectRead(readFile(path, file.startsWith("async"), origin), expected, path);
    }

    // Reads that end inside every kind of field and line end, however the
    // file is cut into blocks and pieces, give what the plain reading gives.
    void parallelAgreesWithReference()
    {
        QRandomGenerator random(20261207);
        const QString path = m_dir.filePath("random.csv");
        for (int round = 0; round < 120; ++round) {
            const bool french = round % 2 == 0;
            CsvRow::setVectorized(round % 3 != 0);
            const QByteArray text = randomFile(random, french);
            const qint64 blockSize = round % 10 == 0 ? 0 : random.bounded(1, 300);
            const ReadOutcome expected = referenceRead(text, french);
            const ReadOutcome outcome =
                readFile(written(path, text), 0, french ? 0 : 1, Data::maxValueCount(), blockSize);
            const QString context = QString("round %1, block %2: ").arg(round).arg(blockSize);
            QCOMPARE(context + QString::number(outcome.status) + outcome.message,
                     context + QString::number(expected.status) + expected.message);
            QCOMPARE(outcome.data.attributes, expected.data.attributes);
            QCOMPARE(outcome.data.times, expected.data.times);
            QCOMPARE(context + bitDifference(outcome.data.values, expected.data.values), context);
        }
        CsvRow::setVectorized(true);
    }

    // A file of several blocks, its last ones read in smaller blocks with
    // smaller buffers: the same table on both parsing paths.
    void blocksOfEverySize()
    {
        const Data table = generatedTable(
            40, 12000, QDateTime(QDate(2014, 1, 1), QTime(0, 0), Qt::UTC), 1,
            [](int t, int a) {
                const int k = (t * 7919 + a * 104729) % 200001;
                return k % 97 == 0 ? qQNaN() : (k - 100000) / 1000.0;
            },
            "A");
        const QString path = written(m_dir.filePath("blocks.csv"), synchronousCsv(table));
        QVERIFY(QFileInfo(path).size() > 3 << 20);
        for (qint64 blockSize : {qint64(0), qint64(256 << 10)}) {
            for (bool vectorized : {true, false}) {
                CsvRow::setVectorized(vectorized);
                const ReadOutcome outcome = readFile(path, 0, 1, Data::maxValueCount(), blockSize);
                QCOMPARE(outcome.status, int(Task::Done));
                QCOMPARE(difference(outcome.data, table), QString());
            }
        }
        CsvRow::setVectorized(true);
    }

    void unreadablePaths()
    {
        QStringList paths{m_dir.filePath("missing.csv"), m_dir.path()};
        if (::geteuid() != 0) { // permissions do not stop root from reading
            paths << m_dir.filePath("locked.csv");
            written(paths.last(), "Time,A\n" + reservedLines);
            QVERIFY(QFile::setPermissions(paths.last(), QFileDevice::WriteOwner));
        }
        for (const QString &path : qAsConst(paths))
            for (int mode : {0, 1})
                expectFailure(readFile(path, mode, 1),
                              QString("Unable to open file %1.").arg(path));
    }

    void binaryGarbage()
    {
        QByteArray garbage(1 << 20, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(garbage.data()), 1 << 18);
        const QString path = written(m_dir.filePath("garbage.bin"), garbage);
        const QRegularExpression known(
            "^(No attribute found in the first line|Line \\d+ doesn't contain .+)\\.$");
        for (int mode : {0, 1})
            for (int origin : {0, 1}) {
                const ReadOutcome outcome = readFile(path, mode, origin);
                QVERIFY2(known.match(outcome.message).hasMatch(), qPrintable(outcome.message));
                expectFailure(outcome, outcome.message);
            }
    }

    void hugeLine()
    {
        // 100 MB without a line end, in the header, a data row, an asynchronous line.
        const auto check = [this](const QByteArray &head, const QByteArray &unit, int mode,
                                  const QString &message) {
            const QString path = m_dir.filePath("huge_line.csv");
            written(path, head + unit.repeated((100 << 20) / unit.size()));
            expectFailure(readFile(path, mode, 1), message);
            QFile::remove(path);
        };
        check("", "xxxxxxxx", 0, noAttribute);
        check("Time,A,B\n" + reservedLines + timeText(0), ",1.5,2.5", 0, syncCount.arg(11).arg(3));
        check("T1," + timeText(0), ",1.5,2.5", 1, asyncCount.arg(1).arg("','"));
    }

    void longFields()
    {
        // Lengths beyond 32 bits must not wrap into a short field; nothing of
        // a refused field is read.
        const QByteArray bytes("abc");
        const char *text = bytes.constData();
        QString decoded;
        QVERIFY(!CsvField::decode(text, text + (qint64(1) << 32) + 3, decoded));
        QVERIFY(!CsvField::decode(text, text + CsvField::maxLength() + 1, decoded));
        QVERIFY(CsvField::decode(text, text + 3, decoded) && decoded == "abc");
        QCOMPARE(CsvField::maxLength(), qint64(1073741791)); // (2^31 - 1 - 64) / 2
    }

    void valueLimits()
    {
        const QString threeRows = dataFile("sync_three_rows.csv");
        // Row 3 (line 13) would make 2 x 3 = 6 values.
        expectFailure(readFile(threeRows, 0, 1, 5),
                      "Line 13 can't be loaded: 2 attributes at 3 times "
                      "make 6 values, more than the 5 a table can hold.");
        QCOMPARE(readFile(threeRows, 0, 1, 6).data.values.size(), 6);
        expectFailure(readFile(dataFile("async_international_example.csv"), 1, 1, 3),
                      "The file can't be loaded: 2 attributes at 2 times make 4 values, more than "
                      "the 3 a table can hold.");

        // Each line a new name at a new time: 100,000 x 100,000 cells. At most
        // (2^31 - 1 - 64) / 8 = 268435447 doubles fit in a Qt 5 container.
        QByteArray text;
        for (int i = 0; i < 100000; ++i)
            text += "sensor" + QByteArray::number(i) + ',' + timeText(i) + ",1\n";
        expectFailure(readFile(written(m_dir.filePath("sparse.csv"), text), 1, 1),
                      "The file can't be loaded: 100000 attributes at 100000 times make "
                      "10000000000 values, more than the 268435447 a table can hold.");
    }

    void progress()
    {
        ReadOutcome outcome = readFile(largeFile(0), 0, 1);
        QCOMPARE(outcome.data.timeCount(), 330001);
        // The short first row does not size the table: it ends near its size.
        QVERIFY(outcome.data.values.capacity() <= outcome.data.values.size() * 9 / 8);
        QVERIFY(outcome.data.times.capacity() <= outcome.data.times.size() * 9 / 8);
        QCOMPARE(outcome.progress.size(), 100); // each percent

        // 1,000 names at 1,000 times: a million cells but a thousand lines. The
        // second pass moves by 60/1000 per line, so it meets 50, 60, ... 100 exactly.
        QByteArray text;
        for (int i = 0; i < 1000; ++i)
            text += 'n' + QByteArray::number(i) + ',' + timeText(i) + ",1\n";
        outcome = readFile(written(m_dir.filePath("progress.csv"), text), 1, 1);
        QCOMPARE(outcome.status, int(Task::Done));
        QCOMPARE(outcome.progress, QVector<int>({40, 50, 60, 70, 80, 90, 100}));
    }

    void stop_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("synchronous rows") << 0;
        QTest::newRow("asynchronous second pass") << 1;
    }

    void stop()
    {
        QFETCH(int, mode);
        auto *reader = new FileReader(largeFile(mode), mode, 1);
        QSignalSpy finished(reader, &Task::finished);
        QSignalSpy progressed(reader, &Task::progressChanged);
        const QPointer<FileReader> alive(reader); // dispose() disconnects spies on destroyed()
        reader->start();
        QVERIFY(progressed.wait(20000)); // in the middle of the rows, or of the second pass
        reader->requestStop();
        const int atStop = reader->progress();
        // No event is processed, so nothing deletes the reader: once run() has
        // returned, its progress shows how far it went after the request.
        QVERIFY(QThreadPool::globalInstance()->waitForDone(20000));
        QVERIFY(alive && alive->progress() <= atStop + 10);
        QTRY_VERIFY(alive.isNull());
        QCOMPARE(finished.count(), 0);
    }

    void stopFirstPass()
    {
        // The test holds the pipe's write end, so the first pass never meets
        // the end of the file: only the stop request, seen after a line, ends it.
        const QString path = m_dir.filePath("pipe");
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        const int writer = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NONBLOCK);
        const auto closeWriter = qScopeGuard([writer] { ::close(writer); });
        auto *reader = new FileReader(path, 1, 1);
        const QPointer<FileReader> alive(reader);
        reader->start();
        reader->requestStop();
        // Whole lines only: a pipe takes up to 4096 bytes at once or nothing.
        const QByteArray lines = QByteArray("T1,2015-01-01 10:00:00,1\n").repeated(160);
        const auto feed = [&] {
            while (::write(writer, lines.constData(), size_t(lines.size())) > 0)
                ;
            return alive.isNull();
        };
        QTRY_VERIFY_WITH_TIMEOUT(feed(), 5000);
    }

    void examplesLoad()
    {
        // Both dialects of an example hold the same table: 31 sensors at 3000
        // times with a few gaps; a log of 12,090 values at 11,816 distinct times.
        const QString path = QStringLiteral(VIREO_SOURCE_DIR "/examples/plant_");
        for (int mode : {0, 1}) {
            const QString name = path + (mode == 0 ? "sensors" : "log");
            const Data french = readFile(name + "_fr.csv", mode, 0).data;
            QCOMPARE(describe(readFile(name + "_intl.csv", mode, 1).data), describe(french));
            const int present = int(std::count_if(french.values.cbegin(), french.values.cend(),
                                                  [](double value) { return !qIsNaN(value); }));
            QCOMPARE(QVector<int>({french.attributeCount(), french.timeCount(), present}),
                     mode == 0 ? QVector<int>({31, 3000, 92774}) : QVector<int>({7, 11816, 12090}));
        }
    }
};

QTEST_GUILESS_MAIN(TestFileReader)
#include "tst_filereader.moc"
