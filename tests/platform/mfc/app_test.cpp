// The application object: the command line it is handed and the exit code it gives.
#include <gtest/gtest.h>

#include "platform/mfc/afxwin.h"

namespace {

struct App : CWinApp {
    std::string seen;
    bool keepRunning = false;
    BOOL InitInstance() override {
        seen = m_lpCmdLine ? m_lpCmdLine : "(null)";
        if (keepRunning) PostQuitMessage(3);
        return keepRunning ? TRUE : FALSE;
    }
    int ExitInstance() override { return keepRunning ? 5 : 0; }
};

}  // namespace

TEST(Application, CommandLineIsTheArgumentsJoinedByBlanks) {
    App app;
    EXPECT_EQ(AfxGetApp(), &app);
    char prog[] = "zor3dplayer", a[] = "Auto Demo.ini", b[] = "x";
    char* twoArgs[] = {prog, a, b};
    EXPECT_EQ(AfxWinMain(3, twoArgs), 0);
    EXPECT_EQ(app.seen, "Auto Demo.ini x");
    char* none[] = {prog};
    AfxWinMain(1, none);
    EXPECT_EQ(app.seen, "");
    EXPECT_EQ(AfxGetInstanceHandle(), AfxGetResourceHandle());
}

TEST(Application, ARunningApplicationEndsWithExitInstancesCode) {
    App app;
    app.keepRunning = true;
    char prog[] = "zor3dplayer";
    char* argv[] = {prog};
    EXPECT_EQ(AfxWinMain(1, argv), 5);
}
