#include "res/program_resources.h"

#include "platform/user/resources.h"
#include "res/color_scheme.h"
#include "res/embedded.h"
#include "res/string_table.h"

void RegisterProgramResources() {
    std::size_t n = 0;
    const zor_res::EmbeddedFile* bitmaps = zor_res::Bitmaps(&n);
    for (std::size_t i = 0; i < n; ++i) RegisterBitmapResource(bitmaps[i].id, bitmaps[i].data, bitmaps[i].size);
    const zor_res::EmbeddedFile icon = zor_res::AppIcon();
    RegisterIconResource(icon.id, icon.data, icon.size);
    const zor_res::StringEntry* strings = zor_res::Strings(&n);
    for (std::size_t i = 0; i < n; ++i) RegisterStringResource(strings[i].id, strings[i].text);
    const zor_res::DialogEntry* dialogs = zor_res::Dialogs(&n);
    for (std::size_t i = 0; i < n; ++i) RegisterDialogTemplate(dialogs[i].id, dialogs[i].tmpl);
    ApplySkinColourScheme();
}
