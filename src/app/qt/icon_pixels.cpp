// Build tool: writes a PNG's pixels as they lie in memory (QImage::Format_ARGB32_Premultiplied,
// row after row), for the window icon that the program then shows without decoding an image.
// Usage: icon_pixels SIZE INPUT.png OUTPUT
#include <QFile>
#include <QImage>
#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: icon_pixels SIZE INPUT.png OUTPUT\n");
        return 2;
    }
    const int size = QByteArray(argv[1]).toInt();
    const QImage image = QImage(QString::fromLocal8Bit(argv[2]))
                             .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull() || image.width() != size || image.height() != size ||
        image.bytesPerLine() != size * 4) {
        std::fprintf(stderr, "icon_pixels: %s is no %dx%d image\n", argv[2], size, size);
        return 1;
    }
    QFile out(QString::fromLocal8Bit(argv[3]));
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()) !=
            image.sizeInBytes()) {
        std::fprintf(stderr, "icon_pixels: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
