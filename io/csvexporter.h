#ifndef VIREO_IO_CSVEXPORTER_H
#define VIREO_IO_CSVEXPORTER_H

#include "core/data.h"
#include "core/selection.h"

#include <QCoreApplication>
#include <QString>

// Writes data, or the cells of selections, in the synchronous French layout
// that FileReader reads back: header, nine filler lines, one row per time.
// Values are written in their shortest form that reads back to the same
// double, with a decimal comma; a missing value is written "nan".
class CsvExporter
{
    Q_DECLARE_TR_FUNCTIONS(CsvExporter)

public:
    explicit CsvExporter(const QString &fileName);

    QString fileName() const { return m_fileName; }

    // False with errorMessage set when the file could not be written
    // completely; an existing file is then left as it was.
    bool exportData(const Data &data, QString &errorMessage) const;
    // False for an empty list, errorMessage then left as it was.
    bool exportSelections(const Selections &selections, QString &errorMessage) const;

    // The rows and columns covered by any selection, in ascending index order,
    // named and stamped after the first selection's data; cells no selection
    // covers are missing.
    static Data selectedData(const Selections &selections);

private:
    QString m_fileName;
};

#endif // VIREO_IO_CSVEXPORTER_H
