#ifndef VIREO_IO_CSVDIALECT_H
#define VIREO_IO_CSVDIALECT_H

#include <QString>

// What the user's choice of layout and origin means for reading: decided
// once, then asked by the readers.
class CsvDialect
{
public:
    enum Origin
    {
        French = 0,
        International = 1
    };

    // readMode 1 is the asynchronous layout, anything else the synchronous one.
    CsvDialect(int readMode, int origin);

    bool isSynchronous() const { return m_synchronous; }
    char separator() const { return m_separator; }
    bool hasDecimalComma() const { return m_decimalComma; }

    // Synchronous layout: the header line is empty or absent.
    QString missingHeaderMessage() const;
    // Asynchronous layout: a line without exactly three non-empty fields.
    QString fieldCountMessage(qint64 line) const;

private:
    bool m_synchronous;
    bool m_decimalComma;
    char m_separator;
};

#endif // VIREO_IO_CSVDIALECT_H
