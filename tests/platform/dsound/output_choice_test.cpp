// Whether the output renders binaural: OpenAL Soft's settings as the user wrote them win
// over the listener's choice, which wins over what the output is.
#include <gtest/gtest.h>

#include "platform/dsound/output_choice.h"

namespace {

using dsound_detail::AlsoftSettings;
using dsound_detail::ParseAlsoftSettings;
using dsound_detail::WantsHrtf;

TEST(OutputChoice, TheUsersSettingsAreReadAsOpenAlSoftReadsThem) {
    AlsoftSettings s;
    // Keys before any section are general ones; other sections' keys are not; case and
    // quotes do not matter; a comment is no value.
    ParseAlsoftSettings("HRTF = \"True\"\n[pulse]\nstereo-mode = headphones\n#stereo-mode = speakers\n", &s);
    EXPECT_EQ(s.hrtf, std::optional<bool>(true));
    EXPECT_FALSE(s.headphones.has_value());
    // A later file wins; "auto" takes a value back.
    ParseAlsoftSettings("[General]\n  stereo-mode=speakers\nhrtf = auto\n", &s);
    EXPECT_FALSE(s.hrtf.has_value());
    EXPECT_EQ(s.headphones, std::optional<bool>(false));
}

TEST(OutputChoice, TheUserWinsOverTheChoiceWhichWinsOverTheOutput) {
    using SR = SoundRendering;
    const AlsoftSettings none;
    EXPECT_TRUE(WantsHrtf(SR::Automatic, none, true));
    EXPECT_FALSE(WantsHrtf(SR::Automatic, none, false));
    EXPECT_TRUE(WantsHrtf(SR::Headphones, none, false));
    EXPECT_FALSE(WantsHrtf(SR::Speakers, none, true));
    AlsoftSettings speakersMode;
    speakersMode.headphones = false;
    EXPECT_FALSE(WantsHrtf(SR::Headphones, speakersMode, true));
    AlsoftSettings hrtfOn = speakersMode;
    hrtfOn.hrtf = true;
    EXPECT_TRUE(WantsHrtf(SR::Speakers, hrtfOn, false));
}

}  // namespace
