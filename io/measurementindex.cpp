#include "io/measurementindex.h"

#include "io/csvfield.h"

#include <algorithm>

int MeasurementIndex::addName(const char *begin, const char *end)
{
    const int found = column(begin, end);
    if (found >= 0)
        return found;
    const int length = int(end - begin); // callers keep names below CsvField::maxLength()
    QString name;
    CsvField::decode(begin, end, name);
    int result = m_columnOfName.value(name, -1);
    if (result < 0) {
        result = m_names.size();
        m_columnOfName.insert(name, result);
        m_names.append(name);
    }
    m_columnOfBytes.insert(QByteArray(begin, length), result); // a deep copy: begin is transient
    return result;
}

int MeasurementIndex::column(const char *begin, const char *end) const
{
    // One raw-data key reused for every lookup: Qt 5's fromRawData allocates a
    // header each time, one per line of the file.
    m_lookupKey.setRawData(begin, uint(end - begin));
    return m_columnOfBytes.value(m_lookupKey, -1);
}

void MeasurementIndex::addTime(qint64 key)
{
    // Consecutive lines often share a time.
    if (key == m_lastTime)
        return;
    m_lastTime = key;
    m_times.push_back(key);
    if (m_times.size() >= m_compactAt) {
        sortTimes();
        m_compactAt = std::max(m_compactAt, 2 * m_times.size());
    }
}

void MeasurementIndex::sortTimes()
{
    std::sort(m_times.begin(), m_times.end());
    m_times.erase(std::unique(m_times.begin(), m_times.end()), m_times.end());
}

int MeasurementIndex::row(qint64 key) const
{
    const auto found = std::lower_bound(m_times.cbegin(), m_times.cend(), key);
    if (found == m_times.cend() || *found != key)
        return -1;
    return int(found - m_times.cbegin());
}
