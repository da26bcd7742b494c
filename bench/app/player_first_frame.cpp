// The player started exactly as its main() starts it, telling the bench through a file
// descriptor when its window's first frame has been painted, and ending there: shutdown
// is not part of reaching the first frame.
//
//   zor_player_first_frame <fd> [<player arguments>...]
#include <QApplication>
#include <QEvent>
#include <QMetaObject>
#include <QWidget>

#include <unistd.h>

#include <cstdlib>

#include "app/run_player.h"

namespace {

class FirstFrame : public QObject {
public:
    explicit FirstFrame(int fd) : m_fd(fd) {}

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (!m_seen && e->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow()) {
            m_seen = true;
            // Told once the whole frame, children and all, has been painted and flushed.
            QMetaObject::invokeMethod(
                qApp,
                [fd = m_fd] {
                    const char byte = 1;
                    [[maybe_unused]] const ssize_t n = write(fd, &byte, 1);
                    _exit(0);
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    int m_fd;
    bool m_seen = false;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    FirstFrame watch(std::atoi(argv[1]));
    // What follows the descriptor is the player's own command line.
    argv[1] = argv[0];
    return RunPlayer(argc - 1, argv + 1, [&watch] { qApp->installEventFilter(&watch); });
}
