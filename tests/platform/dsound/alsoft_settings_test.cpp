// OpenAL Soft's settings as the user wrote them: they decide Automatic, and the user's own
// stream size is left alone.
#include <gtest/gtest.h>

#include "platform/dsound/alsoft_settings.h"

namespace {

using dsound_detail::AlsoftSettings;
using dsound_detail::ParseAlsoftSettings;

TEST(AlsoftSettings, TheUsersSettingsAreReadAsOpenAlSoftReadsThem) {
    AlsoftSettings s;
    // Keys before any section are general ones; other sections' keys are not; case and
    // quotes do not matter; a comment is no value.
    ParseAlsoftSettings("HRTF = \"True\"\n[pulse]\nstereo-mode = headphones\n#stereo-mode = speakers\n", &s);
    EXPECT_EQ(s.hrtf, std::optional<bool>(true));
    EXPECT_FALSE(s.headphones.has_value());
    EXPECT_FALSE(s.sizesStream);
    // A later file wins; "auto" takes a value back.
    ParseAlsoftSettings("[General]\n  stereo-mode=speakers\nhrtf = auto\nperiods = 2\n", &s);
    EXPECT_TRUE(s.sizesStream);
    EXPECT_FALSE(s.hrtf.has_value());
    EXPECT_EQ(s.headphones, std::optional<bool>(false));
}

}  // namespace
