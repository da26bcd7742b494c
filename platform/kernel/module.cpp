#include "platform/kernel/module.h"

#include <strings.h>
#include <unistd.h>

#include <cstring>
#include <mutex>
#include <vector>

namespace {

struct LayerModule {
    std::string name;
    std::vector<std::pair<std::string, FARPROC>> exports;
    int loadCount = 0;
};

std::mutex& RegistryMutex() {
    static std::mutex m;
    return m;
}

// Modules live for the whole process so handles stay valid after FreeLibrary. The table
// itself is never destroyed either, so the modules stay reachable (and no leak checker
// reports them) through the end of the process.
std::vector<LayerModule*>& Registry() {
    static auto* modules = new std::vector<LayerModule*>();
    return *modules;
}

LayerModule* Find(const char* name) {
    for (LayerModule* m : Registry())
        if (strcasecmp(m->name.c_str(), name) == 0) return m;
    return nullptr;
}

// Distinct, never-dereferenced address that stands for the program's own module.
char g_programModule;

}  // namespace

DWORD GetModuleFileNameA(HMODULE, LPSTR buffer, DWORD size) {
    if (!buffer || size == 0) return 0;
    char native[4096];
    ssize_t n = readlink("/proc/self/exe", native, sizeof native - 1);
    if (n < 0) {
        buffer[0] = '\0';
        return 0;
    }
    native[n] = '\0';
    std::string layer = LayerPath(native);
    DWORD count = static_cast<DWORD>(layer.size());
    if (count >= size) count = size - 1;
    std::memcpy(buffer, layer.data(), count);
    buffer[count] = '\0';
    return count;
}

HINSTANCE GetModuleHandleA(LPCSTR) { return reinterpret_cast<HINSTANCE>(&g_programModule); }

std::string NativePath(const char* layerPath) {
    std::string out = layerPath ? layerPath : "";
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

std::string LayerPath(const std::string& nativePath) {
    std::string out = nativePath;
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
}

unsigned char* _mbsrchr(const unsigned char* text, unsigned int c) {
    if (!text) return nullptr;
    const unsigned char* last = nullptr;
    for (const unsigned char* p = text;; ++p) {
        if (*p == static_cast<unsigned char>(c)) last = p;
        if (*p == '\0') break;
    }
    return const_cast<unsigned char*>(last);
}

void RegisterLayerModule(const char* name, std::initializer_list<std::pair<const char*, FARPROC>> exports) {
    if (!name) return;
    std::lock_guard<std::mutex> g(RegistryMutex());
    LayerModule* m = Find(name);
    if (!m) {
        m = new LayerModule();
        m->name = name;
        Registry().push_back(m);
    }
    for (const auto& e : exports) {
        bool replaced = false;
        for (auto& existing : m->exports)
            if (existing.first == e.first) {
                existing.second = e.second;
                replaced = true;
            }
        if (!replaced) m->exports.emplace_back(e.first, e.second);
    }
}

HMODULE LoadLibraryA(LPCSTR name) {
    if (!name) return nullptr;
    std::lock_guard<std::mutex> g(RegistryMutex());
    LayerModule* m = Find(name);
    if (!m) return nullptr;
    ++m->loadCount;
    return reinterpret_cast<HMODULE>(m);
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName) {
    if (!module || !procName) return nullptr;
    std::lock_guard<std::mutex> g(RegistryMutex());
    for (LayerModule* m : Registry()) {
        if (reinterpret_cast<HMODULE>(m) != module) continue;
        if (m->loadCount <= 0) return nullptr;
        for (const auto& e : m->exports)
            if (e.first == procName) return e.second;  // export names are case-sensitive
        return nullptr;
    }
    return nullptr;
}

BOOL FreeLibrary(HMODULE module) {
    if (!module) return FALSE;
    std::lock_guard<std::mutex> g(RegistryMutex());
    for (LayerModule* m : Registry())
        if (reinterpret_cast<HMODULE>(m) == module && m->loadCount > 0) {
            --m->loadCount;
            return TRUE;
        }
    return FALSE;
}
