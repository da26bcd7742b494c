// The parts of the desktop host that stand without the window layer: collecting changed
// rectangles, waiting for events, the file-filter names and the message box answers.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "platform/host/qt/dirty_rects.h"
#include "platform/host/qt/event_waiter.h"
#include "platform/host/qt/native_dialogs.h"
#include "tests/platform/host/qt/qt_test_app.h"

namespace {

using Clock = std::chrono::steady_clock;
using qt_host::DirtyRects;

HWND Window(std::uintptr_t n) { return reinterpret_cast<HWND>(n); }

long Ms(Clock::duration d) { return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count()); }

TEST(DirtyRects, FirstRectAsksForOnePresentUntilTaken) {
    DirtyRects dirty;
    EXPECT_TRUE(dirty.Add(Window(1), RECT{0, 0, 10, 10}));
    EXPECT_FALSE(dirty.Add(Window(1), RECT{20, 20, 30, 30}));
    EXPECT_FALSE(dirty.Add(Window(2), RECT{0, 0, 5, 5}));
    EXPECT_EQ(dirty.Take().size(), 3u);
    EXPECT_TRUE(dirty.Take().empty());
    EXPECT_TRUE(dirty.Add(Window(1), RECT{0, 0, 1, 1}));
}

TEST(DirtyRects, EmptyRectsAreIgnoredAndContainedOnesFold) {
    DirtyRects dirty;
    EXPECT_FALSE(dirty.Add(Window(1), RECT{5, 5, 5, 9}));
    EXPECT_FALSE(dirty.Add(Window(1), RECT{9, 5, 3, 9}));
    EXPECT_TRUE(dirty.Take().empty());

    dirty.Add(Window(1), RECT{10, 10, 20, 20});
    dirty.Add(Window(1), RECT{12, 12, 18, 18});  // inside: nothing new
    dirty.Add(Window(1), RECT{0, 0, 40, 40});    // around: replaces
    auto taken = dirty.Take();
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].second.right, 40);
    EXPECT_EQ(taken[0].second.bottom, 40);
}

TEST(DirtyRects, ManyRectsOfOneWindowMergeIntoTheirBounds) {
    DirtyRects dirty;
    dirty.Add(Window(2), RECT{0, 0, 1, 1});
    for (int i = 0; i < 40; ++i) dirty.Add(Window(1), RECT{i * 10, i, i * 10 + 5, i + 5});
    auto taken = dirty.Take();
    std::size_t ofFirst = 0;
    RECT bounds{1000, 1000, -1, -1};
    for (const auto& [w, r] : taken) {
        if (w != Window(1)) continue;
        ++ofFirst;
        bounds = RECT{std::min(bounds.left, r.left), std::min(bounds.top, r.top), std::max(bounds.right, r.right),
                      std::max(bounds.bottom, r.bottom)};
    }
    EXPECT_LE(ofFirst, DirtyRects::kMaxRectsPerWindow);
    EXPECT_EQ(bounds.left, 0);
    EXPECT_EQ(bounds.top, 0);
    EXPECT_EQ(bounds.right, 395);
    EXPECT_EQ(bounds.bottom, 44);
    // The other window's rectangle is not swallowed by the merge.
    EXPECT_EQ(taken.size() - ofFirst, 1u);
}

