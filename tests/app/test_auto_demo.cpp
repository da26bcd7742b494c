// Auto-demo steps read from a script beside the binary: each key present, missing or
// misspelled, the end of the script, looping, and the load-error box.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/user/host.h"
#include "tests/app/support/dialog_world.h"
#include "tests/app/support/test_support.h"

namespace {

constexpr char kScript[] = "test_demo.ini";

std::string Counter(int steps, const char* loop = "FALSE") {
    return std::string("[Counter]\nDemoCounter=") + std::to_string(steps) + "\nDemoLoop=" + loop + "\n";
}

class DemoTest : public ::testing::Test {
protected:
    void Open(const std::string& script) {
        world.WriteScript(kScript, script);
        world.Open(kScript);
    }
    CDemoDlg& dlg() { return *world.dlg; }
    DialogWorld world;
};

TEST_F(DemoTest, FirstStepAppliesAndPlaysWithTheCaptureTaken) {
    Open(Counter(2) +
         "[AutoDemo1]\nTimer=60000\nSoundSource=Drums\nMovingPath =Fly-by\nEnvironment=KTV\nEnableEffects=TRUE\n"
         "[AutoDemo2]\nTimer=60000\n");
    EXPECT_EQ(GetCapture(), dlg().m_hWnd);
    EXPECT_EQ(dlg().m_nSource, 1);
    EXPECT_EQ(dlg().m_nPathMode, 3);
    EXPECT_EQ(dlg().m_nEnvironment, 19);
    EXPECT_NE(dlg().m_pPlayer, nullptr);
    EXPECT_NE(dlg().m_nDemoTimer, 0u);
    EXPECT_EQ(dlg().m_nDemoStep, 2);
    EXPECT_EQ(dlg().m_nDemoSteps, 2);
}

TEST_F(DemoTest, KeywordsAreExactAndCaseSensitive) {
    Open(Counter(1, "true") + "[AutoDemo1]\nTimer=60000\nSoundSource=drums\nMovingPat=Insect\nMovingPath =insect\n"
                              "Environment=Hangar\n");
    EXPECT_EQ(dlg().m_nSource, 0);
    EXPECT_EQ(dlg().m_nPathMode, 0);
    EXPECT_EQ(dlg().m_nEnvironment, -1) << "Environment without EnableEffects turns the room off";
    EXPECT_EQ(dlg().m_bDemoLoop, 0);
    EXPECT_NE(dlg().m_pPlayer, nullptr) << "the rest of the step still applies";
}

TEST_F(DemoTest, EnableEffectsRules) {
    Open(Counter(4) + "[AutoDemo1]\nTimer=60000\nSoundSource=High heelss\nEnvironment=Sewerpipe\nEnableEffects=TRUE\n"
                      "[AutoDemo2]\nTimer=60000\nEnvironment=Sewerpipe\nEnableEffects=TRUE\n"
                      "[AutoDemo3]\nTimer=60000\nEnvironment=Attic\nEnableEffects=TRUE\n"
                      "[AutoDemo4]\nTimer=60000\nEnvironment=Sewerpipe\nEnableEffects=FALSE\n");
    EXPECT_EQ(dlg().m_nSource, 3);
    EXPECT_EQ(dlg().m_nEnvironment, 18);
    dlg().DemoStep();
    EXPECT_EQ(dlg().m_nEnvironment, 18) << "the room already on stays on";
    dlg().DemoStep();
    EXPECT_EQ(dlg().m_nEnvironment, 18) << "an unknown room keeps the current one";
    dlg().DemoStep();
    EXPECT_EQ(dlg().m_nEnvironment, -1);
}

TEST_F(DemoTest, SameSourceDoesNotRestart) {
    Open(Counter(2) + "[AutoDemo1]\nTimer=60000\nSoundSource=Kestrav\n[AutoDemo2]\nTimer=60000\nSoundSource=Kestrav\n");
    CSpatialPlayer* playing = dlg().m_pPlayer;
    ASSERT_NE(playing, nullptr);
    dlg().DemoStep();
    EXPECT_EQ(dlg().m_pPlayer, playing);
}

// A step that would stop the show for good ends the demo instead, with a word, and the
// user gets a window that answers; where no one can see it, the program ends.
TEST_F(DemoTest, AStepThatCannotRunEndsTheDemoWithAWord) {
    const std::pair<const char*, const char*> steps[] = {
        {"SoundSource=Drums\n", "no usable Timer (\"\")"}, {"Timer=0\n", "(\"0\")"}, {"Timer=-5\n", "(\"-5\")"},
        {"Timer=99999999999\n", "(\"99999999999\")"}, {nullptr, "nothing under [AutoDemo2], though DemoCounter is 2"}};
    for (const auto& [step, word] : steps) {
        Open(Counter(2) + "[AutoDemo1]\nTimer=60000\nSoundSource=Drums\n" + (step ? "[AutoDemo2]\n" + std::string(step) : ""));
        dlg().DemoStep();
        ASSERT_EQ(world.host.boxes.size(), 1u) << word;
        EXPECT_NE(world.host.boxes[0].text.find("Step 2 of the auto-demo script"), std::string::npos);
        EXPECT_NE(world.host.boxes[0].text.find(word), std::string::npos) << world.host.boxes[0].text;
        EXPECT_EQ(dlg().m_nDemoTimer, 0u);
        EXPECT_EQ(dlg().m_bScript, 0);
        EXPECT_EQ(GetCapture(), nullptr);
        EXPECT_NE(dlg().m_pPlayer, nullptr) << "what plays plays on";
        world.host.boxes.clear();
        world.Close();
    }
}

TEST_F(DemoTest, AScriptThatCannotBeUsedIsToldInABoxAndLeavesAWindowThatWorks) {
    Open("[Counter]\nDemoLoop=TRUE\n");
    ASSERT_EQ(world.host.boxes.size(), 1u);
    EXPECT_NE(world.host.boxes[0].text.find("test_demo.ini has no steps"), std::string::npos);
    EXPECT_EQ(dlg().m_bScript, 0);
    EXPECT_EQ(dlg().m_pPlayer, nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
    world.Click(kCmdSourceFirst + 2);
    EXPECT_EQ(dlg().m_nSource, 2) << "the panel answers the mouse";

    world.Close();
    world.Open("no_such_script.ini");
    ASSERT_EQ(world.host.boxes.size(), 2u);
    EXPECT_NE(world.host.boxes[1].text.find("no_such_script.ini was found neither beside the program (" +
                                             app_test::NativeProgramDir() + ") nor in the current folder"),
              std::string::npos)
        << world.host.boxes[1].text;
    world.Close();
    world.Open(std::string(300, 'n').c_str());
    ASSERT_EQ(world.host.boxes.size(), 3u);
    EXPECT_NE(world.host.boxes[2].text.find("is too long for a path"), std::string::npos);
}

TEST_F(DemoTest, LoopGoesBackToTheFirstStep) {
    Open(Counter(2, "TRUE") + "[AutoDemo1]\nTimer=60000\nSoundSource=Drums\n"
                              "[AutoDemo2]\nTimer=60000\nSoundSource=Helicopter\n");
    dlg().DemoStep();
    EXPECT_EQ(dlg().m_nSource, 2);
    dlg().DemoStep();
    EXPECT_EQ(dlg().m_nSource, 1);
    EXPECT_EQ(dlg().m_nDemoStep, 2);
    EXPECT_EQ(GetCapture(), dlg().m_hWnd);
}

TEST_F(DemoTest, NegativeCounterEndsAtOnceWithoutLoop) {
    Open(Counter(-1) + "[AutoDemo1]\nTimer=100\nSoundSource=Drums\n");
    EXPECT_NE(GetCapture(), dlg().m_hWnd);
    EXPECT_EQ(dlg().m_nSource, 0);
    EXPECT_EQ(dlg().m_pPlayer, nullptr);
}

TEST_F(DemoTest, LoadErrorBoxDoesNotStack) {
    world.WriteSettings("3DSOUNDDEMO_SOURCE=5\n3DSOUNDDEMO_SOURCENAME=\\gone\\missing.wav\n");
    int stepsDuringBox = 0;
    world.host.whileBoxOpen = [&] {
        const int before = world.dlg->m_nDemoStep;
        world.dlg->DemoStep();
        stepsDuringBox += world.dlg->m_nDemoStep != before;
    };
    Open(Counter(2) + "[AutoDemo1]\nTimer=60000\n[AutoDemo2]\nTimer=60000\n");
    EXPECT_EQ(world.host.boxes.size(), 1u);
    EXPECT_EQ(stepsDuringBox, 0);
    EXPECT_EQ(dlg().m_nDemoStep, 2) << "the step itself completes once the box is answered";
}

// Runs the dialog modally, as the program does, and times the whole demo.
double RunModal(DialogWorld& world, const std::string& script) {
    world.WriteScript(kScript, script);
    world.dlg = std::make_unique<CDemoDlg>();
    world.dlg->SetDemoScript(kScript, 1);
    const auto start = std::chrono::steady_clock::now();
    world.dlg->DoModal();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(DemoTiming, ThreeShortStepsEndTheProgramAndLeaveTheUsersChoices) {
    DialogWorld world;
    world.WriteSettings("3DSOUNDDEMO_PATH=3\n");
    const double seconds = RunModal(world, Counter(3) + "[AutoDemo1]\nTimer=300\nSoundSource=Drums\n"
                                                        "[AutoDemo2]\nTimer=300\nMovingPath =Horizontal\n"
                                                        "[AutoDemo3]\nTimer=300\nSoundSource=Loopy\n");
    EXPECT_GT(seconds, 0.85);
    EXPECT_LT(seconds, 2.5);
    EXPECT_EQ(world.dlg->m_hWnd, nullptr);
    EXPECT_EQ(world.IniValue("3DSOUNDDEMO_PATH"), "3");
    EXPECT_EQ(world.IniValue("3DSOUNDDEMO_SOURCE"), "<missing>");
    EXPECT_EQ(world.IniValue("CUSTOMERCOUNT"), "0") << "the list is saved as ever";

    // Shown nowhere, a demo that cannot run ends the program, saying why.
    user_host::SetMonitorCount(0);
    world.WriteScript(kScript, Counter(1) + "[AutoDemo1]\nTimer=soon\n");
    world.dlg = std::make_unique<CDemoDlg>();
    world.dlg->SetDemoScript(kScript, 1);
    EXPECT_EQ(world.dlg->DoModal(), kExitNothingToRun);
    user_host::SetMonitorCount(1);
    EXPECT_EQ(world.host.boxes.size(), 1u);
}

TEST(DemoTiming, ThreeFiveSecondStepsTakeFifteenSeconds) {
    DialogWorld world;
    const double seconds = RunModal(world, Counter(3) + "[AutoDemo1]\nTimer=5000\nSoundSource=Drums\n"
                                                        "[AutoDemo2]\nTimer=5000\nSoundSource=Loopy\n"
                                                        "[AutoDemo3]\nTimer=5000\nMovingPath =Insect\n");
    EXPECT_GT(seconds, 14.8);
    EXPECT_LT(seconds, 17.0);
}

}  // namespace
