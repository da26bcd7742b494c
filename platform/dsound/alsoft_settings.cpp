#include "platform/dsound/alsoft_settings.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <vector>

namespace dsound_detail {
namespace {

// A period of 256 frames, three of them ahead: under 20 ms from mixer to server, where
// OpenAL Soft's own 3 x 1024 is some 70 ms, late enough to hear a drag lag behind.
constexpr const char* kStreamSize = "period_size = 256\nperiods = 3\n";

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// OpenAL Soft takes a value as it stands, quotes around it removed.
std::string Unquote(std::string value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string ProgramFolder() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return {};
    const std::string exe(path, static_cast<std::size_t>(n));
    return exe.substr(0, exe.rfind('/'));
}

std::vector<std::string> ConfigFiles() {
    std::vector<std::string> files{"/etc/openal/alsoft.conf"};
    std::string dirs = Environment("XDG_CONFIG_DIRS");
    if (dirs.empty()) dirs = "/etc/xdg";
    // OpenAL Soft reads the folders from the last to the first, so the first one wins.
    std::vector<std::string> folders;
    std::istringstream list(dirs);
    for (std::string dir; std::getline(list, dir, ':');) {
        if (!dir.empty() && dir.front() == '/') folders.push_back(dir);
    }
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) files.push_back(*it + "/alsoft.conf");
    const std::string home = Environment("HOME");
    if (!home.empty()) files.push_back(home + "/.alsoftrc");
    const std::string configHome = Environment("XDG_CONFIG_HOME");
    if (!configHome.empty())
        files.push_back(configHome + "/alsoft.conf");
    else if (!home.empty())
        files.push_back(home + "/.config/alsoft.conf");
    const std::string program = ProgramFolder();
    if (!program.empty()) files.push_back(program + "/alsoft.conf");
    const std::string named = Environment("ALSOFT_CONF");
    if (!named.empty()) files.push_back(named);
    return files;
}

std::string ReadText(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

AlsoftSettings ReadUserSettings() {
    AlsoftSettings settings;
    for (const std::string& file : ConfigFiles()) ParseAlsoftSettings(ReadText(file), &settings);
    return settings;
}

}  // namespace

void ParseAlsoftSettings(const std::string& text, AlsoftSettings* settings) {
    std::istringstream lines(text);
    std::string section = "general";  // keys before any section belong to it
    for (std::string line; std::getline(lines, line);) {
        line = Trim(line.substr(0, line.find('#')));
        if (line.empty()) continue;
        if (line.front() == '[') {
            section = Lower(Trim(line.substr(1, line.find(']') - 1)));
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string::npos || section != "general") continue;
        const std::string key = Lower(Trim(line.substr(0, equals)));
        const std::string value = Lower(Unquote(Trim(line.substr(equals + 1))));
        if (key == "hrtf") {
            settings->hrtf.reset();
            if (value == "true") settings->hrtf = true;
            if (value == "false") settings->hrtf = false;
        } else if (key == "stereo-mode") {
            settings->headphones.reset();
            if (value == "headphones") settings->headphones = true;
            if (value == "speakers") settings->headphones = false;
        } else if (key == "period_size" || key == "periods") {
            settings->sizesStream = true;
        }
    }
}

const AlsoftSettings& UserAlsoftSettings() {
    static const AlsoftSettings settings = ReadUserSettings();
    return settings;
}

void HandOverAlsoftSettings() {
    static std::once_flag once;
    std::call_once(once, [] {
        // OpenAL Soft reads $ALSOFT_CONF last, so what is written here comes after
        // everything the user wrote; the user's own $ALSOFT_CONF goes first in it.
        const std::string named = Environment("ALSOFT_CONF");
        std::string text = named.empty() ? "" : ReadText(named);
        text += "\n[general]\nhrtf = auto\n";
        if (!UserAlsoftSettings().sizesStream) text += kStreamSize;
        // A file in memory, open for the life of the process, leaves nothing to clean up.
        const int fd = memfd_create("alsoft-settings", MFD_CLOEXEC);
        if (fd < 0) return;
        if (write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
            close(fd);
            return;
        }
        setenv("ALSOFT_CONF", ("/proc/self/fd/" + std::to_string(fd)).c_str(), 1);
    });
}

}  // namespace dsound_detail
