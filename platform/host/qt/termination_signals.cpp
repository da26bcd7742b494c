// Ctrl+C in the terminal that started the program, or the session asking it to stop,
// should end it the way its close button does: the program hears WM_CLOSE and saves
// what it keeps. A signal handler may do almost nothing, so it only writes a byte to a
// pipe that the toolkit's loop watches on the UI thread.
#include <atomic>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>

#include "platform/host/qt/qt_host.h"

namespace {

// Senders such as `timeout` or a desktop session signal the whole process group, so the
// same request often arrives twice within milliseconds; only a signal after this long,
// with the program still not ended, means that closing has hung.
constexpr long long kGraceMs = 3000;

int g_pipe[2] = {-1, -1};
std::atomic<long long> g_firstSignalMs{-1};
static_assert(std::atomic<long long>::is_always_lock_free, "used from a signal handler");

long long MonotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void OnSignal(int sig) {
    const int savedErrno = errno;
    const long long now = MonotonicMs();
    long long first = -1;
    if (g_firstSignalMs.compare_exchange_strong(first, now)) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = write(g_pipe[1], &byte, 1);
    } else if (now - first >= kGraceMs) {
        // The signal's own effect, once this handler returns.
        struct sigaction defaultAction {};
        defaultAction.sa_handler = SIG_DFL;
        sigemptyset(&defaultAction.sa_mask);
        sigaction(sig, &defaultAction, nullptr);
        raise(sig);
    }
    errno = savedErrno;
}

void CloseEverything() {
    char drain[64];
    while (read(g_pipe[0], drain, sizeof drain) > 0) {
    }
    // A box or file dialog in front would hold the program's own loop until answered.
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->isModal()) widget->close();
    for (HWND top : user_host::TopLevelWindows())
        if (IsWindowVisible(top)) user_host::InjectClose(top);
    // Modal loops nested in the program's handlers end on the quit message, after the
    // close requests queued before it, so the program's own close path runs to its end
    // whatever box it was showing, and a box it opens on the way out is not shown.
    PostQuitMessage(0);
}

}  // namespace

bool CloseWindowsOnTerminationSignals() {
    if (g_pipe[0] >= 0) return true;
    if (!QApplication::instance() || pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, QApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [] { CloseEverything(); });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &action, nullptr);
    return true;
}
