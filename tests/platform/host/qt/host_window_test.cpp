// The desktop host with the real window layer behind it: what a user sees and does in
// a window reaches the layer as the layer's own messages, and back.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

#include <QAbstractItemView>
#include <QActionGroup>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QUrl>
#include <QWheelEvent>

#include "platform/host/qt/native_combo.h"
#include "platform/host/qt/qt_host.h"
#include "platform/host/qt/top_level_widget.h"
#include "platform/kernel/module.h"
#include "platform/user/resources.h"
#include "platform/user/shellapi.h"
#include "tests/platform/host/qt/qt_test_app.h"
#include "tests/platform/user/tool_tip_setup.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Event {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    Clock::time_point at;
};
std::vector<Event> g_log;
bool g_destroyComboOnChoice = false;
HWND g_relayTo = nullptr;  // a tool-tip control that follows the pointer, as a program's would

LRESULT RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    g_log.push_back(Event{window, message, wParam, lParam, Clock::now()});
    if (g_relayTo && message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) {
        MSG relayed{window, message, wParam, lParam, 0, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}};
        SendMessageA(g_relayTo, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
    if (message == WM_COMMAND && HIWORD(wParam) == CBN_SELCHANGE && g_destroyComboOnChoice) {
        DestroyWindow(reinterpret_cast<HWND>(lParam));
    }
    if (message == WM_CLOSE) return 0;  // the program decides; here it keeps the window
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT DialogRecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    g_log.push_back(Event{window, message, wParam, lParam, Clock::now()});
    return DefDlgProcA(window, message, wParam, lParam);
}

const char* RecorderClass() {
    static const bool registered = [] {
        WNDCLASSA cls{};
        cls.lpfnWndProc = RecorderProc;
        cls.lpszClassName = "QtHostRecorder";
        return RegisterClassA(&cls) != 0;
    }();
    (void)registered;
    return "QtHostRecorder";
}

std::vector<Event> Of(HWND window, UINT message) {
    std::vector<Event> out;
    for (const Event& e : g_log)
        if (e.window == window && e.message == message) out.push_back(e);
    return out;
}

// The host lives for the whole run and dies before static destruction, which the
// toolkit's application object does not survive.
user_host::Host* g_host = nullptr;
class HostEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        qt_test::UseOffscreenUnlessChosen();
        static int argc = 1;
        static char name[] = "qt_host_window_test";
        static char* argv[] = {name, nullptr};
        host_ = CreateQtHost(argc, argv);
        g_host = host_.get();
        user_host::SetHost(g_host);
    }
    void TearDown() override {
        for (HWND top : user_host::TopLevelWindows()) DestroyWindow(top);
        user_host::SetHost(nullptr);
        g_host = nullptr;
        host_.reset();
    }

private:
    std::unique_ptr<user_host::Host> host_;
};
[[maybe_unused]] auto* const g_environment = ::testing::AddGlobalTestEnvironment(new HostEnvironment);

// Runs the layer's loop as a modal loop would, until done() or the time is up. Waits are
// cut into short slices, since done() may watch the toolkit, which does not wake the layer.
template <class Done>
bool RunUntil(Done done, int ms = 2000) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        const auto now = Clock::now();
        if (now >= deadline) return false;
        if (user_host::PumpPending() > 0) continue;
        const auto left = static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count());
        g_host->WaitForEvents(std::min({left, user_host::NextTimerDelay(), DWORD{20}}));
    }
    return true;
}

void RunFor(int ms) {
    RunUntil([] { return false; }, ms);
}

// Through the window rather than the widget: the test library hands the event to the
// windowing system interface in device pixels, which on a scaled screen are not the
// skin's pixels, and the toolkit maps it back as it does a real pointer's.
void SendNativeMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    QWindow* window = w->windowHandle();
    if (type == QEvent::MouseMove) QTest::mouseMove(window, at);
    if (type == QEvent::MouseButtonPress) QTest::mousePress(window, button, Qt::NoModifier, at);
    if (type == QEvent::MouseButtonRelease) QTest::mouseRelease(window, button, Qt::NoModifier, at);
}

void Fill(HWND window, RECT r, COLORREF colour) {
    HDC dc = GetDC(window);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) SetPixel(dc, x, y, colour);
    ReleaseDC(window, dc);
}

std::uint32_t Shown(const QImage& grabbed, int x, int y) {
    const qreal dpr = grabbed.devicePixelRatio();
    return grabbed.pixel(static_cast<int>((x + 0.5) * dpr), static_cast<int>((y + 0.5) * dpr)) & 0xFFFFFFu;
}

