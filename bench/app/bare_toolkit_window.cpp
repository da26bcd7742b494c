// The toolkit on its own: a window of the player's size that ends the process once its
// first frame is painted. The yardstick for the player's start-up.
//
//   zor_bare_toolkit_window [<fd>]   writes one byte to fd at the first frame
#include <QApplication>
#include <QWidget>

#include <cstdlib>

#include "bench/app/first_frame_watch.h"

int main(int argc, char** argv) {
    const int fd = argc > 1 ? std::atoi(argv[1]) : -1;
    QApplication app(argc, argv);
    QWidget window;
    FirstFrameWatch watch([fd] {
        if (fd >= 0) ReportFirstFrame(fd);
        QCoreApplication::quit();
    });
    window.installEventFilter(&watch);
    window.resize(640, 455);
    window.show();
    return QApplication::exec();
}
