#include "app/qt/window_icon.h"

#include <QImage>
#include <QPixmap>
#include <QResource>

QIcon KestrelIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        // Stored uncompressed, so that the image reads the program's own mapped data.
        const QResource pixels(QStringLiteral(":/icons/kestrel-%1.argb").arg(size));
        icon.addPixmap(QPixmap::fromImage(
            QImage(pixels.data(), size, size, QImage::Format_ARGB32_Premultiplied)));
    }
    return icon;
}
