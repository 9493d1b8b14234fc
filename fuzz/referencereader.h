#ifndef VIREO_FUZZ_REFERENCEREADER_H
#define VIREO_FUZZ_REFERENCEREADER_H

#include "core/data.h"
#include "fuzz/taskprobe.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// A second, deliberately plain reading of both CSV layouts: lines split on
// their ends, fields on the separator, each field decoded as UTF-8, values
// through QString::toDouble, times through the format and
// QDateTime::fromString. The harnesses compare FileReader with it.
class ReferenceReader
{
public:
    struct Result
    {
        bool judged = true; // false where the rules leave the outcome open
        bool ok = false;
        Data data;
        // On failure: message, or prefix + the quoted field + suffix.
        QString message;
        QString quoted;
        QString suffix;
    };

    ReferenceReader(const QByteArray &bytes, const QString &fileName, int origin,
                    qint64 valueLimit);

    Result readSynchronous() const;
    Result readAsynchronous() const;

    // Invariants of the reader's outcome, then agreement with the reference.
    static void compare(const TaskProbe::Outcome &outcome, const Data &data, const Result &expected,
                        bool asynchronous);

private:
    Result synchronous() const;
    Result asynchronous() const;
    // Whether one mark or two are dropped from a line starting with two is
    // not settled; such inputs are only checked for the invariants.
    bool hasDoubledMark() const;
    // A line end is LF, a run of CRs followed by LF, or a run of CRs alone; a
    // UTF-8 byte order mark starting a line is no part of it.
    QVector<QByteArray> lines() const;
    static QString decode(const QByteArray &field);
    static bool acceptsMessage(const QString &actual, const Result &expected);
    Result failure(const QString &message) const;
    Result failure(const QString &prefix, const QString &quoted) const;
    QDateTime parseTime(const QString &field) const;
    double parseValue(QString field) const;
    bool isUtf16() const;

    QByteArray m_bytes;
    QString m_fileName;
    int m_origin;
    qint64 m_valueLimit;
};

#endif // VIREO_FUZZ_REFERENCEREADER_H
