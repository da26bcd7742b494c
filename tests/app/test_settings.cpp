// The main keys of the settings file: written at exit, read back at start, and what a
// stored value the program cannot use turns into.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "tests/app/support/dialog_world.h"
#include "tests/app/support/test_support.h"

namespace {

std::string SlotPath(const char* file) { return app_test::ProgramDir() + "\\MUSIC\\" + file; }

TEST(Settings, FreshRunWritesAllKeys) {
    DialogWorld world;
    world.Open();
    app_test::Pump(10);
    world.Close();
    EXPECT_EQ(world.IniValue("3DSOUNDDEMO_SOURCE"), "0");
    EXPECT_EQ(world.IniValue("3DSOUNDDEMO_SOURCENAME"), SlotPath("3D_Loopy.wav"));
    EXPECT_EQ(world.IniValue("3DSOUNDDEMO_PATH"), "0");
    EXPECT_EQ(world.IniValue("3DSOUNDDEMO_ENVIROMENT"), "-1");
    EXPECT_EQ(world.IniValue("3DSOUNDDEMO_SOUNDFOR"), "automatic");
}

TEST(Settings, RoundTrip) {
    {
        DialogWorld world;
        world.Open();
        app_test::Pump(10);
        world.dlg->OnPanelCommand(5, 0);
        world.dlg->OnPanelCommand(13, 0);
        world.dlg->OnPanelCommand(19, 0);
        world.Close();
    }
    DialogWorld world(true);
    world.Open();
    app_test::Pump(20);
    EXPECT_EQ(world.dlg->m_nSource, 3);
    EXPECT_EQ(world.dlg->m_nPathMode, 2);
    EXPECT_EQ(world.dlg->m_nEnvironment, 19);
    EXPECT_EQ(std::string(world.dlg->m_szSource), SlotPath("3D_hi-hill.wav"));
    // The panel's first notifications already carry the loaded values.
    EXPECT_EQ(world.dlg->m_skin.GetState(5), 0);
    EXPECT_EQ(world.dlg->m_skin.GetState(13), 0);
    EXPECT_EQ(world.dlg->m_skin.GetState(19), 0);
}

TEST(Settings, BuiltInSlotsComeFromTheProgramsOwnFolder) {
    DialogWorld world;
    world.WriteSettings("3DSOUNDDEMO_SOURCE=2\n3DSOUNDDEMO_SOURCENAME=\\elsewhere\\old.wav\n");
    world.Open();
    EXPECT_EQ(world.dlg->m_nSource, 2);
    EXPECT_EQ(std::string(world.dlg->m_szSource), SlotPath("3D_Helicopter.wav"));
}

TEST(Settings, CustomSourceKeepsItsStoredPath) {
    DialogWorld world;
    world.WriteSettings("3DSOUNDDEMO_SOURCE=5\n3DSOUNDDEMO_SOURCENAME=\\gone\\mine.wav\n");
    world.Open();
    EXPECT_EQ(world.dlg->m_nSource, 5);
    EXPECT_STREQ(world.dlg->m_szSource, "\\gone\\mine.wav");
}

TEST(Settings, UnusableSourcesFallBackToTheFirstClip) {
    const char* cases[] = {
        "3DSOUNDDEMO_SOURCE=5\n",                 // custom without a name
        "3DSOUNDDEMO_SOURCE=9\n",                 // outside the table
        "3DSOUNDDEMO_SOURCE=-1\n",                // outside the table
        "3DSOUNDDEMO_SOURCE=nonsense\n",          // not a number
    };
    for (const char* body : cases) {
        DialogWorld world;
        world.WriteSettings(body);
        world.Open();
        EXPECT_EQ(world.dlg->m_nSource, 0) << body;
        EXPECT_EQ(std::string(world.dlg->m_szSource), SlotPath("3D_Loopy.wav")) << body;
    }
    DialogWorld world;
    const std::string tooLong = "\\" + std::string(256, 'n') + ".wav";
    world.WriteSettings("3DSOUNDDEMO_SOURCE=5\n3DSOUNDDEMO_SOURCENAME=" + tooLong + "\n");
    world.Open();
    EXPECT_EQ(world.dlg->m_nSource, 0) << "a stored name too long for the buffer counts as none";
}

TEST(Settings, SoundChoiceKeepsItsPlaceAndAnyOtherValueIsAutomatic) {
    for (const char* body : {"", "3DSOUNDDEMO_SOUNDFOR=loud\n", "3DSOUNDDEMO_SOUNDFOR=2\n"}) {
        SetSoundRendering(SoundRendering::Speakers);
        DialogWorld world;
        world.WriteSettings(body);
        world.Open();
        EXPECT_EQ(GetSoundRendering(), SoundRendering::Automatic) << body;
    }
    DialogWorld world;
    world.WriteSettings("3DSOUNDDEMO_SOUNDFOR= Headphones\nMINE=1\n");
    world.Open();
    EXPECT_EQ(GetSoundRendering(), SoundRendering::Headphones);
    world.Close();
    EXPECT_EQ(app_test::ReadFile(world.SettingsNative()).find("[ZOR3DPLAYER]\n3DSOUNDDEMO_SOUNDFOR=headphones\nMINE=1\n"), 0u);
}

TEST(Settings, StoredPathModesBeyondTheButtonsPlayAsStored) {
    DialogWorld world;
    world.WriteSettings("3DSOUNDDEMO_PATH=5\n3DSOUNDDEMO_ENVIROMENT=42\n");
    world.Open();
    app_test::Pump(20);
    EXPECT_EQ(world.dlg->m_nPathMode, 5);
    EXPECT_EQ(world.dlg->m_nEnvironment, 42);
    for (int r = 11; r <= 15; ++r) EXPECT_NE(world.dlg->m_skin.GetState(r), 0) << r;
    for (int r = 16; r <= 21; ++r) EXPECT_EQ(world.dlg->m_skin.GetState(r), 1) << r;
    EXPECT_FALSE(world.dlg->m_pad.m_bDragEnabled);
    world.dlg->OnPanelCommand(kCmdPlay, 0);
    EXPECT_EQ(world.dlg->m_nInterval, 30u);
    EXPECT_NE(world.dlg->m_hThread, nullptr);
    world.Close();
    EXPECT_EQ(world.IniValue("3DSOUNDDEMO_PATH"), "5");
}

TEST(Settings, AReadOnlyFileIsLeftAsItIsAndTheUserIsTold) {
    DialogWorld world;
    world.WriteSettings("3DSOUNDDEMO_PATH=3\n");
    ::chmod(world.SettingsNative().c_str(), 0444);
    world.Open();
    world.dlg->OnPanelCommand(13, 0);
    testing::internal::CaptureStderr();
    world.Close();
    const std::string told = testing::internal::GetCapturedStderr();
    ::chmod(world.SettingsNative().c_str(), 0644);
    EXPECT_EQ(app_test::ReadFile(world.SettingsNative()), "[ZOR3DPLAYER]\n3DSOUNDDEMO_PATH=3\n");
    EXPECT_NE(told.find("Zor3DPlayer: the settings could not be saved in " + world.SettingsNative() +
                        ": Permission denied."),
              std::string::npos)
        << told;
}

}  // namespace
