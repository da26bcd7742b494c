// Presenting layer surfaces: what the widget shows is the surface, on any screen scale,
// and a change reported from another thread repaints just that rectangle, soon.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <QPaintEvent>
#include <QPixmap>

#include "platform/host/qt/event_waiter.h"
#include "platform/host/qt/surface_presenter.h"
#include "platform/host/qt/surface_widget.h"
#include "tests/platform/host/qt/qt_test_app.h"

namespace {

using Clock = std::chrono::steady_clock;

class RecordingWidget : public qt_host::SurfaceWidget {
public:
    int paints = 0;
    QRegion lastRegion;
    // The surface's pixel at (8, 8) when a paint that covered it had copied it.
    std::shared_ptr<gdi::Surface> watched;
    std::uint32_t lastPaintedAt88 = 0;

protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        lastRegion = event->region();
        SurfaceWidget::paintEvent(event);
        if (watched && event->region().contains(QPoint(8, 8))) {
            std::lock_guard<std::mutex> lock(watched->mutex);
            lastPaintedAt88 = watched->pixels[8 * static_cast<std::size_t>(watched->width) + 8];
        }
    }
};

std::uint32_t Pattern(int x, int y) { return static_cast<std::uint32_t>(((x * 7) & 0xFF) << 16 | ((y * 5) & 0xFF) << 8 | ((x ^ y) & 0xFF)); }

class SurfacePresentTest : public ::testing::Test {
protected:
    void SetUp() override {
        surface = std::make_shared<gdi::Surface>(64, 40);
        for (int y = 0; y < surface->height; ++y)
            for (int x = 0; x < surface->width; ++x) surface->pixels[static_cast<std::size_t>(y) * 64 + x] = Pattern(x, y);
        widget.SetSurface(surface);
        ASSERT_TRUE(widget.FitToSurface());
        widget.show();
        Settle();
    }

    void Settle() {
        for (int i = 0; i < 5; ++i) waiter.Wait(5);
    }

    // Colour of a logical pixel as the screen shows it, whatever its scale.
    static std::uint32_t Shown(const QImage& grabbed, int x, int y) {
        const qreal dpr = grabbed.devicePixelRatio();
        const QPoint p(static_cast<int>((x + 0.5) * dpr), static_cast<int>((y + 0.5) * dpr));
        return grabbed.pixel(p) & 0x00FFFFFFu;
    }

    struct AppFirst {
        AppFirst() { qt_test::App(); }
    } appFirst;  // before any widget member
    std::shared_ptr<gdi::Surface> surface;
    RecordingWidget widget;
    qt_host::EventWaiter waiter;
};

TEST_F(SurfacePresentTest, TheWidgetShowsTheSurfaceAtItsLogicalSize) {
    EXPECT_EQ(widget.size(), QSize(64, 40));
    const QImage grabbed = widget.grab().toImage();
    EXPECT_EQ(grabbed.width(), static_cast<int>(64 * grabbed.devicePixelRatio()));
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) {
        EXPECT_DOUBLE_EQ(grabbed.devicePixelRatio(), qEnvironmentVariable("QT_SCALE_FACTOR").toDouble());
    }
    for (int y = 0; y < 40; y += 3)
        for (int x = 0; x < 64; x += 5) ASSERT_EQ(Shown(grabbed, x, y), Pattern(x, y)) << x << "," << y;

    // A window buffer with an alpha channel, as a Wayland compositor gets it: the
    // picture must be opaque there, not the layer's zero top byte.
    QImage buffer(64, 40, QImage::Format_ARGB32_Premultiplied);
    buffer.fill(Qt::transparent);
    widget.render(&buffer);
    EXPECT_EQ(qAlpha(buffer.pixel(10, 10)), 255);
    EXPECT_EQ(buffer.pixel(10, 10) & 0x00FFFFFFu, Pattern(10, 10));
}

