#include "res/embedded.h"

#include "res/resource_ids.h"

namespace zor_res {

const EmbeddedFile* Bitmaps(std::size_t* count) {
    static const EmbeddedFile files[] = {
        {IDB_PANEL, kPanelBmp, kPanelBmpSize},
        {IDB_SHEET, kSheetBmp, kSheetBmpSize},
        {IDB_MAIN, kMainBmp, kMainBmpSize},
    };
    *count = sizeof files / sizeof files[0];
    return files;
}

EmbeddedFile AppIcon() { return {IDI_MAINFRAME, kAppIconBmp, kAppIconBmpSize}; }

}  // namespace zor_res
