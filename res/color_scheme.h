// The skin's colours as the process's system colours, which the host draws its native
// controls in (list box, tool tips, message boxes, dialogs).
#pragma once

void ApplySkinColourScheme();
