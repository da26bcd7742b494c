#include "panels/position_pad.h"

#include "skin/skin_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// Far outside any room, yet far from the ends of 64 bits: a truncated product clamped
// to this changes nothing that the room can show, and sums of a few of them stay exact.
constexpr double kFarAway = 1099511627776.0;  // 2^40

// An infinite factor times a zero span is no distance at all.
std::int64_t Truncated(double v) {
    return std::isnan(v) ? 0 : static_cast<std::int64_t>(std::clamp(v, -kFarAway, kFarAway));
}

// Edges beyond the room's by more than one pixel mean the same to the intersection as
// edges one pixel beyond, and they fit a RECT.
LONG Near(std::int64_t edge, LONG low, LONG high) {
    return static_cast<LONG>(std::clamp<std::int64_t>(edge, std::int64_t{low} - 1, std::int64_t{high} + 1));
}

}  // namespace

// A path point can be anywhere, infinite or not a number: the arithmetic runs in 64 bits
// over clamped products, so a point outside the room ends as such a point must, trimmed
// by the room or empty, never as an overflow. A point that is not a number is nowhere.
RECT ComputeSpriteRect(const RECT& room, const RECT& sprite, float x, float y, float z) {
    RECT trimmed{0, 0, 0, 0};
    if (std::isnan(x) || std::isnan(y) || std::isnan(z)) return trimmed;
    const std::int64_t w = std::int64_t{sprite.right} - sprite.left;
    const std::int64_t h = std::int64_t{sprite.bottom} - sprite.top;
    const std::int64_t roomW = std::int64_t{room.right} - room.left;
    const std::int64_t roomH = std::int64_t{room.bottom} - room.top;
    const double fx = (static_cast<double>(x) + 1.0) * 0.5;
    const double fz = (1.0 - static_cast<double>(z)) * 0.5;

    std::int64_t left = room.left + Truncated(static_cast<double>(roomW - w) * fx);
    std::int64_t right = left + w;
    std::int64_t top = room.top + Truncated(static_cast<double>(roomH - h) * fz);
    std::int64_t bottom = top + h;

    if (y != 0.0f) {
        const std::int64_t cx = (left + right) / 2;
        const std::int64_t cy = (top + bottom) / 2;
        const std::int64_t scaledW = w + Truncated(static_cast<double>(w) * y);
        const std::int64_t scaledH = h + Truncated(static_cast<double>(h) * y);
        left = cx - (scaledW >> 1);
        right = left + scaledW;
        top = cy - (scaledH >> 1);
        bottom = top + scaledH;
    }

    const RECT placed{Near(left, room.left, room.right), Near(top, room.top, room.bottom),
                      Near(right, room.left, room.right), Near(bottom, room.top, room.bottom)};
    IntersectRect(&trimmed, &placed, &room);
    return trimmed;
}

int SpeakerImageRegion(DWORD speakerConfig) {
    switch (DSSPEAKER_CONFIG(speakerConfig)) {
    case DSSPEAKER_HEADPHONE: return skin_region::kImageHeadphones;
    case DSSPEAKER_STEREO: return skin_region::kImageStereo;
    case DSSPEAKER_QUAD:
    case DSSPEAKER_SURROUND: return skin_region::kImageFour;
    // The skin has no picture for 7.1: six speakers with the surround badge come nearest,
    // where keeping the last picture would show what is no longer there.
    case DSSPEAKER_5POINT1:
    case DSSPEAKER_7POINT1: return skin_region::kImageSix;
    default: return skin_region::kIndicator;
    }
}