// Records the regions a widget repaints.
class PaintSpy : public QObject {
public:
    explicit PaintSpy(QWidget* w) { w->installEventFilter(this); }
    std::vector<QRegion> regions;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) regions.push_back(static_cast<QPaintEvent*>(e)->region());
        return false;
    }
};

class QtHostWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_log.clear();
        top = CreateWindowExA(0, RecorderClass(), "Zor window", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 0, 0,
                              160, 90, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(top, nullptr);
        RunFor(20);
        widget = qt_host::FindTopLevelWidget(top);
        ASSERT_NE(widget, nullptr);
    }
    void TearDown() override {
        if (IsWindow(top)) DestroyWindow(top);
        RunFor(10);
    }

    HWND top = nullptr;
    qt_host::TopLevelWidget* widget = nullptr;
};

TEST_F(QtHostWindowTest, TheWindowShowsTheLayerSurfaceAndFollowsItsCaptionAndSize) {
    EXPECT_TRUE(widget->isVisible());
    EXPECT_EQ(widget->size(), QSize(160, 90));
    EXPECT_EQ(widget->windowTitle(), QStringLiteral("Zor window"));

    Fill(top, RECT{0, 0, 160, 90}, RGB(0, 0, 128));
    Fill(top, RECT{20, 10, 40, 30}, RGB(255, 200, 0));
    RunFor(30);
    const QImage grabbed = widget->grab().toImage();
    auto surface = user_host::TopLevelSurface(top);
    ASSERT_TRUE(surface);
    for (int y = 0; y < 90; y += 4) {
        for (int x = 0; x < 160; x += 4) {
            std::uint32_t expected;
            {
                std::lock_guard<std::mutex> lock(surface->mutex);
                expected = surface->pixels[static_cast<std::size_t>(y) * 160 + x];
            }
            ASSERT_EQ(Shown(grabbed, x, y), expected) << x << "," << y;
        }
    }
    EXPECT_EQ(Shown(grabbed, 25, 15), 0xFFC800u);

    SetWindowTextA(top, "Renamed");
    SetWindowPos(top, nullptr, 0, 0, 200, 120, SWP_NOMOVE | SWP_NOZORDER);
    RunFor(20);
    EXPECT_EQ(widget->windowTitle(), QStringLiteral("Renamed"));
    EXPECT_EQ(widget->size(), QSize(200, 120));
}

TEST_F(QtHostWindowTest, DrawingFromAnotherThreadRepaintsJustThatRectangle) {
    RunFor(30);
    PaintSpy spy(widget);
    std::thread drawer([this] { Fill(top, RECT{100, 40, 128, 68}, RGB(255, 0, 0)); });
    drawer.join();
    // Presenting does not end the layer's wait (nothing for the layer to do): poll.
    const auto start = Clock::now();
    while (spy.regions.empty() && Clock::now() - start < std::chrono::seconds(1)) g_host->WaitForEvents(2);
    ASSERT_FALSE(spy.regions.empty());
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count(), 100);
    QRegion all;
    for (const QRegion& r : spy.regions) all += r;
    EXPECT_TRUE(all.boundingRect().contains(QRect(100, 40, 28, 28)));
    EXPECT_LE(all.boundingRect().width() * all.boundingRect().height(), 28 * 28 * 2);
    EXPECT_EQ(Shown(widget->grab().toImage(), 110, 50), 0xFF0000u);
}

