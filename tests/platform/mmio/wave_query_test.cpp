#include <gtest/gtest.h>

#include "platform/mmio/mmsystem.h"
#include "tests/support/pcm_wav.h"

namespace {

WAVEFORMATEX Pcm(WORD channels, DWORD rate, WORD bits) { return sound_testing::PcmFormat(rate, channels, bits); }

MMRESULT Query(const WAVEFORMATEX& f) { return waveOutOpen(nullptr, WAVE_MAPPER, &f, 0, 0, WAVE_FORMAT_QUERY); }

WAVEFORMATEXTENSIBLE Extensible(WORD channels, WORD bits, DWORD subFormat = 1) {
    WAVEFORMATEXTENSIBLE f{Pcm(channels, 48000, bits), bits, 0, KSDATAFORMAT_SUBTYPE_PCM};
    f.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
    f.Format.cbSize = 22;
    f.SubFormat.Data1 = subFormat;
    return f;
}

TEST(WaveOutQueryTest, AcceptsEveryPlayablePcmLayout) {
    for (WORD channels : {1, 2})
        for (WORD bits : {8, 16, 24, 32})
            for (DWORD rate : {8000u, 11025u, 22050u, 44100u, 48000u, 96000u}) {
                SCOPED_TRACE(testing::Message() << channels << "ch " << bits << "bit " << rate);
                EXPECT_EQ(Query(Pcm(channels, rate, bits)), MMSYSERR_NOERROR);
            }
    WAVEFORMATEX withExtra = Pcm(2, 44100, 16);
    withExtra.cbSize = 0x1234;  // the probe may pass whatever followed the 16 bytes
    EXPECT_EQ(Query(withExtra), MMSYSERR_NOERROR);
    // Extensible integer PCM, as tools write anything beyond 16 bits or two channels.
    for (WORD channels : {1, 2, 6, 8})
        for (WORD bits : {16, 24, 32}) EXPECT_EQ(Query(Extensible(channels, bits).Format), MMSYSERR_NOERROR);
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
        {"12 bits", Pcm(2, 44100, 12)},
        {"float", with([](WAVEFORMATEX& f) { f.wFormatTag = WAVE_FORMAT_IEEE_FLOAT; })},
        {"4 bits", Pcm(1, 44100, 4)},
        {"rate too low", Pcm(1, 7999, 16)},
        {"rate too high", Pcm(1, 96001, 16)},
        {"all zero", WAVEFORMATEX{}},
        {"wrong block align", with([](WAVEFORMATEX& f) { f.nBlockAlign = 2; })},
        {"wrong average rate", with([](WAVEFORMATEX& f) { f.nAvgBytesPerSec += 1; })},
    };
    for (const Case& c : cases) EXPECT_EQ(Query(c.f), WAVERR_BADFORMAT) << c.what;
    // Extensible float, a record cut before its sub-format, nine channels.
    WAVEFORMATEXTENSIBLE cut = Extensible(2, 24);
    cut.Format.cbSize = 21;
    for (const auto& f : {Extensible(2, 32, 3), cut, Extensible(9, 16)}) EXPECT_EQ(Query(f.Format), WAVERR_BADFORMAT);
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
