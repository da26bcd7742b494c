// The skin's palette: the colours the artwork is painted in (tools/artgen) and the native
// controls are drawn in over it (through the process's system colours), so the two cannot
// drift apart. Plain values: the program and the painting tool both read them.
#pragma once

namespace skin_colors {

struct Rgb {
    unsigned char r, g, b;
};

// Surfaces, darkest first: a dark slate theme...
inline constexpr Rgb kWindow{15, 19, 27};
inline constexpr Rgb kFrame{44, 54, 72};
inline constexpr Rgb kPanel{24, 30, 41};
inline constexpr Rgb kFace{36, 44, 59};
inline constexpr Rgb kFaceTop{44, 53, 70};
inline constexpr Rgb kEdge{55, 67, 88};
inline constexpr Rgb kField{13, 17, 24};
inline constexpr Rgb kFloor{17, 23, 33};
inline constexpr Rgb kGrid{28, 37, 52};
inline constexpr Rgb kWall{63, 78, 102};
inline constexpr Rgb kStrip{31, 39, 53};

// ...and ink, with a sky-blue accent.
inline constexpr Rgb kInk{200, 212, 228};
inline constexpr Rgb kMuted{122, 140, 166};
inline constexpr Rgb kAccent{56, 189, 248};
inline constexpr Rgb kAccentDeep{10, 56, 84};
inline constexpr Rgb kLit{236, 248, 255};
inline constexpr Rgb kGo{74, 222, 128};
inline constexpr Rgb kHalt{248, 113, 113};
inline constexpr Rgb kGlow{255, 176, 32};
inline constexpr Rgb kGlowHot{255, 244, 200};
inline constexpr Rgb kSkin{232, 214, 196};

}  // namespace skin_colors
