#include "fuzz/referencereader.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QtNumeric>

namespace {

const QByteArray byteOrderMark("\xEF\xBB\xBF");
const QChar byteOrderMarkChar(0xFEFF);
// Quoted fields up to this length are shown whole, longer ones shortened.
const int quoteWhole = 60;
const int quoteShortened = 100;

QString withoutMarks(QString text)
{
    return text.remove(byteOrderMarkChar);
}

// A message shows control characters by their pictures.
QString visible(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() < 0x20)
            c = QChar(0x2400 + c.unicode());
        else if (c.unicode() == 0x7F)
            c = QChar(0x2421);
    }
    return text;
}

} // namespace

ReferenceReader::ReferenceReader(const QByteArray &bytes, const QString &fileName, int origin,
                                 qint64 valueLimit)
    : m_bytes(bytes), m_fileName(fileName), m_origin(origin), m_valueLimit(valueLimit)
{}

QVector<QByteArray> ReferenceReader::lines() const
{
    QVector<QByteArray> result;
    const int size = m_bytes.size();
    int i = 0;
    while (i < size) {
        int end = i;
        while (end < size && m_bytes.at(end) != '\n' && m_bytes.at(end) != '\r')
            ++end;
        QByteArray line = m_bytes.mid(i, end - i);
        if (line.startsWith(byteOrderMark))
            line.remove(0, byteOrderMark.size());
        // A mark alone at the very end (files joined together) is no line.
        if (line.isEmpty() && end == size)
            break;
        result.append(line);
        while (end < size && m_bytes.at(end) == '\r')
            ++end;
        if (end < size && m_bytes.at(end) == '\n')
            ++end;
        i = end;
    }
    return result;
}

QString ReferenceReader::decode(const QByteArray &field)
{
    // fromUtf8 drops a leading mark, which a field keeps; and not
    // fromUtf8(QByteArray), which stops at the first NUL.
    QString text;
    int start = 0;
    while (field.mid(start, byteOrderMark.size()) == byteOrderMark) {
        text += byteOrderMarkChar;
        start += byteOrderMark.size();
    }
    return text + QString::fromUtf8(field.constData() + start, field.size() - start);
}

bool ReferenceReader::isUtf16() const
{
    // With its mark, or without one: two characters of a zero and a
    // non-zero byte, in the same order.
    const QByteArray start = m_bytes.left(4);
    const auto zero = [&start](int i) { return start.at(i) == 0; };
    return m_bytes.startsWith("\xFF\xFE") || m_bytes.startsWith("\xFE\xFF") ||
           (start.size() == 4 && zero(0) != zero(1) && zero(0) == zero(2) && zero(1) == zero(3));
}

ReferenceReader::Result ReferenceReader::failure(const QString &message) const
{
    Result result;
    result.message = message;
    return result;
}

ReferenceReader::Result ReferenceReader::failure(const QString &prefix, const QString &quoted) const
{
    Result result = failure(prefix);
    result.quoted = quoted;
    result.suffix = QStringLiteral(".");
    return result;
}

