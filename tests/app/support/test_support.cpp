#include "tests/app/support/test_support.h"

#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "app/program_dir.h"
#include "platform/kernel/module.h"
#include "platform/user/host.h"

namespace app_test {

namespace {

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void PutTag(std::vector<std::uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

}  // namespace

void Pump(int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    do {
        if (user_host::PumpPending() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } while (std::chrono::steady_clock::now() < end);
}

bool PumpUntil(const std::function<bool()>& condition, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        if (user_host::PumpPending() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void WriteWave(const std::string& nativePath, double seconds, double frequency) {
    const std::uint32_t rate = 22050;
    const std::uint32_t frames = static_cast<std::uint32_t>(seconds * rate);
    std::vector<std::uint8_t> out;
    PutTag(out, "RIFF");
    Put32(out, 36 + frames * 2);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1);
    Put16(out, 1);
    Put32(out, rate);
    Put32(out, rate * 2);
    Put16(out, 2);
    Put16(out, 16);
    PutTag(out, "data");
    Put32(out, frames * 2);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const double s = std::sin(2.0 * 3.14159265358979 * frequency * i / rate) * 12000.0;
        Put16(out, static_cast<unsigned>(static_cast<std::int16_t>(s)) & 0xFFFF);
    }
    std::ofstream(nativePath, std::ios::binary).write(reinterpret_cast<const char*>(out.data()),
                                                      static_cast<std::streamsize>(out.size()));
}

std::string ProgramDir() { return GetProgramDir(); }
std::string NativeProgramDir() { return NativePath(GetProgramDir().c_str()); }

void EnsureMusic() {
    const std::string dir = NativeProgramDir() + "/MUSIC";
    mkdir(dir.c_str(), 0755);
    const char* names[] = {"3D_Loopy.wav", "3D_Drums.wav", "3D_Helicopter.wav", "3D_hi-hill.wav",
                           "3D_Veltrix_Demo.wav"};
    double frequency = 330.0;
    for (const char* name : names) {
        const std::string path = dir + "/" + name;
        if (!FileExists(path)) WriteWave(path, 1.0, frequency);
        frequency += 110.0;
    }
}

std::string ReadFile(const std::string& nativePath) {
    std::ifstream in(nativePath, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& nativePath, const std::string& text) {
    std::ofstream(nativePath, std::ios::binary) << text;
}

void RemoveFile(const std::string& nativePath) { std::remove(nativePath.c_str()); }

bool FileExists(const std::string& nativePath) {
    struct stat st;
    return stat(nativePath.c_str(), &st) == 0;
}

}  // namespace app_test