TEST_F(QtHostWindowTest, MouseInputReachesTheChildUnderThePointInItsCoordinates) {
    HWND child = CreateWindowExA(0, RecorderClass(), "", WS_CHILD | WS_VISIBLE, 50, 20, 100, 40, top,
                                 reinterpret_cast<HMENU>(7), nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    RunFor(10);
    g_log.clear();

    SendNativeMouse(widget, QEvent::MouseMove, QPoint(55, 25));
    SendNativeMouse(widget, QEvent::MouseButtonPress, QPoint(60, 30));
    SendNativeMouse(widget, QEvent::MouseButtonRelease, QPoint(61, 32));
    SendNativeMouse(widget, QEvent::MouseButtonPress, QPoint(5, 5));
    SendNativeMouse(widget, QEvent::MouseButtonRelease, QPoint(5, 5));
    ASSERT_TRUE(RunUntil([&] { return !Of(top, WM_LBUTTONDOWN).empty(); }));

    const auto moves = Of(child, WM_MOUSEMOVE);
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(GET_X_LPARAM(moves[0].lParam), 5);
    EXPECT_EQ(GET_Y_LPARAM(moves[0].lParam), 5);
    const auto downs = Of(child, WM_LBUTTONDOWN);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(GET_X_LPARAM(downs[0].lParam), 10);
    EXPECT_EQ(GET_Y_LPARAM(downs[0].lParam), 10);
    EXPECT_EQ(downs[0].wParam & MK_LBUTTON, MK_LBUTTON);
    const auto ups = Of(child, WM_LBUTTONUP);
    ASSERT_EQ(ups.size(), 1u);
    EXPECT_EQ(GET_X_LPARAM(ups[0].lParam), 11);
    EXPECT_EQ(GET_Y_LPARAM(ups[0].lParam), 12);
    // Outside the child the press belongs to the top-level window, in its coordinates.
    EXPECT_EQ(GET_X_LPARAM(Of(top, WM_LBUTTONDOWN)[0].lParam), 5);
}

TEST_F(QtHostWindowTest, APostFromAnotherThreadIsHandledWithinMilliseconds) {
    constexpr int kPosts = 20;
    std::atomic<int> sent{0};
    std::vector<Clock::time_point> postedAt(kPosts);
    std::thread poster([&] {
        // A thread's first wake-up pays for the toolkit adopting it; not measured.
        PostMessageA(top, WM_USER + 4, 0, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        for (int i = 0; i < kPosts; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(8));
            postedAt[static_cast<std::size_t>(i)] = Clock::now();
            PostMessageA(top, WM_USER + 5, static_cast<WPARAM>(i), 0);
            ++sent;
        }
    });
    // An endless wait, as an idle modal loop without timers would do.
    ASSERT_TRUE(RunUntil([&] { return Of(top, WM_USER + 5).size() == kPosts; }, 5000));
    poster.join();
    std::vector<long> latencies;
    for (const Event& e : Of(top, WM_USER + 5)) {
        latencies.push_back(static_cast<long>(
            std::chrono::duration_cast<std::chrono::microseconds>(e.at - postedAt[e.wParam]).count()));
    }
    std::sort(latencies.begin(), latencies.end());
    EXPECT_LT(latencies[kPosts / 2], 5000) << "median in microseconds";
    EXPECT_LT(latencies.back(), 50000) << "worst in microseconds";
}

TEST_F(QtHostWindowTest, TimersKeepFiringWhileAMessageBoxIsOpen) {
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        // Nobody could click it: the box is told on standard error and answers by itself.
        testing::internal::CaptureStderr();
        EXPECT_EQ(MessageBoxA(top, "Cannot load the file", "Player", MB_OK | MB_ICONERROR), IDOK);
        EXPECT_EQ(MessageBoxA(top, "Go on?", "Player", MB_OKCANCEL | 0x100), IDCANCEL) << "the default button";
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "Player: Cannot load the file\nPlayer: Go on?\n");
        return;
    }
    SetTimer(top, 5, 20, nullptr);
    QString caption, text;
    bool windowModal = false;
    // The box is answered once ten ticks have come while it was up (or after five seconds,
    // so that a loop that starves the timers fails instead of hanging).
    std::size_t ticksWhileOpen = 0;
    QTimer answer;
    const auto start = Clock::now();
    QObject::connect(&answer, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box || !box->isVisible()) continue;
            ticksWhileOpen = Of(top, WM_TIMER).size();
            if (ticksWhileOpen < 10 && Clock::now() - start < std::chrono::seconds(5)) return;
            caption = box->windowTitle();
            text = box->text();
            windowModal = box->windowModality() == Qt::WindowModal && box->parentWidget() == widget;
            box->button(QMessageBox::Ok)->click();
        }
    });
    answer.start(20);
    const int result = MessageBoxA(top, "Cannot load the file", "Player", MB_OK | MB_ICONERROR);
    answer.stop();
    KillTimer(top, 5);

    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(caption, QStringLiteral("Player"));
    EXPECT_EQ(text, QStringLiteral("Cannot load the file"));
    EXPECT_TRUE(windowModal);
    EXPECT_GE(ticksWhileOpen, 10u);
}

