#ifndef VIREO_IO_CSVREADER_H
#define VIREO_IO_CSVREADER_H

#include "core/data.h"
#include "io/csvdialect.h"

#include <QString>

#include <functional>

class LineReader;
class QIODevice;

// What both layouts' readers share: the device, the dialect, the limits, the
// way to report progress and the reason of a failure. A reader knows no task:
// progress goes through a checkpoint that answers false once reading must
// stop at once.
class CsvReader
{
public:
    using Checkpoint = std::function<bool(int percentage)>;

    struct Source
    {
        QIODevice *device;
        QString fileName;
        CsvDialect dialect;
        qint64 valueLimit;
        Checkpoint checkpoint;
        // Bytes read at once, 0 for the reader's own choice; tests make it
        // small so that reads end inside every kind of field.
        qint64 blockSize = 0;
    };

    explicit CsvReader(const Source &source) : m_source(source) {}
    virtual ~CsvReader() = default;

    // The table; false when reading failed (error() says why) or was
    // stopped (error() is empty).
    virtual bool read(Data &data) = 0;
    QString error() const { return m_error; }

protected:
    const CsvDialect &dialect() const { return m_source.dialect; }
    QIODevice *device() const { return m_source.device; }
    QString fileName() const { return m_source.fileName; }
    qint64 valueLimit() const { return m_source.valueLimit; }
    qint64 blockSize() const { return m_source.blockSize; }
    bool checkpoint(int percentage) const { return m_source.checkpoint(percentage); }

    // Each returns false, for the caller to return.
    bool fail(const QString &message);
    bool failRead();
    bool failTime(qint64 line, const char *begin, const char *end);
    // Refuses UTF-16 before it is taken for garbled lines.
    bool checkEncoding(LineReader &lines);

private:
    Source m_source;
    QString m_error;
};

#endif // VIREO_IO_CSVREADER_H
