#ifndef VIREO_IO_LINEREADER_H
#define VIREO_IO_LINEREADER_H

#include <QtGlobal>

#include <vector>

class QIODevice;

// Splits a device into lines without decoding them, reading it in large
// blocks. A line ends at LF, or at a run of CRs with or without an LF after
// it (Windows writers may double the CR). A UTF-8 byte order mark that starts
// a line is skipped: files joined together carry one per part. A line is only
// as long as the device makes it: the buffer grows to hold the longest line.
class LineReader
{
public:
    explicit LineReader(QIODevice *device, qint64 blockSize = 1 << 20);
    // The lines of text already in memory, [begin, end), read in place.
    LineReader(const char *begin, const char *end);

    // The next line, without its end, as [begin, end) valid until the next
    // call. False at the end of the device or when reading failed.
    bool readLine(const char *&begin, const char *&end);
    // Whether the device starts as UTF-16 text does: with its byte order
    // mark, or with two characters of one zero and one non-zero byte each
    // (ASCII written without a mark); ask before the first line.
    bool startsAsUtf16();
    // Whole lines from the current position, ends included, at least `wanted`
    // bytes unless the device ends first, as [begin, end); marks are left in
    // them. The lines stay valid through the next call too, so that one block
    // can be parsed while the next is read. False at the end of the device or
    // when reading failed.
    bool readLines(qint64 wanted, const char *&begin, const char *&end);
    // Bytes after the lines readLines returns that may be read too (their
    // content is anything), so that fields can be loaded whole words at a time.
    static constexpr size_t padding = 32;
    // Reads from now on in blocks of that size; a buffer far larger than a
    // block then gives its memory back when it is next refilled.
    void setBlockSize(qint64 blockSize);
    // Start of the first line that begins after `from`, in text ending at
    // `end`; `end` when none begins before it.
    static const char *nextLineStart(const char *from, const char *end);

    bool hasError() const { return m_error; }
    // Bytes of the device taken by the lines returned so far, line ends included.
    qint64 consumed() const { return m_consumed; }

private:
    size_t findLineEnd();
    size_t lastLineStart() const;
    bool fill(size_t bytes);
    bool skipMark();
    bool refill();
    void switchBuffers();

    QIODevice *m_device;
    qint64 m_blockSize;
    std::vector<char> m_buffer;
    std::vector<char> m_spare;    // holds the lines last returned by readLines
    const char *m_text = nullptr; // the buffer, or the text read in place
    size_t m_begin = 0;           // first byte not yet returned
    size_t m_end = 0;             // end of the bytes read
    // Next LF and CR at or after m_begin (or m_end), so that files with only
    // one kind of line end are scanned once, not once per line.
    size_t m_nextLf = 0;
    size_t m_nextCr = 0;
    bool m_atEnd = false;
    bool m_error = false;
    bool m_lineStart = true;
    qint64 m_consumed = 0;
};

#endif // VIREO_IO_LINEREADER_H
