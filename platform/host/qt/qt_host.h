// The desktop host: real windows, input, native combo box, tool tips, message boxes and
// the file dialog on Qt Widgets. This header stays free of Qt so the program can create
// the host without seeing Qt.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/user/host.h"

// Creates the application object of the toolkit (which keeps argc and argv for its whole
// life, so both must outlive the host) and a host whose windows appear on the desktop.
// Without a display to connect to the host falls back to the off-screen platform, so
// the program still runs headless. One host per process; the caller installs it with
// user_host::SetHost and destroys it after the last window has gone.
std::unique_ptr<user_host::Host> CreateQtHost(int& argc, char** argv);

// Joins the desktop's session bus as its media player (see desktop_session.h) with the
// files the command line names (native paths). False when another player took the files
// (or, without files, was asked to show itself): this process should end without a
// window. An unattended demo (mayHandOver false) always runs on its own.
bool JoinDesktopSession(user_host::Host& host, const std::vector<std::string>& files, bool mayHandOver);

// From now on the first SIGINT, SIGTERM or SIGHUP closes the toolkit's boxes and file
// dialogs, reaches every visible top-level window as WM_CLOSE, as if its close button
// were pressed, and then posts the quit message that ends every modal loop. Another such
// signal within a few seconds is the same request again; one after that, with the
// program still running, has the signal's default effect. Needs the host's application
// object. False when it could not be arranged.
bool CloseWindowsOnTerminationSignals();
