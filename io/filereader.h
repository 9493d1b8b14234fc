#ifndef VIREO_IO_FILEREADER_H
#define VIREO_IO_FILEREADER_H

#include "core/data.h"
#include "core/task.h"

#include <QDateTime>
#include <QString>

class LineReader;
class MeasurementIndex;
class QFile;

// Reads a CSV file into a Data on a pool thread. readMode 0 is the synchronous
// layout (one row per time stamp), 1 the asynchronous one (one row per
// measurement); origin 0 is the French dialect, 1 the International one.
class FileReader : public TypedTask<Data>
{
public:
    FileReader(const QString &fileName, int readMode, int origin);

    void run() override;

    static QString modeName(int mode);
    QString fileName() const { return m_fileName; }

    // Largest number of values the result may hold; lowered by tests, which
    // cannot afford files of gigabytes.
    void setValueLimit(qint64 limit) { m_valueLimit = limit; }

    // "yyyy-MM-dd hh:mm:ss" taken as a UTC clock time, whatever the machine's
    // time zone; an invalid QDateTime for anything else.
    static QDateTime parseTime(const char *begin, const char *end);
    // The field as QString::toDouble reads it (after ',' -> '.' with a decimal
    // comma); NaN when it does not convert.
    static double parseValue(const char *begin, const char *end, bool decimalComma);

private:
    void readSynchronous();
    void readAsynchronous();

    // Each returns false once the task has failed or disposed of itself.
    bool open(QFile &file);
    bool readHeader(LineReader &lines, QVector<QString> &names);
    bool skipReservedLines(LineReader &lines);
    bool readRows(LineReader &lines, qint64 fileSize, Data &data);
    bool readRow(const char *begin, const char *end, qint64 line, qint64 &previousKey, Data &data);
    void reserveRows(Data &data, qint64 expectedRows);
    bool failRead();
    bool stopIfRequested();

    struct Measurement;
    bool readMeasurement(const char *begin, const char *end, qint64 line, Measurement &out);
    bool indexMeasurements(LineReader &lines, MeasurementIndex &index, qint64 &lineCount);
    bool allocateTable(const MeasurementIndex &index, Data &data);
    bool fillTable(LineReader &lines, const MeasurementIndex &index, qint64 lineCount, Data &data);
    bool failChanged();

    QString m_fileName;
    int m_readMode;
    int m_origin;
    qint64 m_valueLimit = Data::maxValueCount();
};

#endif // VIREO_IO_FILEREADER_H
