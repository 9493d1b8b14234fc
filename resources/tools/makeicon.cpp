// Renders the SVG drawing of the application icon at the sizes window systems
// ask for and packs them into one Windows icon file (32-bit BMP entries, which
// every reader, Qt's included, understands).
//
// Usage: makeicon <drawing.svg> <icon.ico>

#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QVector>

#include <cstdio>

namespace {

QImage render(const QString &svg, int size)
{
    QImageReader reader(svg, "svg");
    reader.setScaledSize(QSize(size, size));
    return reader.read().convertToFormat(QImage::Format_ARGB32);
}

// BITMAPINFOHEADER, the colour rows bottom-up in BGRA, then an all-clear AND
// mask (the alpha channel already says what shows).
QByteArray bmpEntry(const QImage &image)
{
    const int w = image.width();
    const int h = image.height();
    const int maskStride = ((w + 31) / 32) * 4;
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint32(40) << qint32(w) << qint32(2 * h) << quint16(1) << quint16(32) << quint32(0)
        << quint32(w * h * 4 + maskStride * h) << qint32(0) << qint32(0) << quint32(0)
        << quint32(0);
    for (int y = h - 1; y >= 0; --y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            out << quint8(qBlue(line[x])) << quint8(qGreen(line[x])) << quint8(qRed(line[x]))
                << quint8(qAlpha(line[x]));
    }
    bytes.append(QByteArray(maskStride * h, '\0'));
    return bytes;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: makeicon <drawing.svg> <icon.ico>\n");
        return 2;
    }
    const QVector<int> sizes = {16, 24, 32, 48, 64, 128};
    QVector<QByteArray> entries;
    for (int size : sizes) {
        const QImage image = render(QString::fromLocal8Bit(argv[1]), size);
        if (image.isNull()) {
            std::fprintf(stderr, "cannot render %s\n", argv[1]);
            return 1;
        }
        entries.append(bmpEntry(image));
    }

    QByteArray ico;
    QDataStream out(&ico, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0) << quint16(1) << quint16(entries.size());
    quint32 offset = 6 + 16 * quint32(entries.size());
    for (int i = 0; i < entries.size(); ++i) {
        // A width or height of 256 would be written as 0; none is that large.
        out << quint8(sizes[i]) << quint8(sizes[i]) << quint8(0) << quint8(0) << quint16(1)
            << quint16(32) << quint32(entries[i].size()) << offset;
        offset += quint32(entries[i].size());
    }
    for (const QByteArray &entry : entries)
        ico.append(entry);

    QFile file(QString::fromLocal8Bit(argv[2]));
    if (!file.open(QIODevice::WriteOnly) || file.write(ico) != ico.size()) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
