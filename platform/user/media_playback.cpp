// What a window plays, kept for the host, which is told only when it changes.
#include <cstring>

#include "platform/user/window_table.h"

using namespace user_internal;

BOOL SetMediaPlaybackInfoA(HWND window, const MEDIAPLAYBACKINFOA* info) {
    if (!info || info->cbSize != sizeof(MEDIAPLAYBACKINFOA)) return FALSE;
    HWND top = nullptr;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        Window* w = TopOf(Find(window));
        if (!w) return FALSE;
        MEDIAPLAYBACKINFOA copy = *info;
        // Texts end inside their buffers, whatever the caller left there.
        copy.szTitle[sizeof copy.szTitle - 1] = copy.szArtist[sizeof copy.szArtist - 1] = '\0';
        copy.szFile[sizeof copy.szFile - 1] = '\0';
        if (w->mediaPlayback && w->mediaPlayback->dwFlags == copy.dwFlags &&
            std::strcmp(w->mediaPlayback->szTitle, copy.szTitle) == 0 &&
            std::strcmp(w->mediaPlayback->szArtist, copy.szArtist) == 0 &&
            std::strcmp(w->mediaPlayback->szFile, copy.szFile) == 0)
            return TRUE;
        w->mediaPlayback = std::make_unique<MEDIAPLAYBACKINFOA>(copy);
        top = w->handle;
    }
    if (auto* host = user_host::GetHost()) host->MediaPlaybackChanged(top);
    return TRUE;
}

namespace user_host {

bool GetMediaPlaybackInfo(HWND top, MEDIAPLAYBACKINFOA* out) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(top);
    if (!w || !w->mediaPlayback || !out) return false;
    *out = *w->mediaPlayback;
    return true;
}

}  // namespace user_host
