#include "panels/position_pad.h"

#include "skin/skin_layout.h"

RECT ComputeSpriteRect(const RECT& room, const RECT& sprite, float x, float y, float z) {
    const int w = sprite.right - sprite.left;
    const int h = sprite.bottom - sprite.top;
    const int roomW = room.right - room.left;
    const int roomH = room.bottom - room.top;
    const double fx = (static_cast<double>(x) + 1.0) * 0.5;
    const double fz = (1.0 - static_cast<double>(z)) * 0.5;

    RECT r;
    r.left = room.left + static_cast<int>(static_cast<double>(roomW - w) * fx);
    r.right = r.left + w;
    r.top = room.top + static_cast<int>(static_cast<double>(roomH - h) * fz);
    r.bottom = r.top + h;

    if (y != 0.0f) {
        const int cx = (r.left + r.right) / 2;
        const int cy = (r.top + r.bottom) / 2;
        const int scaledW = w + static_cast<int>(static_cast<double>(w) * y);
        const int scaledH = h + static_cast<int>(static_cast<double>(h) * y);
        r.left = cx - (scaledW >> 1);
        r.right = r.left + scaledW;
        r.top = cy - (scaledH >> 1);
        r.bottom = r.top + scaledH;
    }

    RECT trimmed;
    IntersectRect(&trimmed, &r, &room);
    return trimmed;
}

int SpeakerImageRegion(DWORD speakerConfig) {
    switch (DSSPEAKER_CONFIG(speakerConfig)) {
    case DSSPEAKER_HEADPHONE: return skin_region::kImageHeadphones;
    case DSSPEAKER_STEREO: return skin_region::kImageStereo;
    case DSSPEAKER_QUAD:
    case DSSPEAKER_SURROUND: return skin_region::kImageFour;
    case DSSPEAKER_5POINT1: return skin_region::kImageSix;
    default: return skin_region::kIndicator;
    }
}
