#include "io/synchronousreader.h"

#include "core/task.h"
#include "io/csvfield.h"
#include "io/csvrow.h"
#include "io/linereader.h"

#include <QCoreApplication>
#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

bool SynchronousReader::read(Data &data)
{
    LineReader lines(device(), blockSize() > 0 ? blockSize() : 1 << 20);
    QVector<QString> names;
    if (!checkEncoding(lines) || !readHeader(lines, names) || !skipReservedLines(lines))
        return false;
    data = Data(names, 0);
    if (!readRows(lines, data))
        return false;
    // Later stages copy the capacity too. Squeezing copies the table, so
    // only a guess far off is worth it.
    if (data.values.capacity() - data.values.size() > data.values.size() / 8) {
        data.values.squeeze();
        data.times.squeeze();
    }
    return true;
}

bool SynchronousReader::readHeader(LineReader &lines, QVector<QString> &names)
{
    const char separator = dialect().separator();
    const char *begin = nullptr;
    const char *end = nullptr;
    if (!lines.readLine(begin, end) || begin == end) {
        if (lines.hasError())
            return failRead();
        return fail(dialect().missingHeaderMessage());
    }
    const qint64 separators = std::count(begin, end, separator);
    if (separators < 1)
        return fail(QCoreApplication::translate("Task", "No attribute found in the first line."));
    names.reserve(int(std::min<qint64>(separators, Data::maxValueCount())));
    const char *field =
        static_cast<const char *>(std::memchr(begin, separator, size_t(end - begin)));
    while (field != end) {
        const char *start = field + 1;
        field = std::find(start, end, separator);
        QString name;
        if (!CsvField::decode(start, field, name))
            return fail(CsvField::tooLongMessage(1, field - start));
        names.append(name);
    }
    return true;
}

bool SynchronousReader::skipReservedLines(LineReader &lines)
{
    const char *begin = nullptr;
    const char *end = nullptr;
    for (int line = 2; line <= 10; ++line) {
        if (!lines.readLine(begin, end)) {
            if (lines.hasError())
                return failRead();
            return fail(QCoreApplication::translate(
                "Task", "No data found, the file contains less than 10 lines."));
        }
    }
    return checkpoint(0);
}

// A run of whole lines parsed by one thread, and how that went.
struct SynchronousReader::Piece
{
    const char *begin = nullptr;
    const char *end = nullptr;
    qint64 firstRow = 0;
    qint64 rows = 0;
    qint64 failedRow = -1;    // first row that failed, -1 when none did
    bool failedEarly = false; // on its field count or time, before the order is checked
    QString message;
    qint64 firstKey = 0;
    qint64 lastKey = 0;
};

// Whole lines read at once, cut into pieces.
struct SynchronousReader::Block
{
    const char *begin = nullptr;
    const char *end = nullptr;
    QVector<Piece> pieces;
    qint64 rows = 0;
    qint64 consumed = 0; // bytes of rows read up to its end
};

// Where the rows go, and what every row is checked against.
struct SynchronousReader::Table
{
    double *values;
    QDateTime *times;
    qint64 attributes;
    qint64 maxRows;
    const char *readable; // end of the memory the block's fields may be loaded from
};

namespace {

QString decreaseMessage(qint64 row, qint64 key, qint64 previousKey)
{
    const QLatin1String format("yyyy-MM-dd hh:mm:ss");
    return QCoreApplication::translate("Task", "Line %1 doesn't contain a time value "
                                               "greater than the previous one (%2 < %3).")
        .arg(row + 11)
        .arg(CsvField::timeOfKey(key).toString(format),
             CsvField::timeOfKey(previousKey).toString(format));
}

} // namespace

