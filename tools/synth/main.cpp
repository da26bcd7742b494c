// zor_synth <folder>: writes the program's five built-in clips and the listening test's
// burst into the folder.
#include <cstdio>
#include <filesystem>
#include <string>

#include "tools/synth/clips.h"
#include "tools/synth/wav_writer.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    struct Clip {
        const char* name;
        LoopBuffer (*build)();
    };
    const Clip clips[] = {
        {"3D_Loopy.wav", BuildLoopy},
        {"3D_Drums.wav", BuildDrums},
        {"3D_Helicopter.wav", BuildHelicopter},
        {"3D_hi-hill.wav", BuildFootsteps},
        {"3D_Veltrix_Demo.wav", BuildJingle},
        {"3D_Noise_Burst.wav", BuildNoiseBurst},
    };
    int status = 0;
    for (const Clip& clip : clips) {
        const std::string path = (folder / clip.name).string();
        if (!WriteMonoWav16(path, clip.build())) {
            std::fprintf(stderr, "zor_synth: cannot write %s\n", path.c_str());
            status = 1;
        }
    }
    return status;
}
