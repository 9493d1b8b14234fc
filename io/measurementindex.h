#ifndef VIREO_IO_MEASUREMENTINDEX_H
#define VIREO_IO_MEASUREMENTINDEX_H

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVector>

#include <vector>

// The distinct attribute names and times of an asynchronous file, gathered
// in a first pass so that the table is allocated once at its final size.
// Columns follow the order in which names first appear in the file, so a
// file always loads with the same column order.
class MeasurementIndex
{
public:
    // Column of the name written as [begin, end), added if new. Names are
    // UTF-8; spellings that decode alike share one.
    int addName(const char *begin, const char *end);
    // Column of a known name, -1 otherwise.
    int column(const char *begin, const char *end) const;

    // Times are keys in seconds that sort like the times themselves.
    void addTime(qint64 key);
    // Orders the distinct times; call once every time has been added.
    void sortTimes();
    // Row of a known time after sortTimes(), -1 otherwise.
    int row(qint64 key) const;

    qint64 attributeCount() const { return m_names.size(); }
    qint64 timeCount() const { return qint64(m_times.size()); }
    const QVector<QString> &names() const { return m_names; }
    const std::vector<qint64> &times() const { return m_times; }

private:
    QHash<QByteArray, int> m_columnOfBytes;
    mutable QByteArray m_lookupKey; // not shared between threads
    QHash<QString, int> m_columnOfName;
    QVector<QString> m_names;
    // Unsorted keys with repeats until sortTimes(); compacted whenever they
    // double, so memory stays near eight bytes per distinct time.
    std::vector<qint64> m_times;
    size_t m_compactAt = 1 << 16;
    qint64 m_lastTime = -1;
};

#endif // VIREO_IO_MEASUREMENTINDEX_H
