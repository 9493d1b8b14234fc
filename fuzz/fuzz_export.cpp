// Writes a fuzzed table with CsvExporter and reads it back with the
// synchronous French reader: the table must come back bit for bit.
#include "fuzz/fuzzinput.h"
#include "fuzz/taskprobe.h"
#include "io/csvexporter.h"
#include "io/filereader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    TaskProbe::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    FuzzInput input(bytes, size);
    // Four-digit years only: the layout has no room for others.
    const QDateTime first(QDate(1, 1, 1), QTime(0, 0), Qt::UTC);
    const qint64 span = first.secsTo(QDateTime(QDate(9990, 1, 1), QTime(0, 0), Qt::UTC));
    Data data = input.data(6, 30, first, span);
    if (data.attributeCount() == 0)
        return 0; // a header without attributes is refused by design
    // Any text but the separator and line ends, which the layout cannot hold.
    for (QString &name : data.attributes) {
        name = input.name();
        name.remove(QLatin1Char(';')).remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    }

    const QString path = TaskProbe::scratchPath(QStringLiteral("export.csv"));
    QString message;
    TaskProbe::require(CsvExporter(path).exportData(data, message),
                       QStringLiteral("export failed: ") + message);
    Data readBack;
    const TaskProbe::Outcome outcome =
        TaskProbe::run(new FileReader(path, 0, 0), [&readBack](Task *task) {
            readBack = static_cast<FileReader *>(task)->result();
        });
    TaskProbe::checkDelivery(outcome);
    TaskProbe::require(outcome.status == Task::Done,
                       QStringLiteral("exported file refused: ") + outcome.message);
    const QString difference = TaskProbe::difference(readBack, data);
    TaskProbe::require(difference.isEmpty(), QStringLiteral("read back differs: ") + difference);
    return 0;
}
