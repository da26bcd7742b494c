// Loading the skin's bitmaps from the program's resources and making the work surface.
#include <climits>

#include "platform/kernel/module.h"
#include "platform/user/winuser.h"
#include "skin/skin.h"

int CSkin::LoadSkinBitmap(int index, UINT resourceId) {
    if (static_cast<unsigned>(index) >= static_cast<unsigned>(m_nBitmaps) || !m_phdcBitmap) return 0;
    // Loading the same slot again replaces its image instead of leaking the old one.
    if (m_phdcBitmap[index]) DeleteDC(m_phdcBitmap[index]);
    if (m_phbmBitmap[index]) DeleteObject(m_phbmBitmap[index]);

    HWND desktop = GetDesktopWindow();
    HDC screen = GetDC(desktop);
    m_phdcBitmap[index] = CreateCompatibleDC(screen);
    // A failed load leaves the DC's default image in place, which draws as nothing useful
    // but safely.
    m_phbmBitmap[index] = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId),
                                                          IMAGE_BITMAP, 0, 0,
                                                          LR_CREATEDIBSECTION | LR_LOADMAP3DCOLORS));
    if (m_phbmBitmap[index]) SelectObject(m_phdcBitmap[index], m_phbmBitmap[index]);
    ReleaseDC(desktop, screen);
    return 1;
}

int CSkin::CreateWorkSurface(int left, int top, int right, int bottom) {
    if (m_hdcWork) DeleteDC(m_hdcWork);
    if (m_hbmWork) DeleteObject(m_hbmWork);
    HWND desktop = GetDesktopWindow();
    HDC screen = GetDC(desktop);
    m_hdcWork = CreateCompatibleDC(screen);
    const long long width = static_cast<long long>(right) - left;
    const long long height = static_cast<long long>(bottom) - top;
    // A size that does not fit leaves no work bitmap, and sprites then draw nothing.
    m_hbmWork = width > 0 && height > 0 && width <= INT_MAX && height <= INT_MAX
                    ? CreateCompatibleBitmap(screen, static_cast<int>(width), static_cast<int>(height))
                    : nullptr;
    if (m_hbmWork) SelectObject(m_hdcWork, m_hbmWork);
    ReleaseDC(desktop, screen);
    return 1;
}