QDateTime ReferenceReader::parseTime(const QString &field) const
{
    // The format's own shape, ASCII digits only: fromString alone also takes
    // signs and short numbers such as "2015-+1-01 10:00:00".
    static const QString shape = QStringLiteral("0000-00-00 00:00:00");
    if (field.size() != shape.size())
        return QDateTime();
    for (int i = 0; i < shape.size(); ++i) {
        const ushort c = field.at(i).unicode();
        if (shape.at(i) == QLatin1Char('0') ? (c < '0' || c > '9') : c != shape.at(i).unicode())
            return QDateTime();
    }
    QDateTime time = QDateTime::fromString(field, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    time.setTimeSpec(Qt::UTC);
    return time;
}

double ReferenceReader::parseValue(QString field) const
{
    if (m_origin == 0)
        field.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = field.toDouble(&ok);
    return ok ? value : qQNaN();
}

ReferenceReader::Result ReferenceReader::readSynchronous() const
{
    Result result = synchronous();
    result.judged = !hasDoubledMark();
    return result;
}

ReferenceReader::Result ReferenceReader::readAsynchronous() const
{
    Result result = asynchronous();
    result.judged = !hasDoubledMark();
    return result;
}

bool ReferenceReader::hasDoubledMark() const
{
    for (const QByteArray &line : lines())
        if (line.startsWith(byteOrderMark))
            return true;
    return false;
}

ReferenceReader::Result ReferenceReader::synchronous() const
{
    if (isUtf16())
        return failure(
            QStringLiteral("The file %1 is UTF-16 encoded; save it as UTF-8.").arg(m_fileName));
    const QVector<QByteArray> all = lines();
    const char separator = m_origin == 0 ? ';' : ',';
    if (all.isEmpty() || all.first().isEmpty())
        return failure(QStringLiteral("The first line of the file must contains a '%1' separated "
                                      "attributes list.")
                           .arg(QLatin1Char(separator)));
    const QList<QByteArray> header = all.first().split(separator);
    if (header.size() < 2)
        return failure(QStringLiteral("No attribute found in the first line."));
    if (all.size() < 10)
        return failure(QStringLiteral("No data found, the file contains less than 10 lines."));

    QVector<QString> names;
    for (int i = 1; i < header.size(); ++i)
        names.append(decode(header.at(i)));
    Result result;
    result.data = Data(names, 0);
    const qint64 attributes = names.size();
    QDateTime previous;
    for (int i = 10; i < all.size(); ++i) {
        const int line = i + 1;
        const QList<QByteArray> fields = all.at(i).split(separator);
        if (fields.size() != header.size())
            return failure(QStringLiteral("Line %1 doesn't contain %2 values (time included).")
                               .arg(line)
                               .arg(header.size()));
        const QDateTime time = parseTime(decode(fields.first()));
        if (!time.isValid())
            return failure(
                QStringLiteral("Line %1 doesn't contain a valid time value : ").arg(line),
                decode(fields.first()));
        if (previous.isValid() && time < previous)
            return failure(QStringLiteral("Line %1 doesn't contain a time value greater than the "
                                          "previous one (%2 < %3).")
                               .arg(line)
                               .arg(time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
                                    previous.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))));
        const qint64 times = result.data.timeCount() + 1;
        if (!Data::canHold(times, attributes) || times * attributes > m_valueLimit)
            return failure(QStringLiteral("Line %1 can't be loaded: %2 attributes at %3 times make "
                                          "%4 values, more than the %5 a table can hold.")
                               .arg(line)
                               .arg(attributes)
                               .arg(times)
                               .arg(times * attributes)
                               .arg(qMin(m_valueLimit, Data::maxValueCount())));
        double *row = result.data.addTimeStep(time);
        for (int f = 1; f < fields.size(); ++f)
            row[f - 1] = parseValue(decode(fields.at(f)));
        previous = time;
    }
    result.ok = true;
    return result;
}

ReferenceReader::Result ReferenceReader::asynchronous() const
{
    if (isUtf16())
        return failure(
            QStringLiteral("The file %1 is UTF-16 encoded; save it as UTF-8.").arg(m_fileName));
    const char separator = m_origin == 0 ? '\t' : ',';
    struct Measurement
    {
        int column;
        QDateTime time;
        QString value;
    };
    QVector<Measurement> measurements;
    QVector<QString> names;
    QHash<QString, int> columns;
    QMap<QDateTime, int> rows;
    const QVector<QByteArray> all = lines();
    for (int i = 0; i < all.size(); ++i) {
        QList<QByteArray> fields = all.at(i).split(separator);
        fields.removeAll(QByteArray());
        if (fields.size() != 3)
            return failure(m_origin == 0
                               ? QStringLiteral("Line %1 doesn't contain 3 values separated by a "
                                                "tabulation.")
                                     .arg(i + 1)
                               : QStringLiteral("Line %1 doesn't contain 3 values separated by a "
                                                "','.")
                                     .arg(i + 1));
        const QString name = decode(fields.at(0));
        const QDateTime time = parseTime(decode(fields.at(1)));
        if (!time.isValid())
            return failure(
                QStringLiteral("Line %1 doesn't contain a valid time value : ").arg(i + 1),
                decode(fields.at(1)));
        if (!columns.contains(name)) {
            columns.insert(name, names.size());
            names.append(name);
        }
        rows.insert(time, 0);
        measurements.append({columns.value(name), time, decode(fields.at(2))});
    }
    const qint64 attributes = names.size();
    const qint64 times = rows.size();
    const QString tooLarge = Data::sizeProblem(times, attributes, m_valueLimit);
    if (!tooLarge.isEmpty())
        return failure(QStringLiteral("The file can't be loaded: %1").arg(tooLarge));
    Result result;
    result.data = Data(int(times), int(attributes));
    result.data.attributes = names;
    int row = 0;
    for (auto it = rows.begin(); it != rows.end(); ++it, ++row) {
        it.value() = row;
        result.data.times[row] = it.key();
    }
    for (const Measurement &m : qAsConst(measurements))
        result.data.values[rows.value(m.time) * int(attributes) + m.column] = parseValue(m.value);
    result.ok = true;
    return result;
}

