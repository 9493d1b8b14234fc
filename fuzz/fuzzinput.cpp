#include "fuzz/fuzzinput.h"

#include <QTextCodec>
#include <QtNumeric>

#include <cstring>
#include <limits>

quint8 FuzzInput::byte()
{
    return m_pos < m_size ? m_bytes[m_pos++] : 0;
}

quint64 FuzzInput::bits(int count)
{
    quint64 result = 0;
    for (int i = 0; i < count; i += 8)
        result |= quint64(byte()) << i;
    return count >= 64 ? result : result & ((quint64(1) << count) - 1);
}

double FuzzInput::value()
{
    const quint8 kind = byte();
    switch (kind % 16) {
    case 0:
        return qQNaN();
    case 1:
        return qInf();
    case 2:
        return -qInf();
    case 3:
        return 0.0;
    case 4:
        return -0.0;
    case 5:
        return std::numeric_limits<double>::denorm_min() * double(byte());
    case 6:
        return std::numeric_limits<double>::max() * (kind & 16 ? -1.0 : 1.0);
    case 7:
        return std::numeric_limits<double>::min() * double(byte());
    case 8: {
        const quint64 raw = bits(64);
        double x;
        std::memcpy(&x, &raw, sizeof x);
        return x;
    }
    case 9:
        return double(qint16(bits(16))) / 100.0;
    case 10:
        return double(qint32(bits(32))) * 1e-3;
    default:
        return double(qint8(byte()));
    }
}

QString FuzzInput::name()
{
    const quint8 shape = byte();
    const int length = shape % 8;
    // Often enough to be found, a name that starts with a byte order mark.
    QByteArray bytes = shape & 0x80 ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    for (int i = 0; i < length; ++i)
        bytes.append(char(byte()));
    // Not QString::fromUtf8, which drops a leading byte order mark.
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    return QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData(), bytes.size(), &state);
}

Data FuzzInput::data(int maxAttributes, int maxTimes, const QDateTime &base, qint64 maxStart)
{
    const int attributes = byte() % (maxAttributes + 1);
    const int times = byte() % (maxTimes + 1);
    QVector<QString> names;
    for (int a = 0; a < attributes; ++a)
        names.append(QStringLiteral("a%1").arg(a));
    Data data(names, times);
    QDateTime time = base.addSecs(qint64(bits(40) % quint64(maxStart + 1)));
    static const qint64 steps[] = {0, 1, 2, 3, 7, 60, 3599, 86400};
    for (int t = 0; t < times; ++t) {
        const quint8 choice = byte();
        time = time.addSecs(choice < 200 ? steps[choice % 8] : qint64(bits(24)));
        data.times[t] = time;
    }
    for (double &x : data.values)
        x = value();
    return data;
}
