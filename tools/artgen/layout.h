// Where each picture lies in the three skin bitmaps and where the skin shows it on screen.
// A region is copied with its DESTINATION's size starting at the source's top-left corner,
// so every picture is painted into a destination-sized box from that corner.
#pragma once

#include <QPoint>
#include <QRect>

#include <array>

namespace artgen {

// Rectangles are written as the skin writes them: left, top, right, bottom (exclusive).
constexpr QRect Ltrb(int l, int t, int r, int b) { return QRect(QPoint(l, t), QPoint(r - 1, b - 1)); }

constexpr QSize kMainSize(640, 455);
constexpr QSize kPanelSize(294, 406);
constexpr QSize kSheetSize(473, 500);

// Main window (bitmap 131).
constexpr QRect kTitleStrip = Ltrb(7, 7, 631, 43);
constexpr QRect kPanelDest = Ltrb(4, 50, 290, 442);   // control panel child window
constexpr QRect kPadDest = Ltrb(305, 51, 616, 443);   // position pad child window

// Control panel background (bitmap 129): shown from (4, 7) at the panel's origin.
constexpr QPoint kPanelSource(4, 7);
// A bitmap-129 pixel p appears on screen at p + kPanelShift.
constexpr QPoint kPanelShift = kPanelDest.topLeft() - kPanelSource;

enum class Glyph {
    Notes, Drum, Helicopter, HighHeel, Star,
    Custom, ListField, Add, Remove,
    Hand, HorizontalCircle, VerticalCircle, FlyBy, Insect,
    Bathroom, ConcertHall, SewerPipe, Ktv, Underwater, Hangar,
    Play, Stop,
};

struct Button {
    int region;
    Glyph glyph;
    QRect dest;          // on screen
    QPoint normalSrc;    // corner in bitmap 129
    QPoint selectedSrc;  // corner in bitmap 130; (-1, -1) when it has no selected look
    int coveredBy;       // region whose destination hides this picture's copy in the background
};

constexpr QPoint kNoSelection(-1, -1);

constexpr std::array<Button, 22> kButtons{{
    {2, Glyph::Notes, Ltrb(23, 105, 61, 144), {20, 60}, {5, 405}, 2},
    {3, Glyph::Drum, Ltrb(72, 104, 110, 144), {69, 59}, {46, 405}, 3},
    {4, Glyph::Helicopter, Ltrb(122, 104, 160, 144), {121, 59}, {89, 406}, 4},
    {5, Glyph::HighHeel, Ltrb(171, 104, 209, 144), {170, 59}, {133, 406}, 5},
    {6, Glyph::Star, Ltrb(220, 104, 258, 144), {220, 60}, {427, 403}, 6},
    {7, Glyph::Custom, Ltrb(21, 149, 102, 174), {20, 105}, {328, 373}, 7},
    {8, Glyph::ListField, Ltrb(109, 151, 214, 169), {108, 107}, kNoSelection, 8},
    {9, Glyph::Add, Ltrb(219, 150, 240, 170), {218, 107}, {263, 450}, 9},
    {10, Glyph::Remove, Ltrb(241, 150, 262, 170), {240, 107}, {290, 450}, 10},
    {11, Glyph::Hand, Ltrb(31, 237, 68, 275), {31, 194}, {178, 408}, 11},
    // The panel bitmap holds the horizontal icon third and the vertical one second, so
    // each of these two is hidden in the background by the other's button.
    {12, Glyph::HorizontalCircle, Ltrb(76, 237, 112, 275), {122, 194}, {221, 408}, 13},
    {13, Glyph::VerticalCircle, Ltrb(122, 237, 159, 275), {75, 194}, {261, 406}, 12},
    {14, Glyph::FlyBy, Ltrb(167, 237, 204, 275), {166, 193}, {7, 450}, 14},
    {15, Glyph::Insect, Ltrb(212, 237, 249, 275), {211, 193}, {48, 449}, 15},
    {16, Glyph::Bathroom, Ltrb(22, 331, 60, 371), {21, 287}, {89, 449}, 16},
    {17, Glyph::ConcertHall, Ltrb(63, 331, 101, 371), {62, 286}, {133, 448}, 17},
    {18, Glyph::SewerPipe, Ltrb(108, 331, 146, 371), {107, 286}, {218, 446}, 18},
    {19, Glyph::Ktv, Ltrb(149, 331, 187, 371), {150, 286}, {432, 360}, 19},
    {20, Glyph::Underwater, Ltrb(190, 331, 228, 371), {191, 286}, {385, 403}, 20},
    {21, Glyph::Hangar, Ltrb(231, 331, 270, 371), {232, 286}, {397, 448}, 21},
    {22, Glyph::Play, Ltrb(72, 394, 133, 427), {73, 350}, {306, 409}, 22},
    {23, Glyph::Stop, Ltrb(150, 394, 211, 427), {151, 350}, {325, 453}, 23},
}};

const Button& ButtonOfRegion(int region);

// The part of a button's destination-sized box (relative to its source corner) that the
// picture may use: the panel background shows the same bitmap pixels somewhere else, and
// that copy must fall inside a destination that a button draw paints over.
QRect ArtBox(const Button& button);

// Section captions of the panel, in bitmap-129 coordinates.
constexpr int kCaptionSourceY = 38;
constexpr int kCaptionPathY = 176;
constexpr int kCaptionEnvironmentY = 267;

// Position pad and its parts (bitmap 130). The pad background shows from (4, 5).
constexpr QRect kPadSource = Ltrb(4, 5, 317, 397);
constexpr QPoint kPadShift = kPadDest.topLeft() - kPadSource.topLeft();
constexpr QRect kIndicatorStrip = Ltrb(117, 30, 317, 53);
constexpr QRect kIndicatorDest = Ltrb(423, 76, 616, 99);
constexpr int kIndicatorImageHeight = 22;  // region 26 is 22 rows high
constexpr QRect kRoomSource = Ltrb(4, 53, 317, 366);
constexpr QRect kRoomDest = Ltrb(305, 99, 616, 412);
constexpr QRect kExitSource = Ltrb(238, 371, 309, 392);
constexpr QRect kExitDest = Ltrb(540, 418, 610, 438);
constexpr QRect kBadgeSource = Ltrb(332, 212, 384, 228);
constexpr QRect kBadgeDest = Ltrb(559, 78, 613, 97);
constexpr QRect kSpriteSource = Ltrb(340, 247, 354, 261);
constexpr QRect kMaskSource = Ltrb(372, 247, 386, 261);
constexpr QRect kSpriteDest = Ltrb(330, 126, 344, 140);

enum class Speakers { Headphones, Stereo, Quad, FivePointOne };

struct SpeakerImage {
    Speakers kind;
    QRect source;  // where the picture starts
    int width;     // the width the indicator gives it (its region's destination width)
};

constexpr std::array<SpeakerImage, 4> kSpeakerImages{{
    {Speakers::Headphones, Ltrb(332, 184, 443, 205), 111},
    {Speakers::Stereo, Ltrb(329, 32, 460, 55), 132},
    {Speakers::Quad, Ltrb(331, 155, 459, 179), 128},
    {Speakers::FivePointOne, Ltrb(330, 126, 458, 149), 127},
}};

}  // namespace artgen
