#include <gtest/gtest.h>

#include "platform/mmio/mmsystem.h"
#include "tests/support/pcm_wav.h"

namespace {

WAVEFORMATEX Pcm(WORD channels, DWORD rate, WORD bits) { return sound_testing::PcmFormat(rate, channels, bits); }

MMRESULT Query(const WAVEFORMATEX& f) { return waveOutOpen(nullptr, WAVE_MAPPER, &f, 0, 0, WAVE_FORMAT_QUERY); }

TEST(WaveOutQueryTest, AcceptsEveryPlayablePcmLayout) {
    for (WORD channels : {1, 2})
        for (WORD bits : {8, 16})
            for (DWORD rate : {8000u, 11025u, 22050u, 44100u, 48000u, 96000u}) {
                SCOPED_TRACE(testing::Message() << channels << "ch " << bits << "bit " << rate);
                EXPECT_EQ(Query(Pcm(channels, rate, bits)), MMSYSERR_NOERROR);
            }
    WAVEFORMATEX withExtra = Pcm(2, 44100, 16);
    withExtra.cbSize = 0x1234;  // the probe may pass whatever followed the 16 bytes
    EXPECT_EQ(Query(withExtra), MMSYSERR_NOERROR);
}

TEST(WaveOutQueryTest, RejectsWhatCannotBePlayed) {
    struct Case {
        const char* what;
        WAVEFORMATEX f;
    };
    WAVEFORMATEX base = Pcm(2, 44100, 16);
    auto with = [&](auto change) {
        WAVEFORMATEX f = base;
        change(f);
        return f;
    };
    const Case cases[] = {
        {"not PCM", with([](WAVEFORMATEX& f) { f.wFormatTag = 2; })},
        {"no channels", Pcm(0, 44100, 16)},
        {"three channels", Pcm(3, 44100, 16)},
        {"24 bits", Pcm(2, 44100, 24)},
        {"4 bits", Pcm(1, 44100, 4)},
        {"rate too low", Pcm(1, 7999, 16)},
        {"rate too high", Pcm(1, 96001, 16)},
        {"all zero", WAVEFORMATEX{}},
        {"wrong block align", with([](WAVEFORMATEX& f) { f.nBlockAlign = 2; })},
        {"wrong average rate", with([](WAVEFORMATEX& f) { f.nAvgBytesPerSec += 1; })},
    };
    for (const Case& c : cases) EXPECT_EQ(Query(c.f), WAVERR_BADFORMAT) << c.what;
}

TEST(WaveOutQueryTest, OnlyTheQueryIsOffered) {
    WAVEFORMATEX f = Pcm(2, 44100, 16);
    HWAVEOUT out = reinterpret_cast<HWAVEOUT>(&f);
    EXPECT_EQ(waveOutOpen(&out, WAVE_MAPPER, &f, 0, 0, 0), MMSYSERR_ERROR);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(waveOutOpen(nullptr, 0, &f, 0, 0, WAVE_FORMAT_QUERY), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutOpen(nullptr, 3, &f, 0, 0, WAVE_FORMAT_QUERY), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(waveOutOpen(nullptr, WAVE_MAPPER, nullptr, 0, 0, WAVE_FORMAT_QUERY), MMSYSERR_INVALPARAM);
}

}  // namespace
