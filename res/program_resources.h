// The executable's own resources: the skin bitmaps, the icon, the string table and the
// two dialog templates, and the skin's colour scheme for the native controls.
#pragma once

#include "res/resource_ids.h"

// Registers every resource with the resource registry; call once at start-up, before
// the first window is made. Calling it again registers the same data again.
void RegisterProgramResources();
