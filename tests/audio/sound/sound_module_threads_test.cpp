// The position update thread sends positions while the window thread plays, stops and
// reloads the source.
#include <atomic>
#include <thread>

#include "tests/audio/sound/sound_module_fixture.h"

namespace {

using namespace sound_testing;

TEST_F(SoundModuleTest, PositionUpdatesFromAnotherThreadDuringPlayStopAndReload) {
    OpenLikeThePlayer();
    const std::string path = ToneClip("tone.wav", 500.0, 0.2);
    ASSERT_EQ(Load(path), S_OK);
    std::atomic<bool> running{true};
    std::atomic<int> updates{0};
    std::thread updater([&] {
        float t = 0.0f;
        while (running.load()) {
            SetSourceParameters({3.0f * std::sin(t), 0.0f, 3.0f * std::cos(t)}, {1.0f, 0.0f, -1.0f});
            t += 0.1f;
            updates.fetch_add(1);
        }
    });
    // On a loaded machine the updater may not get a core before the rounds are over;
    // the overlap is the point of the test, so let it start first.
    while (updates.load() == 0) std::this_thread::yield();
    for (int round = 0; round < 20; ++round) {
        EXPECT_EQ(PlaySource(), S_OK);
        Render(0.01);
        StopSource();
        EXPECT_EQ(Load(path), S_OK);
    }
    running.store(false);
    updater.join();
    EXPECT_GT(updates.load(), 0);
    // The last position sent reached the buffer with the load's own record around it.
    ASSERT_NE(g_pDS3DBuffer, nullptr);
    DS3DBUFFER sent{};
    sent.dwSize = sizeof sent;
    ASSERT_EQ(g_pDS3DBuffer->GetAllParameters(&sent), DS_OK);
    EXPECT_EQ(sent.dwMode, DS3DMODE_HEADRELATIVE);
    EXPECT_EQ(sent.vPosition.x, g_dsBufferParams.vPosition.x);
}

}  // namespace
