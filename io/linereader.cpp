#include "io/linereader.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>

namespace {

// Position of the first c in [from, end) of buffer, or end. cache remembers
// either a found position or how far a fruitless scan went, so a later call
// never scans the same bytes twice.
size_t scanFor(const char *buffer, size_t &cache, size_t from, size_t end, char c)
{
    const size_t start = std::max(cache, from);
    if (start < end && buffer[start] == c) {
        cache = start;
        return start;
    }
    const void *hit = start < end ? std::memchr(buffer + start, c, end - start) : nullptr;
    cache = hit ? size_t(static_cast<const char *>(hit) - buffer) : end;
    return cache;
}

} // namespace

LineReader::LineReader(QIODevice *device, qint64 blockSize)
    : m_device(device), m_blockSize(std::max<qint64>(blockSize, 1))
{}

LineReader::LineReader(const char *begin, const char *end)
    : m_device(nullptr), m_blockSize(0), m_text(begin), m_end(size_t(end - begin)), m_atEnd(true)
{}

bool LineReader::readLine(const char *&begin, const char *&end)
{
    if (m_lineStart && !skipMark())
        return false;
    for (;;) {
        const size_t lineEnd = findLineEnd();
        if (lineEnd == m_end && !m_atEnd) {
            if (!refill())
                return false;
            continue;
        }
        if (lineEnd == m_end && m_begin == m_end)
            return false; // end of the device, nothing left
        size_t next = std::min(lineEnd + 1, m_end);
        if (lineEnd < m_end && m_text[lineEnd] == '\r') {
            while (next < m_end && m_text[next] == '\r')
                ++next;
            // The run of CRs may go on, or end in an LF, past the buffer.
            if (next == m_end && !m_atEnd) {
                if (!refill())
                    return false;
                continue;
            }
            if (next < m_end && m_text[next] == '\n')
                ++next;
        }
        begin = m_text + m_begin;
        end = m_text + lineEnd;
        m_consumed += qint64(next - m_begin);
        m_begin = next;
        m_lineStart = true;
        return true;
    }
}

bool LineReader::startsAsUtf16()
{
    if (!fill(4))
        return false;
    const size_t left = m_end - m_begin;
    const unsigned char *start = reinterpret_cast<const unsigned char *>(m_text) + m_begin;
    const bool mark = left >= 2 && ((start[0] == 0xFF && start[1] == 0xFE) ||
                                    (start[0] == 0xFE && start[1] == 0xFF));
    const auto zero = [start](int i) { return start[i] == 0; };
    const bool unmarked =
        left >= 4 && zero(0) != zero(1) && zero(0) == zero(2) && zero(1) == zero(3);
    return mark || unmarked;
}

bool LineReader::readLines(qint64 wanted, const char *&begin, const char *&end)
{
    size_t bytes = size_t(std::max<qint64>(wanted, 1));
    switchBuffers();
    for (;;) {
        if (!fill(bytes))
            return false;
        if (m_begin == m_end)
            return false;
        const size_t cut = m_atEnd ? m_end : lastLineStart();
        if (cut > m_begin) {
            begin = m_text + m_begin;
            end = m_text + cut;
            m_consumed += qint64(cut - m_begin);
            m_begin = cut;
            m_nextLf = m_nextCr = cut;
            m_lineStart = true;
            return true;
        }
        bytes = 2 * (m_end - m_begin); // no line ends yet: read on
    }
}

const char *LineReader::nextLineStart(const char *from, const char *end)
{
    const size_t length = size_t(end - from);
    const char *lf = static_cast<const char *>(std::memchr(from, '\n', length));
    const char *cr =
        static_cast<const char *>(std::memchr(from, '\r', size_t((lf ? lf : end) - from)));
    if (!cr)
        return lf ? lf + 1 : end;
    while (cr != end && *cr == '\r')
        ++cr;
    return cr != end && *cr == '\n' ? cr + 1 : cr;
}

// Where the last line that surely starts in the buffer begins; m_begin when
// none does. A run of CRs at the end may still go on or end in an LF.
size_t LineReader::lastLineStart() const
{
    size_t at = m_end;
    while (at > m_begin && m_text[at - 1] == '\r')
        --at;
    while (at > m_begin && m_text[at - 1] != '\n' && m_text[at - 1] != '\r')
        --at;
    return at;
}

void LineReader::switchBuffers()
{
    // The unfinished tail moves to the other buffer; the lines returned last
    // stay where they are.
    if (!m_device)
        return;
    const size_t kept = m_end - m_begin;
    const size_t needed = kept + size_t(m_blockSize) + padding;
    if (m_spare.size() < needed)
        m_spare.resize(needed);
    else if (m_spare.size() > 2 * needed)
        std::vector<char>(needed).swap(m_spare);
    if (kept > 0)
        std::memcpy(m_spare.data(), m_text + m_begin, kept);
    m_buffer.swap(m_spare);
    m_text = m_buffer.data();
    m_nextLf = m_nextLf >= m_begin ? m_nextLf - m_begin : 0;
    m_nextCr = m_nextCr >= m_begin ? m_nextCr - m_begin : 0;
    m_begin = 0;
    m_end = kept;
}

void LineReader::setBlockSize(qint64 blockSize)
{
    m_blockSize = std::max<qint64>(blockSize, 1);
}

bool LineReader::fill(size_t bytes)
{
    while (m_end - m_begin < bytes && !m_atEnd) {
        if (!refill())
            return false;
    }
    return true;
}

bool LineReader::skipMark()
{
    if (!fill(3))
        return false;
    m_lineStart = false;
    if (m_end - m_begin >= 3 && std::memcmp(m_text + m_begin, "\xEF\xBB\xBF", 3) == 0) {
        m_begin += 3;
        m_consumed += 3;
    }
    return true;
}

size_t LineReader::findLineEnd()
{
    const size_t lf = scanFor(m_text, m_nextLf, m_begin, m_end, '\n');
    const size_t cr = scanFor(m_text, m_nextCr, m_begin, std::min(lf, m_end), '\r');
    return std::min(lf, cr);
}

bool LineReader::refill()
{
    // Keep the unfinished line, moved to the front, then read behind it.
    if (!m_device) {
        m_atEnd = true;
        return true;
    }
    if (m_begin > 0) {
        const size_t kept = m_end - m_begin;
        std::memmove(m_buffer.data(), m_buffer.data() + m_begin, kept);
        m_nextLf = m_nextLf >= m_begin ? m_nextLf - m_begin : 0;
        m_nextCr = m_nextCr >= m_begin ? m_nextCr - m_begin : 0;
        m_begin = 0;
        m_end = kept;
    }
    const size_t wanted = size_t(m_blockSize);
    if (m_buffer.size() - m_end < wanted + padding)
        m_buffer.resize(m_end + wanted + padding);
    m_text = m_buffer.data();
    const qint64 count = m_device->read(m_buffer.data() + m_end, qint64(wanted));
    if (count < 0) {
        m_error = true;
        return false;
    }
    if (count == 0)
        m_atEnd = true;
    m_end += size_t(count);
    return true;
}