TEST_F(QtHostWindowTest, TheComboBoxMirrorsTheModelAndReportsOnlyTheUsersChoice) {
    HWND combo = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_AUTOHSCROLL, 10, 12,
                                 105, 180, top, reinterpret_cast<HMENU>(103), nullptr, nullptr);
    ASSERT_NE(combo, nullptr);
    for (const char* item : {"one.wav", "two.wav", "three.wav"})
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageA(combo, CB_SETCURSEL, 1, 0);
    SendMessageA(combo, CB_SETDROPPEDWIDTH, 270, 0);
    RunFor(10);

    qt_host::NativeCombo* box = qt_host::FindNativeCombo(combo);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->parentWidget(), widget);
    ASSERT_EQ(box->count(), 3);
    EXPECT_EQ(box->itemText(2), QStringLiteral("three.wav"));
    EXPECT_EQ(box->currentIndex(), 1);
    EXPECT_EQ(box->maxVisibleItems(), 10);
    EXPECT_GE(box->view()->minimumWidth(), 270);
    const user_host::ComboState state = user_host::GetComboState(combo);
    EXPECT_EQ(box->geometry(), QRect(10, 12, 105, state.itemHeight));
    EXPECT_TRUE(box->isVisible());
    EXPECT_TRUE(Of(top, WM_COMMAND).empty());

    // The user's choice reaches the model and the parent hears CBN_SELCHANGE.
    QTest::keyClick(box, Qt::Key_Down);
    ASSERT_TRUE(RunUntil([&] { return !Of(top, WM_COMMAND).empty(); }));
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 2);
    const Event command = Of(top, WM_COMMAND)[0];
    EXPECT_EQ(HIWORD(command.wParam), CBN_SELCHANGE);
    EXPECT_EQ(LOWORD(command.wParam), 103);
    // A key the list does not choose with is the window's, though the list has the focus.
    QTest::keyClick(box, Qt::Key_Space);
    ASSERT_TRUE(RunUntil([&] { return !Of(top, WM_KEYDOWN).empty(); }));
    EXPECT_EQ(Of(top, WM_KEYDOWN)[0].wParam, VK_SPACE);
    EXPECT_FALSE(box->view()->isVisible()) << "the list stays closed";

    // The program's own changes show, and are not reported back as a choice.
    SendMessageA(combo, CB_DELETESTRING, 0, 0);
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    RunFor(20);
    ASSERT_EQ(box->count(), 2);
    EXPECT_EQ(box->itemText(0), QStringLiteral("two.wav"));
    EXPECT_EQ(box->currentIndex(), 0);
    EXPECT_EQ(Of(top, WM_COMMAND).size(), 1u);

    // A long list follows each change by that change alone, never rebuilt.
    for (int i = 0; i < 10000; ++i)
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(("clip" + std::to_string(i) + ".wav").c_str()));
    int resets = 0, inserted = 0, removed = 0;
    QObject::connect(box->model(), &QAbstractItemModel::modelReset, [&] { ++resets; });
    QObject::connect(box->model(), &QAbstractItemModel::rowsInserted, [&](auto&, int a, int b) { inserted += b - a + 1; });
    QObject::connect(box->model(), &QAbstractItemModel::rowsRemoved, [&](auto&, int a, int b) { removed += b - a + 1; });
    SendMessageA(combo, CB_INSERTSTRING, 5000, reinterpret_cast<LPARAM>("middle.wav"));
    SendMessageA(combo, CB_DELETESTRING, 0, 0);
    SendMessageA(combo, CB_SETCURSEL, 4999, 0);
    EXPECT_EQ(resets + inserted + removed, 2);
    ASSERT_EQ(box->count(), 10002);
    EXPECT_EQ(box->itemText(4999), QStringLiteral("middle.wav"));
    EXPECT_EQ(box->itemText(10001), QStringLiteral("clip9999.wav"));
    EXPECT_EQ(box->currentIndex(), 4999);

    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    RunFor(10);
    EXPECT_EQ(box->count(), 0);
    EXPECT_EQ(box->currentIndex(), -1);

    QPointer<qt_host::NativeCombo> watch(box);
    DestroyWindow(combo);
    RunFor(20);
    EXPECT_TRUE(watch.isNull());
}

TEST_F(QtHostWindowTest, TheProgramMayDestroyTheComboBoxWhileHandlingItsChoice) {
    HWND combo = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 10, 12, 105, 180, top,
                                 reinterpret_cast<HMENU>(103), nullptr, nullptr);
    for (const char* item : {"one.wav", "two.wav"}) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    RunFor(10);
    QPointer<qt_host::NativeCombo> box(qt_host::FindNativeCombo(combo));
    ASSERT_FALSE(box.isNull());
    g_destroyComboOnChoice = true;
    QTest::keyClick(box.data(), Qt::Key_Down);  // the box's signal runs the program, which destroys it
    g_destroyComboOnChoice = false;
    EXPECT_FALSE(IsWindow(combo));
    RunFor(20);
    EXPECT_TRUE(box.isNull());
    EXPECT_EQ(qt_host::FindNativeCombo(combo), nullptr);
}

