#ifndef VIREO_IO_FILEREADER_H
#define VIREO_IO_FILEREADER_H

#include "core/data.h"
#include "core/task.h"

#include <QString>

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
    // Bytes read at once; tests make it small so that reads end inside
    // every kind of field.
    void setBlockSize(qint64 bytes) { m_blockSize = bytes; }

private:
    QString m_fileName;
    int m_readMode;
    int m_origin;
    qint64 m_valueLimit = Data::maxValueCount();
    qint64 m_blockSize = 0;
};

#endif // VIREO_IO_FILEREADER_H
