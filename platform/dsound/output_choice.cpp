#include "platform/dsound/output_choice.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace dsound_detail {
namespace {

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

AlsoftSettings ReadUserSettings() {
    AlsoftSettings settings;
    for (const std::string& file : ConfigFiles()) {
        std::ifstream in(file, std::ios::binary);
        if (!in) continue;
        std::ostringstream text;
        text << in.rdbuf();
        ParseAlsoftSettings(text.str(), &settings);
    }
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
        }
    }
}

const AlsoftSettings& UserAlsoftSettings() {
    static const AlsoftSettings settings = ReadUserSettings();
    return settings;
}

bool WantsHrtf(SoundRendering choice, const AlsoftSettings& user, bool outputIsHeadphones) {
    if (user.hrtf) return *user.hrtf;
    if (user.headphones) return *user.headphones;
    switch (choice) {
        case SoundRendering::Headphones: return true;
        case SoundRendering::Speakers: return false;
        case SoundRendering::Automatic: break;
    }
    return outputIsHeadphones;
}

}  // namespace dsound_detail