TEST_F(QtHostWindowTest, TheComboBoxTakesNoInputWhileAnotherWindowHasTheCaptureOrAModalLoopRuns) {
    HWND combo = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 10, 12, 105, 180, top,
                                 reinterpret_cast<HMENU>(103), nullptr, nullptr);
    for (const char* item : {"one.wav", "two.wav"}) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    RunFor(10);
    QPointer<qt_host::NativeCombo> box(qt_host::FindNativeCombo(combo));
    ASSERT_FALSE(box.isNull());
    const QPoint onBox = box->geometry().center();
    // A click, a key and a wheel turn on the box: each would open or change it.
    auto tryToChoose = [&] {
        SendNativeMouse(widget, QEvent::MouseButtonPress, onBox);
        SendNativeMouse(widget, QEvent::MouseButtonRelease, onBox);
        RunFor(20);
        const bool opened = box->view()->isVisible();
        if (opened) box->hidePopup();
        QTest::keyClick(box.data(), Qt::Key_Down);
        QWheelEvent wheel(QPointF(5, 5), QPointF(box->mapToGlobal(QPoint(5, 5))), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(box.data(), &wheel);
        RunFor(20);
        return opened;
    };

    // The auto-demo's case: the window holds the capture, and the press is the window's.
    SetCapture(top);
    g_log.clear();
    EXPECT_FALSE(tryToChoose()) << "the list must not open";
    EXPECT_EQ(box->currentIndex(), 0);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(Of(top, WM_COMMAND).empty());
    ASSERT_EQ(Of(top, WM_LBUTTONDOWN).size(), 1u) << "routed to the capture like a click anywhere else";
    EXPECT_EQ(GET_X_LPARAM(Of(top, WM_LBUTTONDOWN)[0].lParam), onBox.x());
    ReleaseCapture();

    // A box of another window runs its modal loop; clicks on this one reach nobody.
    static const DialogTemplate kBox{"Box", 200, 100, "Sans", 9, WS_POPUP | WS_CAPTION, "", false};
    RegisterDialogTemplate(901, kBox);
    bool openedDuringTheBox = true;
    g_log.clear();
    QTimer::singleShot(50, [&] {
        openedDuringTheBox = tryToChoose();
        for (HWND other : user_host::TopLevelWindows())
            if (other != top && IsWindowVisible(other)) EndDialog(other, IDOK);
    });
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(901), top, DialogRecorderProc, 0), IDOK);
    EXPECT_FALSE(openedDuringTheBox);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(Of(top, WM_COMMAND).empty());
    EXPECT_TRUE(Of(top, WM_LBUTTONDOWN).empty());

    // A list opened before the capture was taken chooses nothing once it is.
    SendNativeMouse(widget, QEvent::MouseButtonPress, onBox);
    SendNativeMouse(widget, QEvent::MouseButtonRelease, onBox);
    ASSERT_TRUE(RunUntil([&] { return box->view()->isVisible(); }));
    SetCapture(top);
    QTest::keyClick(box->view(), Qt::Key_Down);
    QTest::keyClick(box->view(), Qt::Key_Return);
    RunFor(20);
    ReleaseCapture();
    EXPECT_TRUE(Of(top, WM_COMMAND).empty());
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(box->currentIndex(), 0);
    if (box->view()->isVisible()) box->hidePopup();

    // Neither: the same input opens the list and chooses.
    EXPECT_TRUE(tryToChoose());
    ASSERT_TRUE(RunUntil([&] { return !Of(top, WM_COMMAND).empty(); }));
    EXPECT_NE(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);
    DestroyWindow(combo);
}

