#include "io/csvrow.h"

#include "io/csvfield.h"

#include <QtEndian>

#include <atomic>
#include <cstring>
#include <limits>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define VIREO_CSVROW_AVX2 1
#endif

namespace {

constexpr double powersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7};
constexpr double missing = std::numeric_limits<double>::quiet_NaN();
// Field starts found per batch; more would only make the batch leave the cache.
constexpr int batch = 128;

std::atomic<bool> vectorOn{true};

quint64 load(const char *text)
{
    quint64 bytes;
    std::memcpy(&bytes, text, sizeof bytes);
    return qFromLittleEndian(bytes);
}

// The bytes of the eight that equal c, as the high bit of each; exact, as
// no byte carries into the next.
quint64 bytesEqual(quint64 bytes, char c)
{
    const quint64 x = bytes ^ (0x0101010101010101ull * static_cast<unsigned char>(c));
    const quint64 low = 0x7F7F7F7F7F7F7F7Full;
    return ~(((x & low) + low) | x | low);
}

// The value of eight digits 0..9, one per byte, the first the most significant.
quint64 eightDigits(quint64 digits)
{
    digits = digits * 10 + (digits >> 8);
    const quint64 mask = 0x000000FF000000FFull;
    return quint32(((digits & mask) * 0x000F424000000064ull +
                    ((digits >> 16) & mask) * 0x0000271000000001ull) >>
                   32);
}

// A field of at most eight bytes after its sign, "-ddd.ddd" or "-dddd", read
// as one word with the point taken out: an integer below 10^8 over an exact
// power of ten is one correctly rounded division, the double parseValue
// gives. Sixteen bytes from begin must be readable.
bool parseEightBytes(const char *begin, const char *end, char point, double &value)
{
    const bool negative = *begin == '-';
    const char *p = begin + negative;
    const qint64 length = end - p;
    if (length < 1 || length > 8)
        return false;
    // Digits become 0..9, the field moves to the top of the word and zeros,
    // leading zero digits, fill the bytes below it.
    const quint64 field = (load(p) ^ 0x3030303030303030ull) << (8 * (8 - length));
    const quint64 points = bytesEqual(field, char(point ^ 0x30));
    quint64 digits = field;
    int decimals = 0;
    if (points != 0) {
        const int at = qCountTrailingZeroBits(points) / 8;
        decimals = 7 - at;
        if (decimals == 0 || decimals > length - 2)
            return false; // "1." or ".5": the general parser's
        // The bytes below the point move up over it.
        const quint64 below = (quint64(1) << (8 * at)) - 1;
        digits = ((field & below) << 8) | (field & ~((below << 8) | 0xFF));
    }
    if ((((digits + 0x7676767676767676ull) | digits) & 0x8080808080808080ull) != 0)
        return false; // a byte that is no digit
    const double magnitude = double(eightDigits(digits)) / powersOfTen[decimals];
    value = negative ? -magnitude : magnitude;
    return true;
}

void parseOne(const char *begin, const char *end, const char *readable, char point,
              bool decimalComma, double &value)
{
    if (begin == end)
        value = missing;
    else if (readable - begin < 16 || !parseEightBytes(begin, end, point, value))
        value = CsvField::parseValue(begin, end, decimalComma);
}

// Field k of a batch is [starts[k], starts[k + 1] - 1): each start follows a
// separator, and the last field's end is given as end + 1.
qint64 parsePortable(const char *begin, const char *end, const char *readable, char separator,
                     bool decimalComma, double *values, qint64 count)
{
    const char point = decimalComma ? ',' : '.';
    const char *starts[batch + 10];
    qint64 fields = 0;
    const char *p = begin;
    starts[0] = begin;
    for (;;) {
        int found = 0;
        while (found < batch && p < end) {
            if (readable - p < 8) {
                if (*p == separator)
                    starts[1 + found++] = p + 1;
                ++p;
                continue;
            }
            quint64 bits = bytesEqual(load(p), separator);
            if (end - p < 8)
                bits &= (quint64(1) << (8 * (end - p))) - 1;
            // As many as found, without a branch per separator.
            const int n = int(((bits >> 7) * 0x0101010101010101ull) >> 56);
            const char **out = starts + 1 + found;
            out[0] = p + 1 + qCountTrailingZeroBits(bits) / 8;
            bits &= bits - 1;
            out[1] = p + 1 + qCountTrailingZeroBits(bits) / 8;
            for (int i = 2; i < n; ++i) {
                bits &= bits - 1;
                out[i] = p + 1 + qCountTrailingZeroBits(bits) / 8;
            }
            found += n;
            p += 8;
        }
        const bool last = p >= end;
        if (last)
            starts[1 + found++] = end + 1;
        if (fields + found > count)
            return count + 1;
        for (int i = 0; i < found; ++i)
            parseOne(starts[i], starts[i + 1] - 1, readable, point, decimalComma,
                     values[fields + i]);
        fields += found;
        if (last)
            return fields;
        starts[0] = starts[found];
    }
}

