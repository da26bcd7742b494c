// Paints the program's icon at each requested size into an icon theme folder, for the
// desktop's menus and docks:
//   artgen_icons <theme folder> <size>...   writes <theme folder>/<size>x<size>/apps/zor3dplayer.png
#include "tools/artgen/bitmaps.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: artgen_icons <theme folder> <size>...\n");
        return 2;
    }
    const QDir theme(QString::fromLocal8Bit(argv[1]));
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 8 || size > 1024) {
            std::fprintf(stderr, "artgen_icons: %s is not an icon size\n", argv[i]);
            return 2;
        }
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        const QString path = theme.filePath(folder + QStringLiteral("/zor3dplayer.png"));
        if (!theme.mkpath(folder) || !artgen::PaintAppIcon(size).save(path, "PNG")) {
            std::fprintf(stderr, "artgen_icons: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