TEST_F(QtHostWindowTest, AToolsTextAppearsAsATipWhenThePointerRestsInIt) {
    HWND tip = test_window::CreateToolTipWithTool(top, 9106, "Loopy music", RECT{100, 10, 150, 40});
    ASSERT_NE(tip, nullptr);
    g_relayTo = tip;

    SendNativeMouse(widget, QEvent::MouseMove, QPoint(120, 25));
    RunFor(100);
    EXPECT_FALSE(QToolTip::isVisible()) << "a passing pointer gets no tip";
    ASSERT_TRUE(RunUntil([] { return QToolTip::isVisible(); }, 2000));
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Loopy music"));
    // Beside the pointer, also on a scaled screen.
    const QPoint pointer = widget->mapToGlobal(QPoint(120, 25));
    int tips = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->inherits("QTipLabel") || !w->isVisible()) continue;
        ++tips;
        EXPECT_LT((w->geometry().topLeft() - pointer).manhattanLength(), 60)
            << w->geometry().x() << "," << w->geometry().y() << " vs " << pointer.x() << "," << pointer.y();
    }
    EXPECT_EQ(tips, 1);

    // Out of the tool: the toolkit lets a tip linger a moment before it goes.
    SendNativeMouse(widget, QEvent::MouseMove, QPoint(20, 60));
    EXPECT_TRUE(RunUntil([] { return !QToolTip::isVisible(); }, 1500));

    // The pointer rests in the tool, then the user opens the system menu before the tip
    // is due: the tip must not cover the menu.
    SendNativeMouse(widget, QEvent::MouseMove, QPoint(120, 25));
    SendNativeMouse(widget, QEvent::MouseButtonPress, QPoint(120, 25), Qt::RightButton);
    QWidget* menu = QApplication::activePopupWidget();
    ASSERT_NE(menu, nullptr);
    RunFor(900);
    EXPECT_FALSE(QToolTip::isVisible());
    menu->close();
    g_relayTo = nullptr;
    DestroyWindow(tip);
}

TEST_F(QtHostWindowTest, TheCloseButtonAsksTheProgramAndKeepsTheWindow) {
    EXPECT_FALSE(widget->close());
    ASSERT_TRUE(RunUntil([&] { return !Of(top, WM_CLOSE).empty(); }));
    EXPECT_TRUE(widget->isVisible());
    EXPECT_TRUE(IsWindow(top));

    // The window goes when the program destroys it.
    QPointer<QWidget> watch(widget);
    DestroyWindow(top);
    RunFor(20);
    EXPECT_TRUE(watch.isNull() || !watch->isVisible());
    EXPECT_EQ(qt_host::FindTopLevelWidget(top), nullptr);
}

TEST_F(QtHostWindowTest, CtrlCInTheTerminalAsksTheWindowToCloseLikeItsCloseButton) {
    ASSERT_TRUE(CloseWindowsOnTerminationSignals());
    HWND hidden = CreateWindowExA(0, RecorderClass(), "hidden", WS_POPUP, 0, 0, 20, 20, nullptr, nullptr, nullptr,
                                  nullptr);
    g_log.clear();
    // Twice at once, as a sender that signals the whole process group does: the second
    // is the same request, not the end of this process.
    std::raise(SIGINT);
    std::raise(SIGINT);
    ASSERT_TRUE(RunUntil([&] { return !Of(top, WM_CLOSE).empty(); }));
    RunFor(20);
    EXPECT_EQ(Of(top, WM_CLOSE).size(), 1u);
    EXPECT_TRUE(Of(hidden, WM_CLOSE).empty()) << "only windows the user can see";
    EXPECT_TRUE(IsWindow(top)) << "the program decides";
    // Behind the close request, the quit message that ends the modal loops.
    MSG quit{};
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.message, static_cast<UINT>(WM_QUIT));
    DestroyWindow(hidden);
}

// Keys reach the layer as its keys, with the characters they type as WM_CHAR; a media
// key becomes an application command; the Menu key and Shift+F10 open the system menu.
TEST_F(QtHostWindowTest, KeysBecomeTheLayersKeysAndTheCharactersTheyType) {
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape, Qt::Key_A, Qt::Key_Left}) QTest::keyClick(widget, key);
    QKeyEvent media(QEvent::KeyPress, Qt::Key_MediaTogglePlayPause, Qt::NoModifier);  // the test library types no media keys
    QApplication::sendEvent(widget, &media);
    QTest::keyClick(widget, Qt::Key_Q, Qt::ControlModifier);
    ASSERT_TRUE(RunUntil([&] { return Of(top, WM_CHAR).size() >= 2; }));
    RunFor(10);
    std::vector<WPARAM> keys;
    for (const Event& e : Of(top, WM_KEYDOWN)) keys.push_back(e.wParam);
    EXPECT_EQ(keys, (std::vector<WPARAM>{VK_RETURN, VK_ESCAPE, 'A', VK_LEFT, VK_MEDIA_PLAY_PAUSE, 'Q'}));
    std::vector<WPARAM> typed;
    for (const Event& e : Of(top, WM_CHAR)) typed.push_back(e.wParam);
    EXPECT_EQ(typed, (std::vector<WPARAM>{'a', 0x11}));
    const auto commands = Of(top, WM_APPCOMMAND);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(GET_APPCOMMAND_LPARAM(commands[0].lParam), APPCOMMAND_MEDIA_PLAY_PAUSE);

    QTest::keyClick(widget, Qt::Key_Menu);
    ASSERT_NE(qobject_cast<QMenu*>(QApplication::activePopupWidget()), nullptr);
    QApplication::activePopupWidget()->close();
    QTest::keyClick(widget, Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_NE(qobject_cast<QMenu*>(QApplication::activePopupWidget()), nullptr);
    QApplication::activePopupWidget()->close();
}

