#ifndef VIREO_IO_SYNCHRONOUSREADER_H
#define VIREO_IO_SYNCHRONOUSREADER_H

#include "io/csvreader.h"

// One row per time stamp: a header of attribute names, nine reserved lines,
// then the rows, read in one pass.
class SynchronousReader : public CsvReader
{
public:
    using CsvReader::CsvReader;

    bool read(Data &data) override;

private:
    bool readHeader(LineReader &lines, QVector<QString> &names);
    bool skipReservedLines(LineReader &lines);
    bool readRows(LineReader &lines, Data &data);
    bool readRow(const char *begin, const char *end, qint64 line, qint64 &previousKey, Data &data);
    void reserveRows(Data &data, qint64 expectedRows) const;
};

#endif // VIREO_IO_SYNCHRONOUSREADER_H
