// With no OpenAL back end at all there is no output: the device cannot be created.
#include <gtest/gtest.h>

#include "platform/dsound/dsound.h"
#include "tests/support/dsound_hooks.h"

TEST(NoOutput, DirectSoundCreateReportsNoDriverAndCreatesNothing) {
    IDirectSound* ds = reinterpret_cast<IDirectSound*>(1);
    EXPECT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(ds, nullptr);
    EXPECT_EQ(dsound_test::LiveObjectCount(), 0);
    EXPECT_TRUE(dsound_test::RenderFrames(16).empty());
}