// Local files dropped where a window takes files arrive there as WM_DROPFILES, in that
// window's coordinates; where no window takes them, the drop is refused.
TEST_F(QtHostWindowTest, FilesDroppedWhereAWindowTakesThemArriveAsDroppedFiles) {
    HWND child = CreateWindowExA(0, RecorderClass(), "", WS_CHILD | WS_VISIBLE, 10, 10, 60, 40, top, nullptr,
                                 nullptr, nullptr);
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a song.flac"));
    const QString b = dir.filePath(QStringLiteral("b.wav"));
    for (const QString& name : {a, b}) QFile(name).open(QIODevice::WriteOnly);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(a), QUrl(QStringLiteral("https://example.org/c.mp3")), QUrl::fromLocalFile(b)});
    const auto drop = [&](QPoint at) {
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &enter);
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &dropped);
        RunFor(20);
        return enter.isAccepted() && dropped.isAccepted();
    };
    EXPECT_FALSE(drop(QPoint(30, 20))) << "nobody takes files yet";
    DragAcceptFiles(child, TRUE);
    EXPECT_FALSE(drop(QPoint(120, 70))) << "outside the window that takes them";
    EXPECT_TRUE(drop(QPoint(30, 20)));
    const auto drops = Of(child, WM_DROPFILES);
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_TRUE(Of(top, WM_DROPFILES).empty());
    auto* handle = reinterpret_cast<HDROP>(drops[0].wParam);
    ASSERT_EQ(DragQueryFileA(handle, 0xFFFFFFFFu, nullptr, 0), 2u);
    char name[MAX_PATH];
    DragQueryFileA(handle, 0, name, sizeof name);
    EXPECT_EQ(std::string(name), LayerPath(a.toStdString()));
    POINT at{};
    ASSERT_TRUE(DragQueryPoint(handle, &at));
    EXPECT_EQ(at.x, 20);
    EXPECT_EQ(at.y, 10);
    DragFinish(handle);
    EXPECT_EQ(DragQueryFileA(handle, 0xFFFFFFFFu, nullptr, 0), 0u) << "a finished drop is gone";
}

TEST_F(QtHostWindowTest, TheSystemMenuOffersTheProgramsEntryAndClose) {
    HMENU menu = GetSystemMenu(top, FALSE);
    ASSERT_NE(menu, nullptr);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, 16, "About the player...");
    AppendMenuA(menu, MF_STRING, 32, "Either");
    AppendMenuA(menu, MF_STRING, 48, "Or");
    CheckMenuRadioItem(menu, 32, 48, 48, MF_BYCOMMAND);
    EnableMenuItem(menu, 32, MF_BYCOMMAND | MF_GRAYED);

    SendNativeMouse(widget, QEvent::MouseButtonPress, QPoint(30, 30), Qt::RightButton);
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(popup, nullptr);
    // The window brought its menu up to date as it opened; a greyed item cannot be chosen.
    EXPECT_EQ(Of(top, WM_INITMENU).size(), 1u);
    EXPECT_FALSE(popup->actions()[2]->isEnabled());
    EXPECT_TRUE(popup->actions()[3]->isEnabled());
    QStringList texts;
    for (QAction* a : popup->actions()) texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(texts, (QStringList{"-", "About the player...", "Either", "Or", "-", "Close"}));
    // The radio pair is one exclusive choice showing the layer's check; the about entry stays plain.
    const auto actions = popup->actions();
    ASSERT_TRUE(actions[2]->actionGroup() && actions[2]->actionGroup() == actions[3]->actionGroup());
    EXPECT_TRUE(actions[2]->actionGroup()->isExclusive() && actions[3]->isChecked());
    EXPECT_FALSE(actions[1]->isCheckable() || actions[2]->isChecked());
    popup->actions()[1]->trigger();
    popup->close();
    ASSERT_TRUE(RunUntil([&] { return !Of(top, WM_SYSCOMMAND).empty(); }));
    EXPECT_EQ(Of(top, WM_SYSCOMMAND)[0].wParam, 16u);

    // Alt+Space opens the same menu; Close there is SC_CLOSE.
    QTest::keyClick(widget, Qt::Key_Space, Qt::AltModifier);
    popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(popup, nullptr);
    popup->actions().back()->trigger();
    popup->close();
    ASSERT_TRUE(RunUntil([&] { return Of(top, WM_SYSCOMMAND).size() == 2; }));
    EXPECT_EQ(Of(top, WM_SYSCOMMAND)[1].wParam, SC_CLOSE);
    EXPECT_TRUE(Of(top, WM_LBUTTONDOWN).empty());
}

