#ifndef VIREO_FUZZ_FUZZINPUT_H
#define VIREO_FUZZ_FUZZINPUT_H

#include "core/data.h"

#include <QtGlobal>

#include <cstddef>
#include <cstdint>

// Takes choices from the fuzzer's bytes; past their end every choice is 0,
// so any input, even an empty one, describes something.
class FuzzInput
{
public:
    FuzzInput(const uint8_t *bytes, size_t size) : m_bytes(bytes), m_size(size) {}

    quint8 byte();
    quint64 bits(int count);
    // A value from a palette of the awkward ones (NaN, infinities, signed
    // zeros, subnormals, extremes), small round numbers and raw doubles.
    double value();
    // Attribute and time counts below the bounds, times from one base with
    // increments of zero upwards (so never decreasing), values as above.
    Data data(int maxAttributes, int maxTimes, const QDateTime &base, qint64 maxStart);
    QString name();

private:
    const uint8_t *m_bytes;
    size_t m_size;
    size_t m_pos = 0;
};

#endif // VIREO_FUZZ_FUZZINPUT_H