bool SynchronousReader::readRows(LineReader &lines, Data &data)
{
    const qint64 fileSize = device()->size();
    const qint64 headerSize = lines.consumed();
    const qint64 attributes = data.attributeCount();
    const qint64 limit = std::min(valueLimit(), Data::maxValueCount());
    const qint64 maxRows = attributes > limit ? 0 : limit / attributes;
    // A megabyte per block: more would cost memory beside the table, less
    // more hand-overs between the threads.
    const qint64 blockBytes = blockSize() > 0 ? blockSize() : 1 << 20;
    // The last blocks are smaller, and so are their buffers: the table is
    // then at its largest, and the buffers would add to its peak.
    const qint64 lastBlocks = std::max<qint64>(blockBytes / 8, 32 << 10);
    // The next block is read and counted, and its rows made room for, while
    // the threads parse this one.
    const auto prepare = [&](Block &block) {
        qint64 wanted = blockBytes;
        if (fileSize > 0 && fileSize - lines.consumed() < 3 * blockBytes &&
            lastBlocks < blockBytes) {
            wanted = lastBlocks;
            lines.setBlockSize(lastBlocks);
        }
        if (!lines.readLines(wanted, block.begin, block.end))
            return false;
        block.pieces = cut(block.begin, block.end, wanted);
        // Counting is a scan for line ends, far quicker than a hand-over.
        for (Piece &piece : block.pieces) {
            LineReader counter(piece.begin, piece.end);
            const char *line = nullptr;
            const char *lineEnd = nullptr;
            while (counter.readLine(line, lineEnd))
                ++piece.rows;
            block.rows += piece.rows;
        }
        block.consumed = lines.consumed() - headerSize;
        return true;
    };
    qint64 rows = 0;
    qint64 previousKey = std::numeric_limits<qint64>::min();
    int reported = 0;
    Block current;
    bool more = prepare(current);
    if (more)
        makeRoom(data, std::min(current.rows, maxRows),
                 expectedRows(current, fileSize, headerSize));
    while (more) {
        for (Piece &piece : current.pieces) {
            piece.firstRow = rows;
            rows += piece.rows;
        }
        const Table table{data.values.data(), data.times.data(), attributes, maxRows,
                          current.end + LineReader::padding};
        Block next;
        bool roomMade = false;
        Piece *shared = current.pieces.data(); // detached once, here
        Task::runInParallel(current.pieces.size() + 1, [&](int index, int) {
            if (index > 0) {
                parse(shared[index - 1], table);
                return;
            }
            more = prepare(next);
            // Room within the reservation moves no row the threads write to.
            const qint64 wanted = std::min(rows + next.rows, maxRows);
            roomMade = more && data.values.capacity() > 0 &&
                       wanted * attributes <= data.values.capacity() &&
                       wanted <= data.times.capacity();
            if (roomMade)
                makeRoom(data, wanted, 0);
        });
        if (!firstFailure(current.pieces, previousKey)) {
            data = Data();
            return false;
        }
        if (more && !roomMade)
            makeRoom(data, std::min(rows + next.rows, maxRows), 0);
        // Every percent passed is reported, as a line by line reading would.
        const int percentage = Task::percent(current.consumed, fileSize);
        if (!checkpoint(reported))
            return false;
        while (reported < percentage) {
            if (!checkpoint(++reported))
                return false;
        }
        current = std::move(next);
    }
    return !lines.hasError() || failRead();
}

qint64 SynchronousReader::expectedRows(const Block &first, qint64 fileSize, qint64 headerSize)
{
    const qint64 left = std::max<qint64>(fileSize - headerSize - first.consumed, 0);
    return qint64(double(left) * double(first.rows) / double(std::max<qint64>(first.consumed, 1)));
}

QVector<SynchronousReader::Piece> SynchronousReader::cut(const char *begin, const char *end,
                                                         qint64 blockBytes) const
{
    // Several pieces per thread even out rows of unequal cost; tiny ones cost
    // more to hand out than to parse.
    const qint64 smallest = std::clamp<qint64>(blockBytes / 8, 1, 16 << 10);
    const qint64 count = std::clamp<qint64>((end - begin) / smallest, 1, 4 * Task::parallelism());
    QVector<Piece> pieces;
    const char *from = begin;
    for (qint64 i = 1; i <= count && from != end; ++i) {
        const char *target = begin + (end - begin) * i / count;
        const char *to =
            i == count ? end : LineReader::nextLineStart(std::max(target - 1, from), end);
        Piece piece;
        piece.begin = from;
        piece.end = to;
        pieces.append(piece);
        from = to;
    }
    return pieces;
}

