// Paints the skin bitmaps and the icon of the program and writes them as BMP files.
//   artgen <output folder> [<preview folder>]
// The preview folder receives PNGs of the composed window (all normal, all selected).
#include "tools/artgen/bitmaps.h"
#include "tools/artgen/palette.h"

#include <QDir>
#include <QFontDatabase>
#include <QGuiApplication>

#include <cstdio>

namespace {

bool Save(const QImage& image, const QString& path) {
    if (image.save(path, "BMP")) return true;
    std::fprintf(stderr, "artgen: cannot write %s\n", qPrintable(path));
    return false;
}

void LoadFonts() {
    for (const char* file : {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf"})
        QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/fonts/truetype/dejavu/") + file);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: artgen <output folder> [<preview folder>]\n");
        return 2;
    }
    LoadFonts();
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QImage main = artgen::PaintMainWindow();
    const QImage panel = artgen::PaintControlPanel();
    const QImage sheet = artgen::PaintSheet();
    const QList<QRgb> palette = artgen::ChoosePalette({main, panel, sheet});
    const QImage main8 = artgen::ToPalette(main, palette);
    const QImage panel8 = artgen::ToPalette(panel, palette);
    const QImage sheet8 = artgen::ToPalette(sheet, palette);
    bool ok = Save(main8, out.filePath("main.bmp")) && Save(panel8, out.filePath("panel.bmp")) &&
              Save(sheet8, out.filePath("sheet.bmp")) && Save(artgen::PaintAppIcon(), out.filePath("app.bmp"));
    if (ok && argc > 2) {
        const QDir preview(QString::fromLocal8Bit(argv[2]));
        const QImage m = main8.convertToFormat(QImage::Format_RGB32);
        const QImage pa = panel8.convertToFormat(QImage::Format_RGB32);
        const QImage sh = sheet8.convertToFormat(QImage::Format_RGB32);
        ok = artgen::ComposeWindow(m, pa, sh, false).save(preview.filePath("window_normal.png")) &&
             artgen::ComposeWindow(m, pa, sh, true).save(preview.filePath("window_selected.png")) &&
             sh.save(preview.filePath("sheet.png")) && pa.save(preview.filePath("panel.png")) &&
             artgen::PaintAppIcon(128).save(preview.filePath("icon.png"));
    }
    return ok ? 0 : 1;
}
