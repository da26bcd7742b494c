// The user's set folder: importing into it, listing what was imported, and reading what
// OpenAL Soft's set names mean.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>

#include "platform/hrtf/hrir_set.h"
#include "platform/hrtf/hrtf_sets.h"
#include "platform/kernel/atomic_file.h"

namespace hrtf {
namespace {

namespace fs = std::filesystem;

// The largest published single-listener sets are a few tens of megabytes.
constexpr off_t kMaxSofaBytes = 256L * 1024 * 1024;
constexpr char kSetExtension[] = ".mhr";
constexpr std::size_t kMaxNameLength = 64;
// A data set file's marker and rate.
constexpr std::size_t kHeaderBytes = 12;

std::string Home() {
    const char* home = std::getenv("HOME");
    return home && *home ? home : "";
}

// XDG base folders as OpenAL Soft searches them for "openal/hrtf", in its order.
std::vector<std::string> DataFolders() {
    std::vector<std::string> folders;
    if (char* cwd = ::getcwd(nullptr, 0)) {
        folders.emplace_back(cwd);
        std::free(cwd);
    }
    folders.push_back(UserSetFolder());
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::string list = dirs && *dirs ? dirs : "/usr/local/share/:/usr/share/";
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(':', start), list.size());
        if (end > start) folders.push_back((fs::path(list.substr(start, end - start)) / "openal" / "hrtf").string());
        start = end + 1;
    }
    return folders;
}

// The file, opened without waiting on anything that is not a regular file; -1 with the
// reason when it cannot be used.
int OpenSofaFile(const std::string& path, std::string* reason) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *reason = std::string("it cannot be read: ") + std::strerror(errno);
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        *reason = std::string("it cannot be read: ") + std::strerror(errno);
    } else if (!S_ISREG(info.st_mode)) {
        *reason = "it is not a regular file";
    } else if (info.st_size > kMaxSofaBytes) {
        *reason = "it is larger than 256 MB";
    } else {
        return fd;
    }
    ::close(fd);
    return -1;
}

// A file name OpenAL Soft shows as the set's name: the SOFA file's own, tamed.
std::string SetNameFor(const std::string& sofaPath) {
    std::string name = fs::path(sofaPath).stem().string();
    for (char& c : name) {
        const bool plain = std::isalnum(static_cast<unsigned char>(c)) || std::strchr(" _-.()+", c);
        if (!plain) c = '_';
    }
    const auto blank = name.find_first_not_of(" .");
    name = blank == std::string::npos ? "" : name.substr(blank);
    if (name.size() > kMaxNameLength) name.resize(kMaxNameLength);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name.empty() ? "Imported" : name;
}

std::string SetFile(const std::string& folder, const std::string& name, unsigned rate) {
    return (fs::path(folder) / (name + "-" + std::to_string(rate) + kSetExtension)).string();
}

// "<name>-<rate>" and "<name> <rate>hz" name a rate; anything else does not.
bool SplitRate(const std::string& text, std::string* name, unsigned* rate) {
    std::string digits = text;
    std::size_t cut = std::string::npos;
    if (digits.size() > 2 && digits.compare(digits.size() - 2, 2, "hz") == 0) {
        digits.resize(digits.size() - 2);
        cut = digits.find_last_not_of("0123456789");
        if (cut == std::string::npos || digits[cut] != ' ') return false;
    } else {
        cut = digits.find_last_not_of("0123456789");
        if (cut == std::string::npos || digits[cut] != '-') return false;
    }
    const std::string number = digits.substr(cut + 1);
    if (number.empty() || number.size() > 6) return false;
    const unsigned value = static_cast<unsigned>(std::stoul(number));
    if (value < 8000) return false;
    *name = text.substr(0, cut);
    *rate = value;
    return true;
}

unsigned RateOfFileNamed(const std::string& name) {
    for (const std::string& folder : DataFolders()) {
        const std::string path = (fs::path(folder) / (name + kSetExtension)).string();
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        std::string head(kHeaderBytes, '\0');
        const ssize_t got = ::read(fd, head.data(), head.size());
        ::close(fd);
        head.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        return MhrRate(head);
    }
    return 0;
}

}  // namespace

std::string UserSetFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    const fs::path base = data && *data ? fs::path(data) : fs::path(Home()) / ".local" / "share";
    return (base / "openal" / "hrtf").string();
}