bool ReferenceReader::acceptsMessage(const QString &actual, const Result &expected)
{
    const QString text = withoutMarks(actual);
    const QString prefix = withoutMarks(expected.message);
    if (expected.quoted.isNull())
        return text == prefix;
    const QString quoted = visible(withoutMarks(expected.quoted));
    if (!text.startsWith(prefix) || !text.endsWith(expected.suffix))
        return false;
    const QString shown =
        text.mid(prefix.size(), text.size() - prefix.size() - expected.suffix.size());
    if (shown == quoted)
        return quoted.size() <= quoteShortened;
    if (quoted.size() <= quoteWhole)
        return false;
    // Shortened: a beginning of the field and an ellipsis.
    for (const QString &ellipsis : {QStringLiteral("\u2026"), QStringLiteral("...")}) {
        const QString kept = shown.left(shown.size() - ellipsis.size());
        if (shown.endsWith(ellipsis) && kept.size() >= quoteWhole / 2 &&
            kept.size() <= quoteShortened && quoted.startsWith(kept))
            return true;
    }
    return false;
}

void ReferenceReader::compare(const TaskProbe::Outcome &outcome, const Data &data,
                              const Result &expected, bool asynchronous)
{
    TaskProbe::checkDelivery(outcome);
    if (outcome.status == Task::Failed) {
        TaskProbe::require(TaskProbe::isEmpty(data),
                           QStringLiteral("partial table after a failure"));
    } else {
        TaskProbe::require(qint64(data.values.size()) ==
                               qint64(data.attributeCount()) * data.timeCount(),
                           QStringLiteral("values are not attributes x times"));
        for (int t = 0; t < data.timeCount(); ++t) {
            const QDateTime &time = data.times.at(t);
            TaskProbe::require(time.isValid() && time.timeSpec() == Qt::UTC,
                               QStringLiteral("time %1 invalid or not UTC").arg(t));
            if (t > 0)
                TaskProbe::require(asynchronous ? data.times.at(t - 1) < time
                                                : !(time < data.times.at(t - 1)),
                                   QStringLiteral("time %1 out of order").arg(t));
        }
    }
    if (!expected.judged)
        return;
    if (expected.ok) {
        TaskProbe::require(
            outcome.status == Task::Done,
            QStringLiteral("failed: \"%1\"; the reference reads it").arg(outcome.message));
        const QString difference = TaskProbe::difference(data, expected.data);
        TaskProbe::require(difference.isEmpty(), QStringLiteral("table differs: ") + difference);
        return;
    }
    TaskProbe::require(outcome.status == Task::Failed,
                       QStringLiteral("read; the reference fails with \"%1%2%3\"")
                           .arg(expected.message, expected.quoted, expected.suffix));
    TaskProbe::require(
        acceptsMessage(outcome.message, expected),
        QStringLiteral("message \"%1\"; the reference says \"%2%3%4\"")
            .arg(outcome.message, expected.message, expected.quoted, expected.suffix));
}
