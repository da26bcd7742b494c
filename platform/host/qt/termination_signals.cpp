// Ctrl+C in the terminal that started the program, or the session asking it to stop,
// should end it the way its close button does: the program hears WM_CLOSE and saves
// what it keeps. A signal handler may do almost nothing, so it only writes a byte to a
// pipe that the toolkit's loop watches on the UI thread.
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>

#include "platform/host/qt/qt_host.h"

namespace {

int g_pipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(g_pipe[1], &byte, 1);
}

void CloseEverything() {
    char drain[64];
    while (read(g_pipe[0], drain, sizeof drain) > 0) {
    }
    // A box or file dialog in front would hold the program's own loop until answered.
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    for (HWND top : user_host::TopLevelWindows())
        if (IsWindowVisible(top)) user_host::InjectClose(top);
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
    // A second signal finds the default action again, so a program that does not close
    // can still be stopped.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &action, nullptr);
    return true;
}
