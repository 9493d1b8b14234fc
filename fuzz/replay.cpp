// Runs a harness outside libFuzzer, for the test suite: every argument is an
// input file, or a folder whose files are all inputs. A broken invariant
// aborts, naming the input replayed last.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size);

int main(int argc, char **argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    QStringList inputs;
    for (int i = 1; i < argc; ++i) {
        const QString path = QFile::decodeName(argv[i]);
        if (!QFileInfo(path).isDir()) {
            inputs << path;
            continue;
        }
        const QDir folder(path);
        for (const QString &name : folder.entryList(QDir::Files, QDir::Name))
            inputs << folder.filePath(name);
    }
    for (const QString &path : qAsConst(inputs)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return 1;
        }
        const QByteArray bytes = file.readAll();
        std::fprintf(stderr, "%s\n", qPrintable(path));
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()),
                               size_t(bytes.size()));
    }
    std::printf("%d inputs replayed\n", int(inputs.size()));
    return inputs.isEmpty() ? 1 : 0;
}
