// The recorded-path reader on well-formed, scattered, oversized and broken files.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "motion/path_file.h"
#include "motion/spatial_player.h"

namespace {

// Heap arrays of exactly the player's capacity, so a write past them is an ASan error.
struct Points {
    std::vector<float> x = std::vector<float>(kMaxPathPoints, 0.0f);
    std::vector<float> y = std::vector<float>(kMaxPathPoints, 0.0f);
    std::vector<float> z = std::vector<float>(kMaxPathPoints, 0.0f);
    int count = -1;
};

Points Read(const std::string& text) {
    Points p;
    std::FILE* f = std::tmpfile();
    EXPECT_NE(f, nullptr);
    std::fwrite(text.data(), 1, text.size(), f);
    std::rewind(f);
    p.count = ReadPathPoints(f, p.x.data(), p.y.data(), p.z.data(), kMaxPathPoints);
    std::fclose(f);
    return p;
}

void ExpectPoint(const Points& p, int i, float x, float y, float z) {
    EXPECT_EQ(p.x[i], x) << "point " << i;
    EXPECT_EQ(p.y[i], y) << "point " << i;
    EXPECT_EQ(p.z[i], z) << "point " << i;
}

std::string Record(int i) {
    return "pt" + std::to_string(i) + " " + std::to_string(i) + " " + std::to_string(-i) + " 25\nx 0 0 0 0\n";
}

TEST(PathFile, TwoPointsInViewUnitsHoweverTheLinesFall) {
    const std::string compact = "My recorded path\n2\nA 25 0 -25\nB 1 2 3 4\nA 0 12.5 0\nB 1 2 3 4\n";
    const std::string scattered = "My\nrecorded\n\n  path 2 A\n25\n0\n\t-25 B 1\n2 3\n4 A 0 12.5\n0 B 1 2\n3 4";
    for (const std::string& text : {compact, scattered}) {
        const Points p = Read(text);
        ASSERT_EQ(p.count, 2);
        ExpectPoint(p, 0, 1.0f, 0.0f, -1.0f);
        ExpectPoint(p, 1, 0.0f, 0.5f, 0.0f);
        ExpectPoint(p, 2, 0.0f, 0.0f, 0.0f);
    }
}

TEST(PathFile, NoOrNegativeCountGivesNoPoints) {
    EXPECT_EQ(Read("").count, 0);
    EXPECT_EQ(Read("a b c").count, 0);
    EXPECT_EQ(Read("a b c 0 A 25 25 25 B 1 2 3 4").count, 0);
    const Points negative = Read("a b c -5 A 25 25 25 B 1 2 3 4");
    EXPECT_EQ(negative.count, 0);
    EXPECT_EQ(negative.x[0], 0.0f);
    EXPECT_EQ(Read("a b c many A 25 25 25").count, 0);
    EXPECT_EQ(ReadPathPoints(nullptr, nullptr, nullptr, nullptr, kMaxPathPoints), 0);
}

TEST(PathFile, ReadingStopsAtTheCapacity) {
    std::string text = "h e ad 1000\n";
    for (int i = 0; i < 1000; ++i) text += Record(i);
    const Points p = Read(text);
    ASSERT_EQ(p.count, kMaxPathPoints);
    ExpectPoint(p, 0, 0.0f, 0.0f, 1.0f);
    ExpectPoint(p, 179, 179 * 0.04f, -179 * 0.04f, 1.0f);

    EXPECT_EQ(Read("h e ad 99999999999999999999999 A 1 1 1").count, kMaxPathPoints);
}

TEST(PathFile, AFileThatEndsEarlyLeavesTheMissingPointsAtZero) {
    const Points p = Read("h e ad 1000\n" + Record(1) + Record(2));
    ASSERT_EQ(p.count, kMaxPathPoints) << "the count is taken as read";
    ExpectPoint(p, 1, 2.0f * 0.04f, -2.0f * 0.04f, 1.0f);
    ExpectPoint(p, 2, 0.0f, 0.0f, 0.0f);
    ExpectPoint(p, 179, 0.0f, 0.0f, 0.0f);

    const Points cut = Read("h e ad 3\nA 25 50 75\nB 1 2 3 4\nA 25 5");
    ASSERT_EQ(cut.count, 3);
    ExpectPoint(cut, 0, 1.0f, 2.0f, 3.0f);
    ExpectPoint(cut, 1, 1.0f, 5.0f * 0.04f, 0.0f);
    ExpectPoint(cut, 2, 0.0f, 0.0f, 0.0f);
}

TEST(PathFile, WordsWhereNumbersBelongStoreNothingForThatRecord) {
    const Points p = Read("h e ad 2\nA 25 oops 75\nB 1 2 3 4\nA 50 50 50\nB 1 2 3 4\n");
    ASSERT_EQ(p.count, 2);
    ExpectPoint(p, 0, 1.0f, 0.0f, 0.0f);
    // Like the formatted reader, the rest of the file is then taken token by token: the
    // second point is the ignored record's numbers.
    ExpectPoint(p, 1, 1.0f * 0.04f, 2.0f * 0.04f, 3.0f * 0.04f);
}

TEST(PathFile, LongWordsAreCutWithoutShiftingTheRecords) {
    const std::string longWord(300, 'w');
    const Points header = Read(longWord + " " + longWord + " " + longWord + " 1 " + longWord + " 25 25 25 " +
                               longWord + " 1 2 3 4");
    ASSERT_EQ(header.count, 1);
    ExpectPoint(header, 0, 1.0f, 1.0f, 1.0f);
    const std::string exact(259, 'e');
    const Points atLimit = Read("a b " + exact + " 1 A -25 0 0 B 1 2 3 4");
    ASSERT_EQ(atLimit.count, 1);
    ExpectPoint(atLimit, 0, -1.0f, 0.0f, 0.0f);
}

TEST(PathFile, NonFiniteCoordinatesBecomeZero) {
    const Points p = Read("h e ad 1 A inf nan 1e40 B 1 2 3 4");
    ASSERT_EQ(p.count, 1);
    ExpectPoint(p, 0, 0.0f, 0.0f, 0.0f);
}

}  // namespace
