#include "io/csvdialect.h"

#include <QCoreApplication>

CsvDialect::CsvDialect(int readMode, int origin)
    : m_synchronous(readMode != 1), m_decimalComma(origin == French),
      m_separator(origin != French ? ','
                  : m_synchronous  ? ';'
                                   : '\t')
{}

QString CsvDialect::missingHeaderMessage() const
{
    return m_decimalComma
               ? QCoreApplication::translate(
                     "Task", "The first line of the file must contains a ';' separated attributes "
                             "list.")
               : QCoreApplication::translate(
                     "Task", "The first line of the file must contains a ',' separated attributes "
                             "list.");
}

QString CsvDialect::fieldCountMessage(qint64 line) const
{
    return (m_decimalComma
                ? QCoreApplication::translate(
                      "Task", "Line %1 doesn't contain 3 values separated by a tabulation.")
                : QCoreApplication::translate(
                      "Task", "Line %1 doesn't contain 3 values separated by a ','."))
        .arg(line);
}
