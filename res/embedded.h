// The binary files built into the executable: the skin bitmaps and the icon, as BMP bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zor_res {

extern const std::uint8_t kMainBmp[];
extern const std::size_t kMainBmpSize;
extern const std::uint8_t kPanelBmp[];
extern const std::size_t kPanelBmpSize;
extern const std::uint8_t kSheetBmp[];
extern const std::size_t kSheetBmpSize;
extern const std::uint8_t kAppIconBmp[];
extern const std::size_t kAppIconBmpSize;

struct EmbeddedFile {
    unsigned id;
    const std::uint8_t* data;
    std::size_t size;
};

// Bitmaps 129, 130 and 131, in that order.
const EmbeddedFile* Bitmaps(std::size_t* count);
EmbeddedFile AppIcon();

}  // namespace zor_res
