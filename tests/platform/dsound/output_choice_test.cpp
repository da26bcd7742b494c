// OpenAL Soft's settings as the user wrote them, which win over the listener's choice.
#include <gtest/gtest.h>

#include "platform/dsound/alsoft_settings.h"

namespace {

using dsound_detail::AlsoftSettings;
using dsound_detail::ParseAlsoftSettings;

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

}  // namespace