void SynchronousReader::makeRoom(Data &data, qint64 rows, qint64 expectedRows) const
{
    // Growing block by block would copy the table again and again, briefly
    // holding it twice. Pages reserved but never written cost no memory, and
    // the reservation is only a guess, so it may fail.
    const qint64 attributes = data.attributeCount();
    if (data.values.capacity() == 0) {
        const qint64 rowLimit = std::min(valueLimit(), Data::maxValueCount()) / attributes;
        const qint64 reserved =
            std::max(rows, std::min(rows + expectedRows + expectedRows / 32 + 16, rowLimit));
        try {
            data.values.reserve(int(reserved * attributes));
            data.times.reserve(int(reserved));
        } catch (const std::bad_alloc &) {
        }
    }
    if (rows * attributes <= data.values.capacity())
        Task::populate(data.values.data() + data.values.size(),
                       data.values.data() + rows * attributes);
    data.values.resize(int(rows * attributes));
    data.times.resize(int(rows));
}

void SynchronousReader::parse(Piece &piece, const Table &table) const
{
    LineReader lines(piece.begin, piece.end);
    const char *begin = nullptr;
    const char *end = nullptr;
    for (qint64 row = piece.firstRow; lines.readLine(begin, end); ++row) {
        if (!readRow(begin, end, row, piece, table))
            return;
    }
}

bool SynchronousReader::readRow(const char *begin, const char *end, qint64 row, Piece &piece,
                                const Table &table) const
{
    const char separator = dialect().separator();
    const qint64 attributes = table.attributes;
    const auto failRow = [&piece, row](bool early, const QString &message) {
        piece.failedRow = row;
        piece.failedEarly = early;
        piece.message = message;
        return false;
    };
    const char *timeEnd = std::find(begin, end, separator);
    qint64 key = 0;
    const bool validTime = CsvField::parseTimeKey(begin, timeEnd, key);
    // The values go to their row while the fields are counted; a row that
    // fails is dropped with the table.
    bool rightCount = false;
    if (row < table.maxRows) {
        rightCount = timeEnd != end &&
                     CsvRow::parseValues(timeEnd + 1, end, table.readable, separator,
                                         dialect().hasDecimalComma(),
                                         table.values + row * attributes, attributes) == attributes;
    } else {
        rightCount = std::count(begin, end, separator) == attributes;
    }
    if (!rightCount) {
        return failRow(true, QCoreApplication::translate(
                                 "Task", "Line %1 doesn't contain %2 values (time included).")
                                 .arg(row + 11)
                                 .arg(attributes + 1));
    }
    if (!validTime) {
        return failRow(true, QCoreApplication::translate(
                                 "Task", "Line %1 doesn't contain a valid time value : %2.")
                                 .arg(row + 11)
                                 .arg(CsvField::quoted(begin, timeEnd)));
    }
    if (row == piece.firstRow)
        piece.firstKey = key;
    else if (key < piece.lastKey)
        return failRow(false, decreaseMessage(row, key, piece.lastKey));
    piece.lastKey = key;
    if (row >= table.maxRows) {
        return failRow(false, QCoreApplication::translate("Task", "Line %1 can't be loaded: %2")
                                  .arg(row + 11)
                                  .arg(Data::sizeProblem(row + 1, attributes, valueLimit())));
    }
    table.times[row] = CsvField::timeOfKey(key);
    return true;
}

bool SynchronousReader::firstFailure(const QVector<Piece> &pieces, qint64 &previousKey)
{
    // A piece does not know the time before its first row: that order is
    // checked here, after the row's own checks and before the later ones.
    for (const Piece &piece : pieces) {
        if (piece.rows == 0)
            continue; // only a byte order mark
        const bool failedFirst = piece.failedRow == piece.firstRow;
        if (failedFirst && piece.failedEarly)
            return fail(piece.message);
        if (piece.firstKey < previousKey)
            return fail(decreaseMessage(piece.firstRow, piece.firstKey, previousKey));
        if (piece.failedRow >= 0)
            return fail(piece.message);
        previousKey = piece.lastKey;
    }
    return true;
}
