#ifndef VIREO_IO_CSVFIELD_H
#define VIREO_IO_CSVFIELD_H

#include <QDateTime>
#include <QString>

// Turns the raw bytes [begin, end) of one CSV field into what it means.
// Fields are UTF-8; nothing depends on the machine's locale or time zone.
class CsvField
{
public:
    // "yyyy-MM-dd hh:mm:ss" as seconds on a scale that orders UTC clock
    // times; false for anything else.
    static bool parseTimeKey(const char *begin, const char *end, qint64 &key);
    static QDateTime timeOfKey(qint64 key);
    // The same text taken as a UTC clock time; an invalid QDateTime otherwise.
    static QDateTime parseTime(const char *begin, const char *end);
    // The field as QString::toDouble reads it (after ',' -> '.' with a decimal
    // comma); NaN when it does not convert.
    static double parseValue(const char *begin, const char *end, bool decimalComma);

    // Longest field, in bytes, that a QString can take.
    static qint64 maxLength();
    // The field's text, a leading byte order mark kept; false when the field
    // is longer than maxLength().
    static bool decode(const char *begin, const char *end, QString &text);
    // At most about 80 characters of the field, for a message, control
    // characters shown by their pictures.
    static QString quoted(const char *begin, const char *end);
    // Why a field cannot be read, for the failure of the given line.
    static QString tooLongMessage(qint64 line, qint64 length);
};

#endif // VIREO_IO_CSVFIELD_H
