#include "tests/app/support/test_support.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "app/program_dir.h"
#include "platform/kernel/module.h"
#include "platform/user/host.h"
#include "tests/support/pcm_wav.h"

namespace app_test {

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
    const WAVEFORMATEX format = sound_testing::PcmFormat(22050, 1, 16);
    sound_testing::WriteWav(nativePath, format, sound_testing::Tone(format, frequency, seconds, 0.375));
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
