// The executable's resource registries and the loading functions over them.
#include "platform/user/resources.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <future>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/user/host.h"

namespace {

struct Blob {
    const std::uint8_t* data;
    std::size_t size;
};

// Bitmaps decoded on a thread of their own before the program asks for them; each is
// handed to the first load of its id with the same flags.
struct DecodedAhead {
    bool map3D = false;  // the one flag that changes what a decoded bitmap holds
    std::map<UINT, std::shared_future<HBITMAP>> images;
    std::thread worker;
};

struct Registry {
    ~Registry() {
        if (ahead.worker.joinable()) ahead.worker.join();
    }
    std::mutex mutex;
    std::map<UINT, Blob> bitmaps;
    DecodedAhead ahead;
    std::map<UINT, Blob> icons;
    std::map<UINT, std::string> strings;
    std::map<UINT, DialogTemplate> dialogs;
    std::map<UINT, HICON> loadedIcons;
    std::deque<user_host::IconImage> iconImages;  // element addresses are the HICONs
};

Registry& R() {
    static Registry registry;
    return registry;
}

UINT IdOf(LPCSTR name) { return static_cast<UINT>(reinterpret_cast<std::uintptr_t>(name)); }

// Decodes an icon BMP into its pixels and mask. Lock held.
HICON MakeIcon(const Blob& blob) {
    HBITMAP bitmap = gdi::CreateBitmapFromBmp(blob.data, blob.size, false);
    if (!bitmap) return nullptr;
    auto surface = gdi::SurfaceOfBitmap(bitmap);
    user_host::IconImage image{0, 0, {}, {}};
    if (surface) {
        std::lock_guard<std::mutex> pixels(surface->mutex);
        image.width = surface->width;
        image.height = surface->height;
        image.pixels.assign(surface->pixels.begin(), surface->pixels.end());
    }
    DeleteObject(bitmap);
    if (image.width <= 0 || image.height <= 0) return nullptr;
    image.mask.resize(image.pixels.size());
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        bool clear = (image.pixels[i] & 0xFFFFFFu) == kIconTransparentColour;
        image.mask[i] = clear ? 0 : 1;
        if (clear) image.pixels[i] = 0;
    }
    R().iconImages.push_back(std::move(image));
    return reinterpret_cast<HICON>(&R().iconImages.back());
}

const user_host::IconImage* ImageOf(HICON icon) {
    for (auto& image : R().iconImages)
        if (reinterpret_cast<HICON>(&image) == icon) return &image;
    return nullptr;
}

}  // namespace

void RegisterBitmapResource(UINT id, const std::uint8_t* bmp, std::size_t size) {
    std::lock_guard<std::mutex> lock(R().mutex);
    R().bitmaps[id] = Blob{bmp, size};
}

void RegisterIconResource(UINT id, const std::uint8_t* bmp, std::size_t size) {
    std::lock_guard<std::mutex> lock(R().mutex);
    R().icons[id] = Blob{bmp, size};
    R().loadedIcons.erase(id);
}

void RegisterStringResource(UINT id, const char* text) {
    std::lock_guard<std::mutex> lock(R().mutex);
    R().strings[id] = text ? text : "";
}

void RegisterDialogTemplate(UINT id, const DialogTemplate& tmpl) {
    std::lock_guard<std::mutex> lock(R().mutex);
    R().dialogs[id] = tmpl;
}

const DialogTemplate* FindDialogTemplate(UINT id) {
    std::lock_guard<std::mutex> lock(R().mutex);
    auto it = R().dialogs.find(id);
    return it == R().dialogs.end() ? nullptr : &it->second;  // map nodes stay where they are
}

void DecodeBitmapResourcesAhead(UINT loadFlags) {
    std::lock_guard<std::mutex> lock(R().mutex);
    DecodedAhead& ahead = R().ahead;
    if (ahead.worker.joinable()) return;
    ahead.map3D = (loadFlags & LR_LOADMAP3DCOLORS) != 0;
    std::vector<std::pair<Blob, std::promise<HBITMAP>>> work;
    for (const auto& [id, blob] : R().bitmaps) {
        work.emplace_back(blob, std::promise<HBITMAP>());
        ahead.images[id] = work.back().second.get_future().share();
    }
    ahead.worker = std::thread([work = std::move(work), map3D = ahead.map3D]() mutable {
        for (auto& [blob, image] : work) image.set_value(gdi::CreateBitmapFromBmp(blob.data, blob.size, map3D));
    });
}

HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int, int, UINT flags) {
    if (!IS_INTRESOURCE(name)) return nullptr;
    if (type == IMAGE_ICON) return LoadIconA(instance, name);
    if (type != IMAGE_BITMAP) return nullptr;
    Blob blob;
    std::shared_future<HBITMAP> decoded;
    {
        std::lock_guard<std::mutex> lock(R().mutex);
        auto it = R().bitmaps.find(IdOf(name));
        if (it == R().bitmaps.end()) return nullptr;
        blob = it->second;
        DecodedAhead& ahead = R().ahead;
        auto early = ahead.images.find(IdOf(name));
        if (early != ahead.images.end() && ahead.map3D == ((flags & LR_LOADMAP3DCOLORS) != 0)) {
            decoded = early->second;
            ahead.images.erase(early);
        }
    }
    if (decoded.valid()) return decoded.get();
    return gdi::CreateBitmapFromBmp(blob.data, blob.size, (flags & LR_LOADMAP3DCOLORS) != 0);
}

int LoadStringA(HINSTANCE, UINT id, LPSTR buffer, int size) {
    if (!buffer || size <= 0) return 0;
    std::lock_guard<std::mutex> lock(R().mutex);
    auto it = R().strings.find(id);
    if (it == R().strings.end()) {
        buffer[0] = '\0';
        return 0;
    }
    int n = std::min<int>(static_cast<int>(it->second.size()), size - 1);
    std::memcpy(buffer, it->second.data(), static_cast<std::size_t>(n));
    buffer[n] = '\0';
    return n;
}

HICON LoadIconA(HINSTANCE, LPCSTR name) {
    if (!IS_INTRESOURCE(name)) return nullptr;
    std::lock_guard<std::mutex> lock(R().mutex);
    UINT id = IdOf(name);
    auto loaded = R().loadedIcons.find(id);
    if (loaded != R().loadedIcons.end()) return loaded->second;  // one shared icon per id
    auto it = R().icons.find(id);
    if (it == R().icons.end()) return nullptr;
    HICON icon = MakeIcon(it->second);
    if (icon) R().loadedIcons[id] = icon;
    return icon;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) {
    user_host::IconImage image;
    if (!dc || !user_host::GetIconImage(icon, &image)) return FALSE;
    // Mask then colour, like the platform's two-pass icon drawing: dst AND mask OR image.
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP maskBits = CreateCompatibleBitmap(dc, image.width, image.height);
    HBITMAP colourBits = CreateCompatibleBitmap(dc, image.width, image.height);
    auto mask = gdi::SurfaceOfBitmap(maskBits);
    auto colour = gdi::SurfaceOfBitmap(colourBits);
    BOOL ok = FALSE;
    if (memory && mask && colour) {
        {
            std::lock_guard<std::mutex> a(mask->mutex);
            std::lock_guard<std::mutex> b(colour->mutex);
            for (std::size_t i = 0; i < image.pixels.size() && i < mask->pixels.size(); ++i) {
                mask->pixels[i] = image.mask[i] ? 0 : 0x00FFFFFFu;
                colour->pixels[i] = image.mask[i] ? image.pixels[i] : 0;
            }
        }
        HGDIOBJ old = SelectObject(memory, maskBits);
        BitBlt(dc, x, y, image.width, image.height, memory, 0, 0, SRCAND);
        SelectObject(memory, colourBits);
        BitBlt(dc, x, y, image.width, image.height, memory, 0, 0, SRCPAINT);
        SelectObject(memory, old);
        ok = TRUE;
    }
    if (memory) DeleteDC(memory);
    if (maskBits) DeleteObject(maskBits);
    if (colourBits) DeleteObject(colourBits);
    return ok;
}

namespace user_host {

bool GetIconImage(HICON icon, IconImage* out) {
    std::lock_guard<std::mutex> lock(R().mutex);
    const IconImage* image = ImageOf(icon);
    if (!image) return false;
    if (out) *out = *image;
    return true;
}

}  // namespace user_host