TEST_F(QtHostWindowTest, TheFileDialogReturnsAnExistingFileOrNothing) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString wav = dir.filePath(QStringLiteral("clip.wav"));
    {
        QFile f(wav);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("RIFF");
    }
    const QString before = QDir::currentPath();
    QStringList filters;
    auto answer = [&](bool accept) {
        QTimer::singleShot(100, [&, accept] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<QFileDialog*>(w);
                if (!dialog || !dialog->isVisible()) continue;
                filters = dialog->nameFilters();
                if (accept) {
                    // As a user types it: the name, in the folder the dialog opened in.
                    if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                        edit->setText(QStringLiteral("clip.wav"));
                    static_cast<QDialog*>(dialog)->accept();
                } else {
                    dialog->reject();
                }
            }
        });
    };
    const QByteArray initial = QFile::encodeName(dir.path());
    auto run = [&](char* buffer) {
        OPENFILENAMEA ofn{};
        ofn.lStructSize = 76;
        ofn.hwndOwner = top;
        ofn.lpstrFilter = "Wave files(*.wav)\0*.wav\0";
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = buffer;
        ofn.nMaxFile = 260;
        ofn.lpstrInitialDir = initial.constData();
        ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
        return GetOpenFileNameA(&ofn);
    };

    char cancelled[260] = "";
    answer(false);
    EXPECT_EQ(run(cancelled), FALSE);
    EXPECT_STREQ(cancelled, "");
    EXPECT_EQ(filters, QStringList{QStringLiteral("Wave files (*.wav)")});

    char chosen[260] = "";
    answer(true);
    ASSERT_EQ(run(chosen), TRUE);
    // The layer speaks its own path form; its last part is the chosen file.
    const std::string path(chosen);
    EXPECT_EQ(path.substr(path.find_last_of("\\/") + 1), "clip.wav");
    EXPECT_EQ(QDir(QDir::currentPath()).canonicalPath(), QDir(dir.path()).canonicalPath());
    QDir::setCurrent(before);
}

TEST(QtHostAboutBox, OpensOverItsOwnerInTheFaceColourWithTextAndAnOkButtonThatActsAsEnter) {
    static const DialogTemplate kAbout{"About", 300, 120, "Sans", 9, WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                       "Zor3DPlayer, version 1", true};
    RegisterDialogTemplate(900, kAbout);
    HWND owner = CreateWindowExA(0, RecorderClass(), "owner", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 500, 400,
                                 nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    RunFor(20);
    g_log.clear();
    HWND dialog = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(900), owner, DialogRecorderProc, 0);
    ASSERT_NE(dialog, nullptr);
    if (user_host::WindowTemplate(dialog) == nullptr) {
        DestroyWindow(dialog);
        GTEST_SKIP() << "the window layer does not report templates yet";
    }
    ShowWindow(dialog, SW_SHOW);
    RunFor(20);
    QWidget* widget = qt_host::FindTopLevelWidget(dialog);
    ASSERT_NE(widget, nullptr);
    const QPoint off = widget->frameGeometry().center() - qt_host::FindTopLevelWidget(owner)->frameGeometry().center();
    EXPECT_LE(off.manhattanLength(), 6) << off.x() << "," << off.y();
    const QImage shown = widget->grab().toImage();
    EXPECT_EQ(Shown(shown, 3, 3), 0x00D6D8DEu) << "the dialog face, not the surface's black";
    auto labels = widget->findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0]->text(), QStringLiteral("Zor3DPlayer, version 1"));
    EXPECT_TRUE(labels[0]->isVisible());
    auto buttons = widget->findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_TRUE(widget->rect().contains(buttons[0]->geometry()));
    buttons[0]->click();
    ASSERT_TRUE(RunUntil([&] { return !Of(dialog, WM_COMMAND).empty(); }));
    EXPECT_EQ(LOWORD(Of(dialog, WM_COMMAND)[0].wParam), IDOK);
    DestroyWindow(dialog);
    DestroyWindow(owner);
    RunFor(10);
}

}  // namespace
