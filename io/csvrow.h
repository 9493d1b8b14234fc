#ifndef VIREO_IO_CSVROW_H
#define VIREO_IO_CSVROW_H

#include <QtGlobal>

// The numbers of one row of a synchronous file, read in batches: where the
// fields end is found first, then the fields are read several at a time,
// with the processor's vector unit where it has one. Each field gets the
// value CsvField::parseValue gives it, bit for bit.
class CsvRow
{
public:
    // Every field of [begin, end), separated by separator, into values;
    // `readable` ends the memory that may be read, at or after end (the
    // bytes between are anything). Returns how many fields there are,
    // stopping at count + 1: only that many values are written.
    static qint64 parseValues(const char *begin, const char *end, const char *readable,
                              char separator, bool decimalComma, double *values, qint64 count);

    // Whether the vector path is taken where the processor has it; off
    // makes every machine read as one without it. Returns the old setting.
    static bool setVectorized(bool on);
    static bool vectorized();
};

#endif // VIREO_IO_CSVROW_H
