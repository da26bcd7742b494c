// Presenting layer surfaces on the off-screen platform: how long a reported change takes
// to be repainted, and what a sprite-sized repaint costs against the whole window.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include <QApplication>
#include <QPaintEvent>

#include "platform/host/qt/qt_host.h"
#include "platform/host/qt/top_level_widget.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 455;
constexpr int kSprite = 28;

user_host::Host* g_host = nullptr;
HWND g_top = nullptr;
QWidget* g_widget = nullptr;

class PaintCounter : public QObject {
public:
    int paints = 0;
    std::chrono::steady_clock::time_point lastPaint;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::Paint) return false;
        ++paints;
        lastPaint = std::chrono::steady_clock::now();
        return false;
    }
};
PaintCounter* g_counter = nullptr;

RECT SpriteRect(int step) {
    const int x = (step * 7) % (kWidth - kSprite);
    const int y = (step * 3) % (kHeight - kSprite);
    return RECT{x, y, x + kSprite, y + kSprite};
}

void Scribble(const RECT& r, std::uint32_t colour) {
    auto surface = user_host::TopLevelSurface(g_top);
    std::lock_guard<std::mutex> lock(surface->mutex);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) surface->pixels[static_cast<std::size_t>(y) * kWidth + x] = colour;
}

// From SurfaceChanged until the widget has painted the rectangle, as the update thread
// reports a sprite move and the UI thread's loop presents it.
void BM_ChangeToRepaint(benchmark::State& state) {
    int step = 0;
    for (auto _ : state) {
        const RECT r = SpriteRect(step++);
        Scribble(r, static_cast<std::uint32_t>(step) * 0x010203u);
        const int before = g_counter->paints;
        const auto start = std::chrono::steady_clock::now();
        g_host->SurfaceChanged(g_top, r);
        // The wait does not end for a repaint (nothing for the layer), so poll and take
        // the paint's own time stamp.
        while (g_counter->paints == before) g_host->WaitForEvents(1);
        state.SetIterationTime(std::chrono::duration<double>(g_counter->lastPaint - start).count());
    }
}
BENCHMARK(BM_ChangeToRepaint)->UseManualTime()->Unit(benchmark::kMicrosecond);

// One synchronous repaint (copy from the surface, draw, flush) of a rectangle.
void Present(benchmark::State& state, int width, int height) {
    int step = 0;
    for (auto _ : state) {
        const RECT r = SpriteRect(step++);
        const int x = width == kWidth ? 0 : r.left;
        const int y = height == kHeight ? 0 : r.top;
        g_widget->repaint(x, y, width, height);
    }
    state.counters["pixels"] = static_cast<double>(width) * height;
}
void BM_PresentSprite(benchmark::State& state) { Present(state, kSprite, kSprite); }
void BM_PresentWholeWindow(benchmark::State& state) { Present(state, kWidth, kHeight); }
BENCHMARK(BM_PresentSprite)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PresentWholeWindow)->Unit(benchmark::kMicrosecond);

LRESULT PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<user_host::Host> host = CreateQtHost(argc, argv);
    g_host = host.get();
    user_host::SetHost(g_host);

    WNDCLASSA cls{};
    cls.lpfnWndProc = PlainProc;
    cls.lpszClassName = "BenchPresent";
    RegisterClassA(&cls);
    g_top = CreateWindowExA(0, "BenchPresent", "bench", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr,
                            nullptr, nullptr, nullptr);
    for (int i = 0; i < 20; ++i) {
        user_host::PumpPending();
        g_host->WaitForEvents(2);
    }
    g_widget = qt_host::FindTopLevelWidget(g_top);
    if (!g_widget) return 1;
    PaintCounter counter;
    g_counter = &counter;
    g_widget->installEventFilter(&counter);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    g_widget->removeEventFilter(&counter);
    DestroyWindow(g_top);
    user_host::SetHost(nullptr);
    return 0;
}
