// What the listener hears: panning, distance attenuation, doppler pitch, looping.
#include <gtest/gtest.h>

#include "tests/platform/dsound/loopback_device.h"

namespace {

using namespace sound_testing;

const WAVEFORMATEX kMono16 = PcmFormat(kLoopbackRate, 1, 16);

struct Levels {
    double left;
    double right;
};

// Renders a second of a steady tone at the position and measures the last half.
Levels LevelsAt(LoopbackDevice& dev, D3DVECTOR position, float minDistance = 1.0f, float maxDistance = 1e9f) {
    IDirectSoundBuffer* b = dev.MakeBuffer(kMono16, Tone(kMono16, 500.0, 1.0));
    EXPECT_NE(b, nullptr);
    if (!b) return {0, 0};
    LoopbackDevice::Place(b, position, {0, 0, 0}, minDistance, maxDistance);
    EXPECT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    const std::vector<float> out = LoopbackDevice::Render(1.0);
    b->Release();
    const std::size_t half = kLoopbackRate / 2;
    return {Rms(out, 2, 0, half, half), Rms(out, 2, 1, half, half)};
}

// Reads the listener, lets change() alter it, and writes it back at once.
template <typename Change>
bool ChangeListener(LoopbackDevice& dev, Change change) {
    DS3DLISTENER l{};
    l.dwSize = sizeof l;
    if (dev.listener->GetAllParameters(&l) != DS_OK) return false;
    change(l);
    return dev.listener->SetAllParameters(&l, DS3D_IMMEDIATE) == DS_OK;
}

TEST(SpatialRender, SideSourcesAreLouderInTheirEarAndAheadIsBalanced) {
    LoopbackDevice dev;
    const Levels right = LevelsAt(dev, {3, 0, 0});
    const Levels left = LevelsAt(dev, {-3, 0, 0});
    const Levels ahead = LevelsAt(dev, {0, 0, 3});
    EXPECT_GT(right.right, 2.0 * right.left);
    EXPECT_GT(left.left, 2.0 * left.right);
    EXPECT_GT(ahead.left, 0.01);
    EXPECT_NEAR(Decibels(ahead.left / ahead.right), 0.0, 0.5);
}

TEST(SpatialRender, BehindAndAheadAreNotConfusedWithLeftAndRight) {
    // The z axis turns round between the API and OpenAL; a source behind must still be
    // balanced, and x must keep its side whatever z does.
    LoopbackDevice dev;
    const Levels behind = LevelsAt(dev, {0, 0, -3});
    const Levels rightBehind = LevelsAt(dev, {3, 0, -3});
    EXPECT_NEAR(Decibels(behind.left / behind.right), 0.0, 0.5);
    EXPECT_GT(rightBehind.right, 1.5 * rightBehind.left);
}

TEST(SpatialRender, DoublingTheDistanceCostsSixDecibelsUntilTheMaximumDistance) {
    LoopbackDevice dev;
    const Levels at1 = LevelsAt(dev, {0, 0, 1}, 1.0f, 4.0f);
    const Levels at2 = LevelsAt(dev, {0, 0, 2}, 1.0f, 4.0f);
    const Levels at8 = LevelsAt(dev, {0, 0, 8}, 1.0f, 4.0f);
    const Levels at16 = LevelsAt(dev, {0, 0, 16}, 1.0f, 4.0f);
    EXPECT_NEAR(Decibels(at2.left / at1.left), -6.02, 0.5);
    EXPECT_NEAR(Decibels(at8.left / at1.left), -12.04, 0.5);  // clamped at 4 units
    EXPECT_NEAR(Decibels(at16.left / at8.left), 0.0, 0.2);
}

// A buffer sends OpenAL only what changed in its record: every change must still be
// heard on the same buffer, a mode change included, and the way back too.
TEST(SpatialRender, OneBufferFollowsEveryChangeOfItsRecord) {
    LoopbackDevice dev;
    IDirectSoundBuffer* b = dev.MakeBuffer(kMono16, Tone(kMono16, 500.0, 1.0));
    ASSERT_NE(b, nullptr);
    IDirectSound3DBuffer* b3d = LoopbackDevice::As3D(b);
    ASSERT_NE(b3d, nullptr);
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    const auto levels = [&] {
        const std::vector<float> out = LoopbackDevice::Render(0.5);
        const std::size_t tail = kLoopbackRate / 4;
        return Levels{Rms(out, 2, 0, tail, tail), Rms(out, 2, 1, tail, tail)};
    };
    const auto change = [&](auto edit) {
        DS3DBUFFER p{};
        p.dwSize = sizeof p;
        ASSERT_EQ(b3d->GetAllParameters(&p), DS_OK);
        edit(p);
        ASSERT_EQ(b3d->SetAllParameters(&p, DS3D_IMMEDIATE), DS_OK);
    };

    LoopbackDevice::Place(b, {4, 0, 0}, {0, 0, 0}, 1.0f, 100.0f);
    const Levels right = levels();
    change([](DS3DBUFFER& p) { p.dwMode = DS3DMODE_DISABLE; });  // in the head
    const Levels centred = levels();
    change([](DS3DBUFFER& p) { p.dwMode = DS3DMODE_HEADRELATIVE; });
    const Levels rightAgain = levels();
    change([](DS3DBUFFER& p) { p.flMinDistance = 4.0f; });  // only the distance
    const Levels nearer = levels();
    change([](DS3DBUFFER& p) { p.vPosition = {-4, 0, 0}; });  // only the position
    const Levels left = levels();
    b3d->Release();
    b->Release();

    EXPECT_GT(right.right, 2.0 * right.left);
    EXPECT_NEAR(Decibels(centred.left / centred.right), 0.0, 0.5);
    EXPECT_GT(centred.right, 2.0 * right.right) << "four units away, then none";
    EXPECT_NEAR(Decibels(rightAgain.right / right.right), 0.0, 0.5);
    EXPECT_NEAR(Decibels(nearer.right / rightAgain.right), 12.04, 1.0);
    EXPECT_GT(left.left, 2.0 * left.right);
    EXPECT_NEAR(Decibels(left.left / nearer.right), 0.0, 0.5);
}

TEST(SpatialRender, ListenerRolloffScalesTheDistanceLoss) {
    LoopbackDevice dev;
    ASSERT_TRUE(ChangeListener(dev, [](DS3DLISTENER& l) { l.flRolloffFactor = 0.0f; }));
    const Levels near = LevelsAt(dev, {0, 0, 1});
    const Levels far = LevelsAt(dev, {0, 0, 10});
    EXPECT_NEAR(Decibels(far.left / near.left), 0.0, 0.3);
}

TEST(SpatialRender, ApproachingToneIsRaisedByTheDopplerRatio) {
    LoopbackDevice dev;
    IDirectSoundBuffer* b = dev.MakeBuffer(kMono16, Tone(kMono16, 1000.0, 1.0));
    ASSERT_NE(b, nullptr);
    const float speed = 34.33f;  // a tenth of the speed of sound, one metre per unit
    LoopbackDevice::Place(b, {0, 0, 10}, {0, 0, -speed});
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    const std::vector<float> approaching = LoopbackDevice::Render(0.5);
    LoopbackDevice::Place(b, {0, 0, 10}, {0, 0, speed});
    const std::vector<float> receding = LoopbackDevice::Render(0.5);
    b->Release();
    const double c = 343.3;
    const std::size_t skip = kLoopbackRate / 10;
    const std::size_t n = kLoopbackRate / 4;
    EXPECT_NEAR(Frequency(approaching, 2, 0, skip, n, kLoopbackRate), 1000.0 * c / (c - speed), 1000.0 * 0.01);
    EXPECT_NEAR(Frequency(receding, 2, 0, skip, n, kLoopbackRate), 1000.0 * c / (c + speed), 1000.0 * 0.01);
}

TEST(SpatialRender, DistanceFactorKeepsDopplerPhysical) {
    // Ten metres per unit: the same velocity in units is ten times faster in metres.
    LoopbackDevice dev;
    ASSERT_TRUE(ChangeListener(dev, [](DS3DLISTENER& l) { l.flDistanceFactor = 10.0f; }));
    IDirectSoundBuffer* b = dev.MakeBuffer(kMono16, Tone(kMono16, 1000.0, 1.0));
    ASSERT_NE(b, nullptr);
    LoopbackDevice::Place(b, {0, 0, 10}, {0, 0, -3.433f});
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    const std::vector<float> out = LoopbackDevice::Render(0.5);
    b->Release();
    EXPECT_NEAR(Frequency(out, 2, 0, 4410, 11025, kLoopbackRate), 1000.0 * 343.3 / (343.3 - 34.33), 10.0);
}

TEST(SpatialRender, ShortLoopPlaysWithoutGaps) {
    LoopbackDevice dev;
    // 0.25 s holds exactly 250 cycles of 1 kHz at 44.1 kHz, so the loop joins seamlessly.
    IDirectSoundBuffer* b = dev.MakeBuffer(kMono16, Tone(kMono16, 1000.0, 0.25));
    ASSERT_NE(b, nullptr);
    LoopbackDevice::Place(b, {0, 0, 1});
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    const std::vector<float> out = LoopbackDevice::Render(1.0);
    DWORD status = 0;
    EXPECT_EQ(b->GetStatus(&status), DS_OK);
    EXPECT_TRUE(status & DSBSTATUS_PLAYING);
    b->Release();
    const std::size_t window = kLoopbackRate / 500;  // 2 ms
    const double steady = Rms(out, 2, 0, window * 10, kLoopbackRate / 2);
    ASSERT_GT(steady, 0.01);
    for (std::size_t start = window * 10; start + window < out.size() / 2; start += window)
        ASSERT_GT(Rms(out, 2, 0, start, window), 0.7 * steady) << "gap at frame " << start;
}

TEST(SpatialRender, StereoClipIsMixedDownAndPositioned) {
    LoopbackDevice dev;
    const WAVEFORMATEX stereo = PcmFormat(22050, 2, 8);
    // Only the left channel carries sound; positioned to the right it must come out
    // right, at half the amplitude of the channel.
    const auto data = MakePcm(stereo, 22050, [](std::size_t i, int c) {
        return c == 0 ? 0.8 * std::sin(2.0 * kPi * 500.0 * static_cast<double>(i) / 22050.0) : 0.0;
    });
    IDirectSoundBuffer* b = dev.MakeBuffer(stereo, data);
    ASSERT_NE(b, nullptr);
    LoopbackDevice::Place(b, {3, 0, 0});
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    const std::vector<float> out = LoopbackDevice::Render(0.5);
    b->Release();
    EXPECT_GT(Rms(out, 2, 1, 4410, 11025), 2.0 * Rms(out, 2, 0, 4410, 11025));
    EXPECT_GT(Rms(out, 2, 1, 4410, 11025), 0.02);
}

TEST(SpatialRender, SetCurrentPositionWhilePlayingRestartsAtOnce) {
    LoopbackDevice dev;
    // A tenth of a second of tone, then silence: only a restart brings the tone back.
    const auto data = MakePcm(kMono16, kLoopbackRate, [](std::size_t i, int) {
        return i < kLoopbackRate / 10 ? 0.5 * std::sin(2.0 * kPi * 500.0 * static_cast<double>(i) / kLoopbackRate)
                                      : 0.0;
    });
    IDirectSoundBuffer* b = dev.MakeBuffer(kMono16, data);
    ASSERT_NE(b, nullptr);
    LoopbackDevice::Place(b, {0, 0, 1});
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    const std::vector<float> first = LoopbackDevice::Render(0.5);
    EXPECT_GT(Rms(first, 2, 0, 0, kLoopbackRate / 20), 0.05);
    EXPECT_LT(Rms(first, 2, 0, kLoopbackRate / 5, kLoopbackRate / 4), 1e-4);
    ASSERT_EQ(b->SetCurrentPosition(0), DS_OK);
    const std::vector<float> again = LoopbackDevice::Render(0.05);
    EXPECT_GT(Rms(again, 2, 0, 0, kLoopbackRate / 20), 0.05);

    // Stop keeps the position; rewinding and playing starts from the beginning.
    ASSERT_EQ(b->Stop(), DS_OK);
    DWORD status = 1;
    EXPECT_EQ(b->GetStatus(&status), DS_OK);
    EXPECT_EQ(status & DSBSTATUS_PLAYING, 0u);
    EXPECT_LT(Rms(LoopbackDevice::Render(0.1), 2, 0, kLoopbackRate / 50, kLoopbackRate / 20), 1e-4);  // faded
    ASSERT_EQ(b->SetCurrentPosition(0), DS_OK);
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_GT(Rms(LoopbackDevice::Render(0.05), 2, 0, 0, kLoopbackRate / 20), 0.05);
    b->Release();
}

}  // namespace

