#include "platform/host/qt/font_warm_up.h"

#include <fontconfig/fontconfig.h>

namespace qt_host {

// The library keeps one configuration for the process and loads it once, safely from any
// thread; whoever asks first loads it.
FontWarmUp::FontWarmUp() : m_thread([] { FcInit(); }) {}

FontWarmUp::~FontWarmUp() {
    if (m_thread.joinable()) m_thread.join();
}

}  // namespace qt_host