TEST(DirtyRects, ConcurrentAddersLoseNothingAndAskOncePerBatch) {
    DirtyRects dirty;
    std::atomic<int> asks{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 500; ++i) {
                if (dirty.Add(Window(10 + t), RECT{i, 0, i + 1, 1})) ++asks;
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(asks.load(), 1);
    auto taken = dirty.Take();
    for (int t = 0; t < 4; ++t) {
        LONG left = 1000, right = -1;
        for (const auto& [w, r] : taken) {
            if (w != Window(10 + t)) continue;
            left = std::min(left, r.left);
            right = std::max(right, r.right);
        }
        EXPECT_EQ(left, 0);
        EXPECT_EQ(right, 500);
    }
}

TEST(NameFilters, PairsBecomeLabelledPatternLists) {
    // A description that names its patterns itself does not get them twice.
    EXPECT_EQ(qt_host::NameFilters({{"Wave files(*.wav)", "*.wav"}}), QStringList{QStringLiteral("Wave files (*.wav)")});
    EXPECT_EQ(qt_host::NameFilters({{"Sound (*.wav;*.aif)", "*.wav;*.aif"}}),
              QStringList{QStringLiteral("Sound (*.wav *.aif)")});
    EXPECT_EQ(qt_host::NameFilters({{"(*.wav)", "*.wav"}}), QStringList{QStringLiteral("(*.wav) (*.wav)")});
    EXPECT_EQ(qt_host::NameFilters({{"Sound", "*.wav; *.WAV"}, {"All", "*.*"}}),
              (QStringList{QStringLiteral("Sound (*.wav *.WAV)"), QStringLiteral("All (*.*)")}));
    EXPECT_EQ(qt_host::NameFilters({{"Nothing", ""}, {"", "*.wav"}}), QStringList{QStringLiteral("*.wav (*.wav)")});
}

class EventWaiterTest : public ::testing::Test {
protected:
    void SetUp() override { qt_test::App(); }
    qt_host::EventWaiter waiter;
};

TEST_F(EventWaiterTest, TimeOutEndsTheWaitOnTime) {
    const auto start = Clock::now();
    waiter.Wait(40);
    const long elapsed = Ms(Clock::now() - start);
    EXPECT_GE(elapsed, 39);
    EXPECT_LT(elapsed, 400);

    const auto zero = Clock::now();
    waiter.Wait(0);
    EXPECT_LT(Ms(Clock::now() - zero), 50);
}

TEST_F(EventWaiterTest, WakeFromAnotherThreadEndsAnEndlessWaitAtOnce) {
    std::atomic<Clock::rep> woke{0};
    std::thread other([&] {
        // A thread's first wake-up pays for the toolkit adopting it; not measured.
        waiter.Wake();
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        woke = Clock::now().time_since_epoch().count();
        waiter.Wake();
    });
    waiter.Wait(INFINITE);
    while (woke.load() == 0) waiter.Wait(INFINITE);
    const auto returned = Clock::now();
    other.join();
    EXPECT_LT(Ms(returned - Clock::time_point(Clock::duration(woke.load()))), 50);
}

TEST_F(EventWaiterTest, WakeBeforeTheWaitIsNotLost) {
    waiter.Wake();
    const auto start = Clock::now();
    waiter.Wait(5000);
    EXPECT_LT(Ms(Clock::now() - start), 500);
    // And it is used up: the next wait sleeps its time.
    const auto again = Clock::now();
    waiter.Wait(30);
    EXPECT_GE(Ms(Clock::now() - again), 25);
}

TEST_F(EventWaiterTest, InputDuringTheWaitEndsIt) {
    QTimer::singleShot(20, &waiter, [this] { waiter.Interrupt(); });
    const auto start = Clock::now();
    waiter.Wait(5000);
    EXPECT_LT(Ms(Clock::now() - start), 1000);
}

TEST_F(EventWaiterTest, AWakeEndsOnlyTheInnermostOfNestedWaits) {
    bool innerReturned = false;
    Clock::time_point innerEnd;
    QTimer::singleShot(10, &waiter, [&] {
        QTimer::singleShot(10, &waiter, [&] { waiter.Wake(); });
        waiter.Wait(5000);
        innerReturned = true;
        innerEnd = Clock::now();
    });
    const auto start = Clock::now();
    waiter.Wait(300);
    const auto outerEnd = Clock::now();
    EXPECT_TRUE(innerReturned);
    EXPECT_LT(Ms(innerEnd - start), 1000);
    EXPECT_GE(Ms(outerEnd - start), 290);
}

// Answers the first message box that appears by pressing the given button.
void AnswerBoxLater(QObject* context, QMessageBox::StandardButton which) {
    QTimer::singleShot(30, context, [which] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box || !box->isVisible()) continue;
            if (which == QMessageBox::NoButton) {
                box->close();
            } else if (QAbstractButton* b = box->button(which)) {
                b->click();
            }
            return;
        }
    });
}

int RunBox(qt_host::EventWaiter& waiter, UINT type, QMessageBox::StandardButton answer, QString* seenText = nullptr) {
    int result = -1;
    qt_host::ShowMessageBox(nullptr, user_host::MessageBoxRequest{nullptr, "Caption", "Some text", type},
                            [&](int r) { result = r; });
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible() && seenText) *seenText = box->text();
    }
    AnswerBoxLater(&waiter, answer);
    const auto start = Clock::now();
    while (result == -1 && Clock::now() - start < std::chrono::seconds(5)) waiter.Wait(20);
    return result;
}

TEST_F(EventWaiterTest, MessageBoxAnswersArriveWithoutBlocking) {
    QString text;
    EXPECT_EQ(RunBox(waiter, MB_OK | MB_ICONERROR, QMessageBox::Ok, &text), IDOK);
    EXPECT_EQ(text, QStringLiteral("Some text"));
    EXPECT_EQ(RunBox(waiter, MB_OKCANCEL, QMessageBox::Cancel), IDCANCEL);
    EXPECT_EQ(RunBox(waiter, MB_OKCANCEL, QMessageBox::Ok), IDOK);
    // Closing an OK-only box is its OK.
    EXPECT_EQ(RunBox(waiter, MB_OK, QMessageBox::NoButton), IDOK);
}

}  // namespace