TEST(SpatialRender, AChangeOfOutputCarriesThePlayingSoundAcrossWhereItWas) {
    LoopbackDevice dev;
    // Half a second of 500 Hz, then half a second of 1 kHz: where the clip is can be heard.
    IDirectSoundBuffer* playing = dev.MakeBuffer(kMono16, MakePcm(kMono16, kLoopbackRate, [](std::size_t i, int) {
        return 0.5 * std::sin(2.0 * kPi * (i < kLoopbackRate / 2 ? 500.0 : 1000.0) * static_cast<double>(i) / kLoopbackRate);
    }));
    IDirectSoundBuffer* stopped = dev.MakeBuffer(kMono16, Tone(kMono16, 300.0, 0.5));
    ASSERT_TRUE(playing && stopped);
    LoopbackDevice::Place(playing, {3, 0, 0});
    ASSERT_EQ(playing->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    ASSERT_EQ(stopped->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    ASSERT_EQ(stopped->Stop(), DS_OK);
    const std::vector<float> before = LoopbackDevice::Render(0.4);

    ASSERT_TRUE(dsound_test::SimulateOutputChange());
    // 0.4 s into the clip, it goes on into its second half, on the right, as loud as before.
    const std::vector<float> after = LoopbackDevice::Render(0.3);
    const auto level = [](const std::vector<float>& out, int ear) {
        return Rms(out, 2, ear, kLoopbackRate / 5, kLoopbackRate / 10);
    };
    EXPECT_NEAR(Frequency(after, 2, 1, kLoopbackRate / 5, kLoopbackRate / 10, kLoopbackRate), 1000.0, 20.0);
    EXPECT_GT(level(after, 1), 2.0 * level(after, 0));
    EXPECT_NEAR(Decibels(level(after, 1) / level(before, 1)), 0.0, 1.0);
    DWORD status = 0;
    ASSERT_EQ(stopped->GetStatus(&status), DS_OK);
    EXPECT_EQ(status & (DSBSTATUS_PLAYING | DSBSTATUS_BUFFERLOST), 0u) << "a stopped sound stays stopped";
    ASSERT_EQ(playing->GetStatus(&status), DS_OK);
    EXPECT_EQ(status & (DSBSTATUS_PLAYING | DSBSTATUS_BUFFERLOST), DSBSTATUS_PLAYING);
    playing->Release();
    stopped->Release();
}