#ifdef VIREO_CSVROW_AVX2

// Four fields [starts[k], starts[k + 1] - 1) at once, as parseEightBytes
// reads them, sixteen bytes from each start being readable; the fields it
// cannot read are left to parseOne.
__attribute__((target("avx2"))) void parseFour(const char *const *starts, char point,
                                               bool decimalComma, double *values)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i one = _mm256_set1_epi64x(1);
    const __m256i ones = _mm256_set1_epi64x(-1);
    // Sixteen bytes of each field, moved into one vector without a trip
    // through memory: four stores read back as one vector would make every
    // batch of four wait for the one before to end.
    const auto bytes = [starts](int k) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i *>(starts[k]));
    };
    const __m128i b0 = bytes(0), b1 = bytes(1), b2 = bytes(2), b3 = bytes(3);
    const __m256i first = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_unpacklo_epi64(b0, b1)), _mm_unpacklo_epi64(b2, b3), 1);
    const __m256i second = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_unpacklo_epi64(_mm_srli_si128(b0, 1), _mm_srli_si128(b1, 1))),
        _mm_unpacklo_epi64(_mm_srli_si128(b2, 1), _mm_srli_si128(b3, 1)), 1);
    // All ones where the field starts with a minus sign: its number follows.
    const __m256i negative = _mm256_cmpeq_epi64(_mm256_and_si256(first, _mm256_set1_epi64x(0xFF)),
                                                _mm256_set1_epi64x('-'));
    const __m256i minus = _mm256_and_si256(negative, one);
    const __m256i begin =
        _mm256_add_epi64(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(starts)), minus);
    const __m256i end =
        _mm256_sub_epi64(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(starts + 1)), one);
    const __m256i length = _mm256_sub_epi64(end, begin);
    // Shifts of 64 bits or more (lengths outside 1..8) give zero.
    const __m256i shift = _mm256_sub_epi64(_mm256_set1_epi64x(64), _mm256_slli_epi64(length, 3));
    const __m256i field = _mm256_sllv_epi64(
        _mm256_xor_si256(_mm256_blendv_epi8(first, second, negative), _mm256_set1_epi8(0x30)),
        shift);
    const __m256i points = _mm256_cmpeq_epi8(field, _mm256_set1_epi8(char(point ^ 0x30)));
    const __m256i lowest = _mm256_and_si256(points, _mm256_sub_epi64(zero, points));
    const __m256i hasPoint = _mm256_xor_si256(_mm256_cmpeq_epi64(lowest, zero), ones);
    const __m256i below = _mm256_sub_epi64(lowest, one);
    const __m256i upTo = _mm256_or_si256(_mm256_slli_epi64(below, 8), _mm256_set1_epi64x(0xFF));
    const __m256i moved = _mm256_or_si256(_mm256_slli_epi64(_mm256_and_si256(field, below), 8),
                                          _mm256_andnot_si256(upTo, field));
    const __m256i digits = _mm256_blendv_epi8(field, moved, hasPoint);
    const __m256i at = _mm256_sad_epu8(_mm256_and_si256(below, _mm256_set1_epi8(1)), zero);
    const __m256i decimals =
        _mm256_and_si256(_mm256_sub_epi64(_mm256_set1_epi64x(7), at), hasPoint);

    const __m256i rightLength = _mm256_and_si256(_mm256_cmpgt_epi64(length, zero),
                                                 _mm256_cmpgt_epi64(_mm256_set1_epi64x(9), length));
    const __m256i allDigits = _mm256_cmpeq_epi64(
        _mm256_and_si256(_mm256_or_si256(_mm256_add_epi8(digits, _mm256_set1_epi8(0x76)), digits),
                         _mm256_set1_epi8(char(0x80))),
        zero);
    const __m256i rightPoint = _mm256_or_si256(
        _mm256_xor_si256(hasPoint, ones),
        _mm256_and_si256(_mm256_cmpgt_epi64(decimals, zero),
                         _mm256_cmpgt_epi64(_mm256_sub_epi64(length, one), decimals)));
    const __m256i empty =
        _mm256_andnot_si256(minus, _mm256_cmpeq_epi64(length, zero)); // no sign, no byte
    const __m256i read = _mm256_and_si256(_mm256_and_si256(rightLength, allDigits), rightPoint);

    // Pairs, then fours, then eights of digits.
    const __m256i pairs = _mm256_maddubs_epi16(digits, _mm256_set1_epi16(0x010A));
    const __m256i fours = _mm256_madd_epi16(pairs, _mm256_set1_epi32(0x00010064));
    const __m256i eights = _mm256_add_epi64(_mm256_mul_epu32(fours, _mm256_set1_epi64x(10000)),
                                            _mm256_srli_epi64(fours, 32));
    // Both below 2^31: converted from their low halves. The powers of ten up
    // to 10^7 are exact as floats.
    const __m256i halves = _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6);
    const __m256d mantissa =
        _mm256_cvtepi32_pd(_mm256_castsi256_si128(_mm256_permutevar8x32_epi32(eights, halves)));
    const __m256 powers = _mm256_setr_ps(1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f);
    const __m256d divisor = _mm256_cvtps_pd(_mm256_castps256_ps128(
        _mm256_permutevar8x32_ps(powers, _mm256_permutevar8x32_epi32(decimals, halves))));
    __m256d value = _mm256_div_pd(mantissa, divisor);
    value = _mm256_xor_pd(value, _mm256_castsi256_pd(_mm256_slli_epi64(minus, 63)));
    value = _mm256_blendv_pd(value, _mm256_set1_pd(missing), _mm256_castsi256_pd(empty));
    _mm256_storeu_pd(values, value);

    const int done = _mm256_movemask_pd(_mm256_castsi256_pd(_mm256_or_si256(read, empty)));
    if (done != 0xF) {
        for (int k = 0; k < 4; ++k) {
            if (!(done & (1 << k)))
                values[k] = CsvField::parseValue(starts[k], starts[k + 1] - 1, decimalComma);
        }
    }
}

