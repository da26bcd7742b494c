// Where the pad draws the sprite, for any room, sprite and point (infinite and not a
// number included): never an overflow, and the result is empty or lies inside the room.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "panels/position_pad.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    struct {
        RECT room;
        RECT sprite;
        float x, y, z;
    } in;
    if (size < sizeof in) return 0;
    std::memcpy(&in, data, sizeof in);
    const RECT r = ComputeSpriteRect(in.room, in.sprite, in.x, in.y, in.z);
    if (IsRectEmpty(&r)) {
        if (r.left != 0 || r.top != 0 || r.right != 0 || r.bottom != 0) std::abort();
        return 0;
    }
    if (r.left < in.room.left || r.top < in.room.top || r.right > in.room.right || r.bottom > in.room.bottom)
        std::abort();
    return 0;
}
