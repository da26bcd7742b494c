// The toolkit reads the system's font configuration the first time it lays out text,
// which here is the window's first frame: dozens of small configuration files and the
// font caches, all on the UI thread. Read on a thread of its own while the program is
// still starting, it is ready when the first text is drawn.
#pragma once

#include <thread>

namespace qt_host {

class FontWarmUp {
public:
    FontWarmUp();
    // Waits for the reading to end: the toolkit lets go of the configuration when it
    // goes, and must not find it half read.
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

private:
    std::thread m_thread;
};

}  // namespace qt_host
