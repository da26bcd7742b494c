// The executable's resources: the program registers them once at start-up, and the
// loading functions of winuser.h find them by id.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/kernel/types.h"

struct DialogTemplate {
    const char* caption;
    int width;   // client size in pixels
    int height;
    const char* fontFace;
    int pointSize;
    DWORD style;
    // Optional fixed content the host shows in the dialog (the about box): a text, and
    // an OK button whose press acts as the Enter key (WM_COMMAND IDOK).
    const char* staticText = nullptr;
    bool okButton = false;
};

// Data is not copied: it must outlive the process (static arrays).
void RegisterBitmapResource(UINT id, const std::uint8_t* bmp, std::size_t size);
void RegisterIconResource(UINT id, const std::uint8_t* bmp, std::size_t size);  // a 32 x 32 BMP
void RegisterStringResource(UINT id, const char* text);
void RegisterDialogTemplate(UINT id, const DialogTemplate& tmpl);

const DialogTemplate* FindDialogTemplate(UINT id);

// Decodes every registered bitmap on a thread of its own, as LoadImageA with loadFlags
// would, so that the program's first load of each finds it ready (waiting for it if it
// is still being decoded). Later loads, and loads with other flags, decode as usual.
void DecodeBitmapResourcesAhead(UINT loadFlags);

// Icons: pixels of pure magenta (255, 0, 255) in the icon's BMP are transparent.
constexpr std::uint32_t kIconTransparentColour = 0x00FF00FFu;
