// Writes the application icon as PNG files in the layout of the desktop's
// icon theme (DIR/hicolor/SIZExSIZE/apps/tracevu.png), for installation.
#include "app/toolbar_art.h"

#include <QDir>
#include <QImage>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    // Painting shapes on images needs neither a screen nor an application
    // object.
    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (int size : {16, 22, 24, 32, 36, 48, 64, 72, 96, 128, 192, 256, 512}) {
        const QString dir = QString("hicolor/%1x%1/apps").arg(size);
        if (!root.mkpath(dir) || !AppIconImage(size).save(root.filePath(dir + "/tracevu.png"))) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(root.filePath(dir)));
            return 1;
        }
    }
    return 0;
}
