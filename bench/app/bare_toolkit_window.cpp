// The toolkit on its own: a window of the player's size that ends the process once its
// first frame is painted. The yardstick for the player's start-up.
//
//   zor_bare_toolkit_window [<fd>]   writes one byte to fd at the first frame
#include <QApplication>
#include <QEvent>
#include <QMetaObject>
#include <QWidget>

#include <unistd.h>

#include <cstdlib>

namespace {

class FirstFrame : public QObject {
public:
    explicit FirstFrame(int fd) : m_fd(fd) {}

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint && !m_done) {
            m_done = true;
            // Told, and ended, once the frame has been painted and flushed.
            QMetaObject::invokeMethod(
                qApp,
                [fd = m_fd] {
                    if (fd >= 0) {
                        const char byte = 1;
                        [[maybe_unused]] const ssize_t n = write(fd, &byte, 1);
                    }
                    QCoreApplication::quit();
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    int m_fd;
    bool m_done = false;
};

}  // namespace

int main(int argc, char** argv) {
    const int fd = argc > 1 ? std::atoi(argv[1]) : -1;
    QApplication app(argc, argv);
    QWidget window;
    FirstFrame watch(fd);
    window.installEventFilter(&watch);
    window.resize(640, 455);
    window.show();
    return QApplication::exec();
}
