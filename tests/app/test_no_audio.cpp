// Started where no audio device can be opened (the test runs with a sound back end
// that does not exist): string 148 is shown and the program ends without touching
// its settings file.
#include <gtest/gtest.h>

#include "tests/app/support/dialog_world.h"
#include "tests/app/support/test_support.h"

namespace {

TEST(NoAudio, ShowsTheMessageAndWritesNothing) {
    DialogWorld world;
    world.dlg = std::make_unique<CDemoDlg>();
    world.dlg->SetDemoScript("AutoDemo.ini", 1);
    world.dlg->DoModal();

    ASSERT_EQ(world.host.boxes.size(), 1u);
    char text[256] = "";
    LoadStringA(AfxGetResourceHandle(), 148, text, sizeof text);
    EXPECT_EQ(world.host.boxes[0].text, text);
    EXPECT_EQ(world.host.boxes[0].caption, "Kestrav Ambiora Demo");
    EXPECT_EQ(world.host.boxes[0].type, MB_OK);
    EXPECT_FALSE(app_test::FileExists(world.SettingsNative()));
    EXPECT_EQ(world.dlg->m_pPanel, nullptr);
    EXPECT_STREQ(world.dlg->m_szSettingsPath, "");
}

}  // namespace
