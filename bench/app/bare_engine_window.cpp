// The engine and the toolkit together, each doing only what the player asks of it while
// the insect flies in the hangar: the bare engine's audio work on a thread of its own, and
// a window of the player's size whose sprite-sized square moves 30 times a second. The
// yardstick for what the player adds beyond driving the two.
//
//   zor_bare_engine_window <mono 16-bit WAV> <seconds>
#include <QApplication>
#include <QMetaObject>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "bench/app/bare_engine_work.h"

namespace {

constexpr int kFrameMilliseconds = 33;  // the player presents its sprite at this pace
constexpr int kSprite = 28;

class Room : public QWidget {
public:
    Room() {
        setAttribute(Qt::WA_OpaquePaintEvent);
        resize(640, 455);
        m_frame.setInterval(kFrameMilliseconds);
        QObject::connect(&m_frame, &QTimer::timeout, this, [this] { Move(); });
        m_frame.start();
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.fillRect(event->rect(), Qt::darkBlue);
        painter.fillRect(m_sprite, Qt::yellow);
    }

private:
    void Move() {
        m_t += kFrameMilliseconds / 1000.0;
        const QRect before = m_sprite;
        m_sprite.moveTo(static_cast<int>(440 + 150 * std::sin(1.3 * m_t)),
                        static_cast<int>(220 + 150 * std::cos(0.9 * m_t)));
        repaint(QRegion(before) + m_sprite);
    }

    QTimer m_frame;
    QRect m_sprite{440, 220, kSprite, kSprite};
    double m_t = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <mono 16-bit WAV> <seconds>\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    Room room;
    room.show();
    int result = 0;
    std::thread engine([&] {
        result = PlayInsectInHangar(argv[1], std::atof(argv[2]));
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    QApplication::exec();
    engine.join();
    return result;
}
