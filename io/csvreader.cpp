#include "io/csvreader.h"

#include "io/csvfield.h"
#include "io/linereader.h"

#include <QCoreApplication>

bool CsvReader::fail(const QString &message)
{
    m_error = message;
    return false;
}

bool CsvReader::failRead()
{
    return fail(QCoreApplication::translate("Task", "Unable to read file %1.").arg(fileName()));
}

bool CsvReader::failTime(qint64 line, const char *begin, const char *end)
{
    return fail(
        QCoreApplication::translate("Task", "Line %1 doesn't contain a valid time value : %2.")
            .arg(line)
            .arg(CsvField::quoted(begin, end)));
}

bool CsvReader::checkEncoding(LineReader &lines)
{
    if (!lines.startsAsUtf16())
        return !lines.hasError() || failRead();
    return fail(
        QCoreApplication::translate("Task", "The file %1 is UTF-16 encoded; save it as UTF-8.")
            .arg(fileName()));
}
