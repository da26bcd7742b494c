// The program's string table and dialog templates, as data.
#pragma once

#include <cstddef>

#include "platform/user/resources.h"

namespace zor_res {

struct StringEntry {
    UINT id;
    const char* text;
};

const StringEntry* Strings(std::size_t* count);

struct DialogEntry {
    UINT id;
    DialogTemplate tmpl;
};

const DialogEntry* Dialogs(std::size_t* count);

}  // namespace zor_res