__attribute__((target("avx2,bmi,popcnt"))) qint64 parseAvx2(const char *begin, const char *end,
                                                            const char *readable, char separator,
                                                            bool decimalComma, double *values,
                                                            qint64 count)
{
    const char point = decimalComma ? ',' : '.';
    const __m256i separators = _mm256_set1_epi8(separator);
    const char *starts[batch + 72];
    qint64 fields = 0;
    const char *p = begin;
    starts[0] = begin;
    for (;;) {
        int found = 0;
        while (found < batch && p < end) {
            if (readable - p < 64) {
                if (*p == separator)
                    starts[1 + found++] = p + 1;
                ++p;
                continue;
            }
            const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
            const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + 32));
            quint64 bits =
                quint32(_mm256_movemask_epi8(_mm256_cmpeq_epi8(low, separators))) |
                quint64(quint32(_mm256_movemask_epi8(_mm256_cmpeq_epi8(high, separators)))) << 32;
            if (end - p < 64)
                bits &= (quint64(1) << (end - p)) - 1;
            // Ten without a branch: a typical 64 bytes hold eight or nine.
            const int n = int(_mm_popcnt_u64(bits));
            const char **out = starts + 1 + found;
            const char *next = p + 1;
            for (int i = 0; i < 10; ++i) {
                out[i] = next + _tzcnt_u64(bits);
                bits = _blsr_u64(bits);
            }
            for (int i = 10; i < n; ++i) {
                out[i] = next + _tzcnt_u64(bits);
                bits = _blsr_u64(bits);
            }
            found += n;
            p += 64;
        }
        const bool last = p >= end;
        if (last)
            starts[1 + found++] = end + 1;
        if (fields + found > count)
            return count + 1;
        int i = 0;
        for (; i + 4 <= found && readable - starts[i + 4] >= 16; i += 4)
            parseFour(starts + i, point, decimalComma, values + fields + i);
        for (; i < found; ++i)
            parseOne(starts[i], starts[i + 1] - 1, readable, point, decimalComma,
                     values[fields + i]);
        fields += found;
        if (last)
            return fields;
        starts[0] = starts[found];
    }
}

bool hasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
                            __builtin_cpu_supports("popcnt");
    return has;
}

#endif

} // namespace

qint64 CsvRow::parseValues(const char *begin, const char *end, const char *readable, char separator,
                           bool decimalComma, double *values, qint64 count)
{
#ifdef VIREO_CSVROW_AVX2
    if (hasAvx2() && vectorOn.load(std::memory_order_relaxed))
        return parseAvx2(begin, end, readable, separator, decimalComma, values, count);
#endif
    return parsePortable(begin, end, readable, separator, decimalComma, values, count);
}

bool CsvRow::setVectorized(bool on)
{
    return vectorOn.exchange(on);
}

bool CsvRow::vectorized()
{
#ifdef VIREO_CSVROW_AVX2
    return hasAvx2() && vectorOn.load();
#else
    return false;
#endif
}
