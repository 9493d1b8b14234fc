#include "io/csvfield.h"

#include "core/data.h"

#include <QCoreApplication>
#include <QTextCodec>
#include <QtNumeric>

#include <fast_float/fast_float.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

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
double parseAnyNumber(const QByteArray &text)
{
    // Decoded as names are: NUL bytes stay ("2\0\0" is no number), and so
    // does a leading byte order mark, which QString::fromUtf8 would drop.
    QString decoded;
    CsvField::decode(text.constData(), text.constData() + text.size(), decoded);
    bool ok = false;
    const double value = decoded.toDouble(&ok);
    return ok ? value : qQNaN();
}

constexpr double powersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                  1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Short plain decimals, the bulk of a measurement file: an integer of at
// most 2^53 over an exact power of ten is one correctly rounded division,
// the same double fast_float gives. False when the field is anything else.
bool parseShortDecimal(const char *begin, const char *end, char point, double &value)
{
    const char *p = begin;
    const bool negative = *p == '-';
    p += negative;
    quint64 mantissa = 0;
    const char *digits = p;
    // 19 digits cannot overflow 64 bits.
    const char *limit = p + std::min<qint64>(end - p, 19);
    while (p != limit && unsigned(*p - '0') <= 9)
        mantissa = mantissa * 10 + unsigned(*p++ - '0');
    if (p == digits)
        return false;
    int decimals = 0;
    if (p != end && *p == point) {
        const char *fraction = ++p;
        limit = p + std::min<qint64>(end - p, 19 - (fraction - 1 - digits));
        while (p != limit && unsigned(*p - '0') <= 9)
            mantissa = mantissa * 10 + unsigned(*p++ - '0');
        decimals = int(p - fraction);
        if (decimals == 0)
            return false;
    }
    // The field ends only at end: "2\0" is no number.
    if (p != end || mantissa > (quint64(1) << 53))
        return false;
    const double magnitude = double(mantissa) / powersOfTen[decimals];
    value = negative ? -magnitude : magnitude;
    return true;
}

// Plain decimal numbers only, the whole of [begin, end). Signs, blanks,
// infinities, overflow and underflow are left to parseAnyNumber so that
// both agree.
bool parsePlainNumber(const char *begin, const char *end, char point, double &value)
{
    if (parseShortDecimal(begin, end, point, value))
        return true;
    const char first = *begin;
    if (!((first >= '0' && first <= '9') || first == '-' || first == point))
        return false;
    const fast_float::parse_options options(fast_float::chars_format::general, point);
    const fast_float::from_chars_result parsed =
        fast_float::from_chars_advanced(begin, end, value, options);
    return parsed.ec == std::errc() && parsed.ptr == end && std::isfinite(value) &&
           (value != 0 || isExactZero(begin, parsed.ptr));
}

} // namespace

bool CsvField::parseTimeKey(const char *begin, const char *end, qint64 &key)
{
    QDate date;
    QTime time;
    if (!parseClock(begin, end, date, time))
        return false;
    key = date.toJulianDay() * 86400 + time.msecsSinceStartOfDay() / 1000;
    return true;
}

QDateTime CsvField::timeOfKey(qint64 key)
{
    return QDateTime(QDate::fromJulianDay(key / 86400),
                     QTime::fromMSecsSinceStartOfDay(int(key % 86400) * 1000), Qt::UTC);
}

QDateTime CsvField::parseTime(const char *begin, const char *end)
{
    qint64 key = 0;
    return parseTimeKey(begin, end, key) ? timeOfKey(key) : QDateTime();
}

double CsvField::parseValue(const char *begin, const char *end, bool decimalComma)
{
    if (begin == end)
        return std::numeric_limits<double>::quiet_NaN(); // inline: empty cells are common
    double value = 0;
    // With a decimal comma, "1,5" and "1.5" both mean one and a half.
    if ((decimalComma && parsePlainNumber(begin, end, ',', value)) ||
        parsePlainNumber(begin, end, '.', value))
        return value;
    if (end - begin > maxLength())
        return qQNaN(); // beyond what QString::toDouble could be given
    QByteArray text(begin, int(end - begin));
    if (decimalComma)
        text.replace(',', '.');
    return parseAnyNumber(text);
}

qint64 CsvField::maxLength()
{
    // UTF-8 never decodes to more UTF-16 units than it has bytes.
    return Data::maxElementCount(sizeof(QChar));
}

bool CsvField::decode(const char *begin, const char *end, QString &text)
{
    if (end - begin > maxLength())
        return false;
    // Qt's plain decoding drops a leading mark, which would merge two names
    // that differ only by it.
    static QTextCodec *const utf8 = QTextCodec::codecForName("UTF-8");
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    text = utf8->toUnicode(begin, int(end - begin), &state);
    // A sequence cut short at the field's end is held back as state; its
    // bytes are shown like any other invalid byte instead of vanishing.
    if (state.remainingChars > 0)
        text += QString(state.remainingChars, QChar::ReplacementCharacter);
    return true;
}

QString CsvField::quoted(const char *begin, const char *end)
{
    // Long enough to recognise the field, short enough for a message box.
    const int shown = 80;
    const qint64 window = std::min<qint64>(end - begin, 4 * shown);
    QString text;
    if (window == end - begin) {
        decode(begin, end, text);
    } else {
        // Complete characters only: a sequence cut by the window stays in the
        // decoder's state and is dropped, so the quote is a prefix of the
        // field as decode() would show it.
        static QTextCodec *const utf8 = QTextCodec::codecForName("UTF-8");
        QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
        text = utf8->toUnicode(begin, int(window), &state);
    }
    // A NUL or a tab would be invisible in the message: its picture is not.
    for (QChar &c : text) {
        if (c.unicode() < 0x20)
            c = QChar(0x2400 + c.unicode());
        else if (c.unicode() == 0x7F)
            c = QChar(0x2421);
    }
    if (text.size() <= shown && window == end - begin)
        return text;
    if (text.size() > shown)
        text.truncate(text.at(shown - 1).isHighSurrogate() ? shown - 1 : shown);
    return text + QChar(0x2026);
}

QString CsvField::tooLongMessage(qint64 line, qint64 length)
{
    return QCoreApplication::translate(
               "Task", "Line %1 holds a field of %2 bytes, more than the %3 a field can hold.")
        .arg(line)
        .arg(length)
        .arg(maxLength());
}
