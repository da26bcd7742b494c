// The BMP decoder on arbitrary bytes: no crash and no read outside the buffer, and a
// bitmap that decodes has the size its header declares.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/gdi/surface.h"
#include "platform/gdi/wingdi.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so the sanitizer sees any read past the end.
    auto* copy = static_cast<std::uint8_t*>(std::malloc(size ? size : 1));
    if (size) std::memcpy(copy, data, size);
    for (bool map : {false, true}) {
        HBITMAP bitmap = gdi::CreateBitmapFromBmp(copy, size, map);
        if (!bitmap) continue;
        BITMAP info{};
        if (GetObjectA(bitmap, sizeof info, &info) != static_cast<int>(sizeof info)) std::abort();
        auto surface = gdi::SurfaceOfBitmap(bitmap);
        if (!surface || surface->width != info.bmWidth || surface->height != info.bmHeight ||
            surface->pixels.size() != static_cast<std::size_t>(info.bmWidth) * info.bmHeight)
            std::abort();
        DeleteObject(bitmap);
    }
    std::free(copy);
    return 0;
}
