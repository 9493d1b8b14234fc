#include "io/filereader.h"

#include "io/asynchronousreader.h"
#include "io/synchronousreader.h"

#include <QFile>

#include <memory>

FileReader::FileReader(const QString &fileName, int readMode, int origin)
    : m_fileName(fileName), m_readMode(readMode), m_origin(origin)
{}

QString FileReader::modeName(int mode)
{
    switch (mode) {
    case 0:
        return Task::tr("synchrone");
    case 1:
        return Task::tr("asynchrone");
    default:
        return Task::tr("unknown");
    }
}

void FileReader::run()
{
    QFile file(m_fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        fail(Task::tr("Unable to open file %1.").arg(m_fileName));
        return;
    }
    const CsvReader::Source source{&file,
                                   m_fileName,
                                   CsvDialect(m_readMode, m_origin),
                                   m_valueLimit,
                                   [this](int p) { return checkpoint(p); },
                                   m_blockSize};
    Data data;
    bool read = false;
    QString error;
    const bool enoughMemory = withinMemory([&] {
        std::unique_ptr<CsvReader> reader;
        if (source.dialect.isSynchronous())
            reader = std::make_unique<SynchronousReader>(source);
        else
            reader = std::make_unique<AsynchronousReader>(source);
        read = reader->read(data);
        error = reader->error();
    });
    // A reader stopped without an error has disposed of this task.
    if (!enoughMemory)
        fail(Task::tr("Not enough memory to load file %1.").arg(m_fileName));
    else if (read)
        succeed(data);
    else if (!error.isEmpty())
        fail(error);
}
