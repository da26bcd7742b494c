// What RegisterProgramResources puts in the registry is what the program finds by id.
#include "platform/user/resources.h"
#include "platform/user/winuser.h"
#include "res/program_resources.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(ProgramResources, RegisteredTextsAndTemplatesAreFound) {
    RegisterProgramResources();
    char text[256];
    for (UINT id : {IDS_ABOUTBOX, IDS_LOADERROR, IDS_NOAUDIO, IDS_TIP_LOOPY, IDS_TIP_HANGAR, IDS_TIP_KTV}) {
        EXPECT_GT(LoadStringA(nullptr, id, text, sizeof text), 0) << id;
        EXPECT_GT(std::strlen(text), 0u);
    }
    const DialogTemplate* main = FindDialogTemplate(IDD_MAIN);
    ASSERT_NE(main, nullptr);
    EXPECT_STREQ(main->caption, "Zor3DPlayer");
    ASSERT_NE(FindDialogTemplate(IDD_ABOUTBOX), nullptr);
    EXPECT_TRUE(FindDialogTemplate(IDD_ABOUTBOX)->okButton);
    EXPECT_NE(LoadIconA(nullptr, MAKEINTRESOURCEA(IDI_MAINFRAME)), nullptr);
}

}  // namespace
