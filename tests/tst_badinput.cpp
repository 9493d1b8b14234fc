// The bad inputs of tests/data/bad, and a few too large to commit, read by
// FileReader on the thread pool as the window runs it: each gives its exact
// message, or the exact table.
#include "readertesting.h"
#include "testsupport.h"

#include <QtTest>

namespace {

const QChar mark(0xFEFF);
const QChar replacement = QChar::ReplacementCharacter;

// A synchronous file: header, reserved lines, rows.
QByteArray synchronous(const QByteArray &header, const QByteArray &rows)
{
    return header + '\n' + reservedLines + rows;
}

} // namespace

class TestBadInput : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // file: a file of tests/data/bad, or the name of the generated content.
    void row(const QString &file, int origin, const QString &expected,
             const QByteArray &content = QByteArray())
    {
        const QString tag = file + (origin == 0 ? " French" : " International");
        QTest::newRow(qPrintable(tag)) << file << content << origin << expected;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void read_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("origin");
        QTest::addColumn<QString>("expected");
        const QString time0 = "2014-01-01 00:00:00";

        // Cut short: wherever the file ends, the line it ends in is judged.
        row("sync_empty.csv", 0, firstLine.arg(';'));
        row("sync_empty.csv", 1, firstLine.arg(','));
        row("sync_only_line_ends.csv", 0, firstLine.arg(';'));
        row("sync_truncated_header.csv", 0, tooShort);
        row("sync_header_only.csv", 0, tooShort);
        row("sync_truncated_reserved.csv", 0, tooShort);
        row("sync_header_and_reserved.csv", 0, "A|B /  / ");
        row("sync_truncated_row.csv", 0, syncCount.arg(12).arg(3));
        row("sync_truncated_time.csv", 0, badTime.arg(12).arg("2014-01-01 00:0"));
        // Quotes are no part of the format: they stay in names and spoil numbers.
        row("sync_truncated_mid_quote.csv", 0, "\"A|B\" / " + time0 + " / nan nan");
        row("async_empty.csv", 0, " /  / ");
        row("async_only_line_ends.csv", 1, asyncCount.arg(1).arg("','"));
        row("async_truncated_line.csv", 0, asyncCount.arg(2).arg("tabulation"));
        row("async_truncated_after_separator.csv", 0, asyncCount.arg(2).arg("tabulation"));
        row("async_truncated_mid_quote.csv", 0, "\"T1 / 2015-01-01 10:00:00 / nan");

        // Separators and decimal marks of the other dialect, or of none.
        row("sync_comma_separated.csv", 0, noAttribute);
        row("sync_comma_separated.csv", 1, "A|B / " + time0 + " / 1.5 2");
        row("sync_tab_separated.csv", 0, noAttribute);
        row("sync_tab_separated.csv", 1, noAttribute);
        row("sync_rows_other_separator.csv", 0, syncCount.arg(11).arg(3));
        row("sync_mixed_dialects.csv", 0, syncCount.arg(13).arg(3));
        row("sync_mixed_dialects.csv", 1, noAttribute);
        row("sync_decimal_comma_international.csv", 1, syncCount.arg(12).arg(3));
        row("async_comma_separated.csv", 0, asyncCount.arg(1).arg("tabulation"));
        row("async_tab_separated.csv", 0, "T1|T2 / 2015-01-01 10:00:00 / 1.5 2");
        row("async_tab_separated.csv", 1, asyncCount.arg(1).arg("','"));
        row("async_semicolon_separated.csv", 0, asyncCount.arg(1).arg("tabulation"));
        row("async_semicolon_separated.csv", 1, asyncCount.arg(1).arg("','"));
        row("async_mixed_dialects.csv", 0, asyncCount.arg(2).arg("tabulation"));
        row("async_mixed_dialects.csv", 1, asyncCount.arg(1).arg("','"));
        row("async_doubled_separators.csv", 0, "T1 / 2015-01-01 10:00:00 / 1.5");
        row("async_four_fields.csv", 1, asyncCount.arg(1).arg("','"));

        // Byte order marks: dropped where they start a line, kept as a
        // character anywhere else.
        row("sync_bom_at_start.csv", 0, "A|B / " + time0 + " / 1.5 2");
        row("sync_bom_starting_lines.csv", 0, "A / " + time0 + "|2014-01-01 00:00:01 / 1 2");
        row("sync_bom_in_header.csv", 0, "A|" + QString(mark) + "B / " + time0 + " / 1.5 2");
        row("sync_bom_in_line.csv", 0, badTime.arg(12).arg("2014-01-01 00:00:01" + QString(mark)));
        row("sync_bom_in_field.csv", 0, "A|B / " + time0 + " / nan 2");
        row("async_bom_at_start.csv", 1, "T1 / 2015-01-01 10:00:00 / 1.5");
        row("async_bom_in_name.csv", 1,
            "T1|" + QString(mark) +
                "T1 / 2015-01-01 10:00:00|2015-01-01 10:00:01 / 1.5 nan nan 2.5");
        row("async_bom_in_field.csv", 1, "T1 / 2015-01-01 10:00:00|2015-01-01 10:00:01 / nan nan");
        row("async_bom_in_time.csv", 1, badTime.arg(2).arg(QString(mark) + "2015-01-01 10:00:01"));

        // Other encodings than UTF-8.
        for (const char *file :
             {"sync_utf16le.csv", "sync_utf16be.csv", "sync_utf16le_no_mark.csv",
              "async_utf16le.csv", "async_utf16be.csv", "async_utf16le_no_mark.csv"})
            row(file, 1, utf16);
        row("sync_invalid_utf8.csv", 0,
            badTime.arg(12).arg("20" + QString(replacement) + "14-01-01 00:00:01"));
        // Both names decode alike, so they are one attribute, the last value winning.
        row("async_invalid_utf8.csv", 1,
            "T" + QString(replacement) + "|U / 2015-01-01 10:00:00 / 2.5 nan");
        row("async_invalid_utf8_time.csv", 1, badTime.arg(1).arg("2015-01-01 10:00:é"));
        // NULs are characters of names and make no number; a message shows them.
        row("sync_nul_bytes.csv", 0, badTime.arg(12).arg("2014-01-01␀00:00:01"));
        row("async_nul_bytes.csv", 1,
            QString("T") + QChar(0) + "|T / 2015-01-01 10:00:00 / 1.5 nan");

        // Times: out of order, outside the calendar, in another shape.
        row("sync_times_out_of_order.csv", 0,
            decrease.arg(13).arg("2014-01-01 00:00:01", "2014-01-01 00:00:02"));
        row("async_times_out_of_order.csv", 1,
            "T1|T2 / 2015-01-01 10:00:00|2015-01-01 10:00:01|2015-01-01 10:00:02 / "
            "1 nan nan 2 4 nan");
        row("sync_dates_at_the_limits.csv", 0, "A / 0001-01-01 00:00:00|9999-12-31 23:59:59 / 1 2");
        row("async_dates_at_the_limits.csv", 1,
            "T1 / 0001-01-01 00:00:00|9999-12-31 23:59:59 / 1 2");
        row("sync_year_zero.csv", 0, badTime.arg(11).arg("0000-12-31 23:59:59"));
        row("async_year_zero.csv", 1, badTime.arg(2).arg("0000-01-01 10:00:00"));
        row("sync_february_29.csv", 0, badTime.arg(12).arg("2015-02-29 12:00:00"));
        row("sync_leap_second.csv", 0, badTime.arg(11).arg("2016-12-31 23:59:60"));
        row("sync_hour_24.csv", 0, badTime.arg(11).arg("2016-12-31 24:00:00"));
        row("sync_iso_t.csv", 0, badTime.arg(11).arg("2016-12-31T23:00:00"));
        // 100 bytes but 50 characters: shown whole.
        row("sync_accented_time.csv", 0, badTime.arg(11).arg(QString(50, QChar(0xE9))));

        // Numbers beyond a double, and the words for infinity and NaN.
        row("sync_huge_numbers.csv", 0,
            "max|over|under|denormal|long|minus_over / " + time0 +
                " / 1.7976931348623157e+308 nan nan 4.9406564584124654e-324 "
                "1.2345678901234568e+29 nan");
        row("async_huge_numbers.csv", 1,
            "max|over|under / 2015-01-01 10:00:00 / 1.7976931348623157e+308 nan nan");
        row("sync_infinities_and_nans.csv", 0,
            "inf|minus_inf|nan|minus_nan|Inf|infinity / " + time0 + " / inf -inf nan nan inf nan");
        row("async_infinities_and_nans.csv", 0,
            "inf|minus_inf|nan|minus_nan / 2015-01-01 10:00:00 / inf -inf nan nan");

        // Too large to commit: a field of 1 MB, 100,000 columns.
        const QByteArray mega(1 << 20, 'x');
        row("sync_huge_name.csv", 0, QString(mega) + "|B / " + time0 + " / 1 2",
            synchronous("Time;" + mega + ";B", time0.toLatin1() + ";1;2\n"));
        row("sync_huge_value.csv", 0, "A / " + time0 + " / 1",
            synchronous("Time;A", time0.toLatin1() + ";1," + QByteArray(1 << 20, '0') + "\n"));
        row("sync_huge_time.csv", 0, badTime.arg(11).arg(QString(80, 'x') + "…"),
            synchronous("Time;A", mega + ";1\n"));
        row("async_huge_name.csv", 1, QString(mega) + " / 2015-01-01 10:00:00 / 1.5",
            mega + ",2015-01-01 10:00:00,1.5\n");
        QByteArray header = "Time", values = time0.toLatin1(), lines;
        QStringList names, numbers;
        for (int a = 0; a < 100000; ++a) {
            const QByteArray name = "A" + QByteArray::number(a), value = QByteArray::number(a);
            header += ";" + name;
            values += ";" + value;
            lines += name + "," + time0.toLatin1() + "," + value + "\n";
            names << name;
            numbers << value;
        }
        const QString wide = names.join('|') + " / " + time0 + " / " + numbers.join(' ');
        row("sync_wide.csv", 0, wide, synchronous(header, values + "\n"));
        row("async_wide.csv", 1, wide, lines);
    }

    void read()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(int, origin);
        QFETCH(QString, expected);
        QString path = dataFile("bad/" + file);
        if (!content.isNull()) {
            path = m_dir.filePath(file);
            QVERIFY(writeFile(path, content));
        }
        expectRead(readFile(path, file.startsWith("async") ? 1 : 0, origin), expected, path);
    }
};

QTEST_GUILESS_MAIN(TestBadInput)
#include "tst_badinput.moc"
