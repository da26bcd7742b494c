// Until the window layer reports which template a window came from, windows show no
// fixed template content. The layer's own definition, when linked, takes precedence
// over this weak one.
#include "platform/user/host.h"

namespace user_host {

__attribute__((weak)) const DialogTemplate* WindowTemplate(HWND) { return nullptr; }

}  // namespace user_host
