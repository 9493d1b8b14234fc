// Reads the input as a file of one layout in both dialects, checks the
// outcome's invariants and compares it with the reference reading.
#include "fuzz/referencereader.h"
#include "fuzz/taskprobe.h"
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
    const QByteArray input(reinterpret_cast<const char *>(bytes), int(size));
    const QString path = TaskProbe::writeInput(input);
    // A third of the inputs also meet a table limit that small files reach.
    const qint64 limit = size % 3 == 0 ? 24 : Data::maxValueCount();
    for (int origin : {0, 1}) {
        auto *reader = new FileReader(path, VIREO_FUZZ_READ_MODE, origin);
        reader->setValueLimit(limit);
        Data data;
        const TaskProbe::Outcome outcome = TaskProbe::run(
            reader, [&data](Task *task) { data = static_cast<FileReader *>(task)->result(); });
        const ReferenceReader reference(input, path, origin, limit);
        const bool asynchronous = VIREO_FUZZ_READ_MODE == 1;
        ReferenceReader::compare(outcome, data,
                                 asynchronous ? reference.readAsynchronous()
                                              : reference.readSynchronous(),
                                 asynchronous);
    }
    return 0;
}
