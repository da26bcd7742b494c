// One application object per test process, on the off-screen platform unless the run
// chose another (the Xvfb run picks xcb).
#pragma once

#include <QApplication>

namespace qt_test {

inline void UseOffscreenUnlessChosen() {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "qt_host_test";
    static char* argv[] = {name, nullptr};
    UseOffscreenUnlessChosen();
    // Never destroyed: the toolkit's own globals are gone by the time statics die, and
    // tearing the application down then crashes the process after the tests passed.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

}  // namespace qt_test