ImportResult ImportSofaFile(const std::string& sofaPath, const std::string& folder) {
    ImportResult result;
    const int fd = OpenSofaFile(sofaPath, &result.reason);
    if (fd < 0) return result;
    // Read through the descriptor: the very file that was checked, whatever happens to
    // the name meanwhile.
    const std::string opened = "/proc/self/fd/" + std::to_string(fd);

    const std::string name = SetNameFor(sofaPath);
    std::vector<std::pair<std::string, std::string>> files;  // path, content
    for (unsigned rate : kSetRates) {
        HrirMeasurements measured;
        OpenAlTable table;
        if (!ReadSofa(opened, rate, &measured, &result.reason) || !BuildOpenAlTable(measured, &table, &result.reason)) {
            ::close(fd);
            return result;
        }
        files.emplace_back(SetFile(folder, name, rate), EncodeMhr(table));
    }

    ::close(fd);

    // The folder is made only for a set that is ready to go in.
    std::error_code made;
    fs::create_directories(folder, made);
    if (made) {
        result.reason = "the folder " + folder + " cannot be written: " + made.message();
        return result;
    }
    // A set that is replaced comes back whole when its twin cannot be written.
    struct Written {
        std::string path;
        bool existed;
        std::string old;
    };
    std::vector<Written> written;
    for (const auto& [path, content] : files) {
        Written w{path, false, {}};
        w.existed = kernel::ReadWholeFile(path, &w.old) == kernel::ReadOutcome::Ok;
        int error = 0;
        if (kernel::ReplaceFileAtomically(path, content, &error)) {
            written.push_back(std::move(w));
            continue;
        }
        for (const Written& back : written) {
            if (back.existed)
                kernel::ReplaceFileAtomically(back.path, back.old);
            else
                ::unlink(back.path.c_str());
        }
        result.reason = "the folder " + folder + " cannot be written: " + std::strerror(error);
        return result;
    }
    result.ok = true;
    result.name = name;
    return result;
}

std::vector<std::string> ImportedSetNames(const std::string& folder) {
    std::map<std::string, fs::file_time_type> newest;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        const fs::path& path = entry.path();
        if (path.extension() != kSetExtension) continue;
        std::string name;
        unsigned rate = 0;
        if (!SplitRate(path.stem().string(), &name, &rate)) continue;
        if (std::find(std::begin(kSetRates), std::end(kSetRates), rate) == std::end(kSetRates)) continue;
        const fs::file_time_type written = entry.last_write_time(error);
        auto [it, fresh] = newest.emplace(name, written);
        if (!fresh) it->second = std::max(it->second, written);
    }
    std::vector<std::pair<std::string, fs::file_time_type>> sets(newest.begin(), newest.end());
    std::stable_sort(sets.begin(), sets.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    std::vector<std::string> names;
    for (const auto& set : sets) names.push_back(set.first);
    return names;
}

SetLabel LabelOfSet(const std::string& openalName) {
    // A second set of one name gets " #2" from OpenAL Soft; it stays part of the name.
    std::string base = openalName;
    std::string duplicate;
    const std::size_t hash = base.rfind(" #");
    if (hash != std::string::npos && hash + 2 < base.size() &&
        base.find_first_not_of("0123456789", hash + 2) == std::string::npos) {
        duplicate = base.substr(hash);
        base.resize(hash);
    }
    SetLabel label;
    label.builtIn = base.rfind("Built-In ", 0) == 0;
    if (!SplitRate(base, &label.name, &label.rate)) {
        label.name = base;
        label.rate = RateOfFileNamed(base);
    }
    label.name += duplicate;
    return label;
}

std::vector<OfferedSet> SetsOnOffer(const std::vector<std::string>& openalNames, unsigned rate) {
    std::vector<OfferedSet> sets;
    for (std::size_t i = 0; i < openalNames.size(); ++i) {
        const SetLabel label = LabelOfSet(openalNames[i]);
        if (!label.name.empty() && (label.rate == 0 || label.rate == rate) &&
            std::none_of(sets.begin(), sets.end(), [&](const OfferedSet& s) { return s.name == label.name; }))
            sets.push_back(OfferedSet{static_cast<int>(i), label.name, label.builtIn});
    }
    std::stable_partition(sets.begin(), sets.end(), [](const OfferedSet& s) { return s.builtIn; });
    return sets;
}

}  // namespace hrtf