TEST_F(SurfacePresentTest, AChangeFromAnotherThreadRepaintsOnlyItsRectangleSoon) {
    const HWND top = reinterpret_cast<HWND>(0x1234);
    qt_host::SurfacePresenter presenter([&](HWND h) -> QWidget* { return h == top ? &widget : nullptr; });
    const int before = widget.paints;

    Clock::time_point changed;
    std::thread drawer([&] {
        {
            std::lock_guard<std::mutex> lock(surface->mutex);
            for (int y = 10; y < 20; ++y)
                for (int x = 30; x < 38; ++x) surface->pixels[static_cast<std::size_t>(y) * 64 + x] = 0x00FF0000u;
        }
        changed = Clock::now();
        presenter.Changed(top, RECT{30, 10, 38, 20});
        presenter.Changed(reinterpret_cast<HWND>(0x9999), RECT{0, 0, 5, 5});  // unknown window: skipped
    });
    drawer.join();
    while (widget.paints == before && Clock::now() - changed < std::chrono::seconds(2)) waiter.Wait(1);
    const auto latency = Clock::now() - changed;

    ASSERT_GT(widget.paints, before);
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(latency).count(), 100);
    EXPECT_EQ(widget.lastRegion.boundingRect(), QRect(30, 10, 8, 10));
    const QImage grabbed = widget.grab().toImage();
    EXPECT_EQ(Shown(grabbed, 33, 15), 0xFF0000u);
    EXPECT_EQ(Shown(grabbed, 29, 15), Pattern(29, 15));
}

// A sprite moved from another thread, faster than frames go and about as fast: moves
// share frames, and the last one always reaches the screen, however the changes fall
// against the frames' ends.
TEST_F(SurfacePresentTest, MovesShareFramesAndTheLastIsAlwaysShown) {
    const HWND top = reinterpret_cast<HWND>(0x1234);
    qt_host::SurfacePresenter presenter([&](HWND h) -> QWidget* { return h == top ? &widget : nullptr; });
    const auto colourOf = [](int move) { return static_cast<std::uint32_t>(0x000100u * (move + 1)); };
    widget.watched = surface;
    struct Pace {
        int moves;
        int firstGapMs;
        int gapStepMs;  // the gap grows by this much, and starts again after five moves
        int maxFrames;
    };
    for (const Pace pace : {Pace{60, 2, 0, 15}, Pace{30, 24, 4, 30}}) {
        const int before = widget.paints;
        std::atomic<bool> done{false};
        std::thread mover([&] {
            for (int move = 0; move < pace.moves; ++move) {
                {
                    std::lock_guard<std::mutex> lock(surface->mutex);
                    for (int y = 4; y < 12; ++y)
                        for (int x = 4; x < 12; ++x) surface->pixels[static_cast<std::size_t>(y) * 64 + x] = colourOf(move);
                }
                presenter.Changed(top, RECT{4, 4, 12, 12});
                std::this_thread::sleep_for(std::chrono::milliseconds(pace.firstGapMs + pace.gapStepMs * (move % 5)));
            }
            done = true;
        });
        while (!done) waiter.Wait(1);
        mover.join();
        const auto end = Clock::now();
        while (Clock::now() - end < std::chrono::milliseconds(150)) waiter.Wait(5);
        const int frames = widget.paints - before;
        EXPECT_GE(frames, 2) << pace.firstGapMs;
        EXPECT_LE(frames, pace.maxFrames) << pace.firstGapMs;
        // Painted after the last move: the screen shows where the sprite stopped.
        EXPECT_EQ(widget.lastPaintedAt88, colourOf(pace.moves - 1)) << pace.firstGapMs;
    }
}

TEST_F(SurfacePresentTest, ASurfaceWithTooFewPixelsIsNotRead) {
    auto broken = std::make_shared<gdi::Surface>(8, 8);
    broken->pixels.resize(10);
    RecordingWidget w;
    w.SetSurface(broken);
    ASSERT_TRUE(w.FitToSurface());
    w.show();
    const QImage grabbed = w.grab().toImage();  // must not read past the pixels
    EXPECT_EQ(grabbed.pixel(1, 1) & 0xFFFFFFu, 0u);
}

}  // namespace
