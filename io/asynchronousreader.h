#ifndef VIREO_IO_ASYNCHRONOUSREADER_H
#define VIREO_IO_ASYNCHRONOUSREADER_H

#include "io/csvreader.h"

class MeasurementIndex;

// One measurement (name, time, value) per line, in any order. A first pass
// gathers the distinct names and times so that the table is allocated once
// at its final size; a second pass fills it.
class AsynchronousReader : public CsvReader
{
public:
    using CsvReader::CsvReader;

    bool read(Data &data) override;

private:
    struct Measurement;
    bool readMeasurement(const char *begin, const char *end, qint64 line, Measurement &out);
    bool indexMeasurements(LineReader &lines, MeasurementIndex &index, qint64 &lineCount);
    bool allocateTable(const MeasurementIndex &index, Data &data);
    bool fillTable(LineReader &lines, const MeasurementIndex &index, qint64 lineCount, Data &data);
    bool failChanged();
    bool parseTime(const char *begin, const char *end, qint64 &key);

    // Lines come grouped by time: the last time read is not parsed again.
    // A valid time is 19 bytes long.
    char m_lastTimeText[19] = {};
    qint64 m_lastTimeKey = -1;
};

#endif // VIREO_IO_ASYNCHRONOUSREADER_H
