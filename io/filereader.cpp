#include "io/filereader.h"

FileReader::FileReader(const QString &fileName, int readMode, int origin)
    : m_fileName(fileName)
    , m_readMode(readMode)
    , m_origin(origin)
{
}

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
    if (m_readMode == 1)
        readAsynchronous();
    else
        readSynchronous();
}

void FileReader::readSynchronous()
{
    fail(Task::tr("Unable to open file %1.").arg(m_fileName)); // reading lands next
}

void FileReader::readAsynchronous()
{
    fail(Task::tr("Unable to open file %1.").arg(m_fileName)); // reading lands with the asynchronous layout
}
