#ifndef VIREO_IO_SYNCHRONOUSREADER_H
#define VIREO_IO_SYNCHRONOUSREADER_H

#include "io/csvreader.h"

// One row per time stamp: a header of attribute names, nine reserved lines,
// then the rows, read in one pass. The rows come in blocks of whole lines,
// each cut into pieces that the threads parse straight into their rows of the
// table; the first failing line of the file is the one reported.
class SynchronousReader : public CsvReader
{
public:
    using CsvReader::CsvReader;

    bool read(Data &data) override;

private:
    struct Piece;
    struct Block;
    struct Table;

    bool readHeader(LineReader &lines, QVector<QString> &names);
    bool skipReservedLines(LineReader &lines);
    bool readRows(LineReader &lines, Data &data);
    QVector<Piece> cut(const char *begin, const char *end, qint64 blockBytes) const;
    static qint64 expectedRows(const Block &first, qint64 fileSize, qint64 headerSize);
    void makeRoom(Data &data, qint64 rows, qint64 expectedRows) const;
    void parse(Piece &piece, const Table &table) const;
    bool readRow(const char *begin, const char *end, qint64 row, Piece &piece,
                 const Table &table) const;
    bool firstFailure(const QVector<Piece> &pieces, qint64 &previousKey);
};

#endif // VIREO_IO_SYNCHRONOUSREADER_H
