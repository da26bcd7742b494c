// Saves what an X screen shows as a PNG, for the README's picture of the running player.
// Run it against a virtual screen the size of the player's window, so the picture is the
// window and nothing else.
//
//     grab_screen out.png
#include <cstdio>

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s out.png\n", argv[0]);
        return 2;
    }
    QGuiApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        std::fprintf(stderr, "grab_screen: no screen to grab\n");
        return 1;
    }
    const QPixmap picture = screen->grabWindow(0);
    if (picture.isNull() || !picture.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "grab_screen: could not grab the screen or write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: %d x %d\n", argv[1], picture.width(), picture.height());
    return 0;
}
