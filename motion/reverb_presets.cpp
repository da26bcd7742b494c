#include "motion/reverb_presets.h"

// Every row shares a room rolloff of 0 and a high-frequency reference of 5 kHz.
namespace {
constexpr ReverbParams Row(std::int32_t room, std::int32_t roomHF, float decayTime, float decayHFRatio,
                           std::int32_t reflections, float reflectionsDelay, std::int32_t reverb,
                           float reverbDelay, float diffusion, float density) {
    return ReverbParams{room,   roomHF,      0.0f,      decayTime, decayHFRatio, reflections,
                        reflectionsDelay, reverb, reverbDelay, diffusion, density, 5000.0f};
}
}  // namespace

// Switches the room effect off. Unlike the silent row it leaves the high-frequency room
// level at 0 and uses the ordinary early and late delays.
const ReverbParams g_reverbOff = {-10000, 0,      0.0f,  1.0f,   0.5f,   -10000,
                                  0.02f,  -10000, 0.04f, 100.0f, 100.0f, 5000.0f};

// Rows 1..26 follow the usual environment list order so row numbers stay stable; the
// program selects only a few of them (see the controller's environment table).
const ReverbParams g_reverbPresets[kReverbPresetCount] = {
    Row(-10000, -10000, 0.1f, 0.5f, -10000, 0.02f, -10000, 0.001f, 100.0f, 100.0f),  // silent
    Row(-1400, -100, 1.49f, 0.83f, -1479, 0.02f, 200, 0.03f, 100.0f, 100.0f),        // generic
    Row(-1400, -4000, 0.38f, 0.15f, -1204, 0.02f, 207, 0.03f, 100.0f, 100.0f),       // padded cell
    Row(-1400, -454, 0.4f, 0.83f, -250, 0.03f, 450, 0.04f, 100.0f, 100.0f),          // room
    Row(-1400, -200, 1.49f, 0.6f, 500, 0.007f, 1200, 0.011f, 100.0f, 60.0f),         // bathroom
    Row(-1400, -2000, 0.6f, 0.4f, -400, 0.04f, 250, 0.04f, 100.0f, 100.0f),          // living room
    Row(-1400, -200, 2.31f, 0.64f, -100, 0.02f, 100, 0.02f, 50.0f, 100.0f),          // stone room
    Row(-1400, -350, 5.0f, 0.7f, -200, 0.05f, 50, 0.04f, 70.0f, 100.0f),             // auditorium
    Row(-1400, -500, 4.5f, 0.5f, -500, 0.05f, 0, 0.04f, 100.0f, 100.0f),             // concert hall
    Row(-1400, 0, 7.5f, 1.3f, 500, 0.01f, 500, 0.02f, 25.0f, 100.0f),                // cave
    Row(-1400, -600, 7.24f, 0.5f, -250, 0.1f, 60, 0.05f, 60.0f, 100.0f),             // arena
    Row(-1400, -1200, 12.15f, 0.23f, -100, 0.13f, 250, 0.05f, 10.0f, 100.0f),        // hangar
    Row(-1400, -800, 0.5f, 0.2f, 690, 0.01f, 550, 0.01f, 100.0f, 100.0f),            // carpeted hallway
    Row(-1400, -300, 2.5f, 0.8f, 690, 0.007f, 550, 0.008f, 80.0f, 100.0f),           // hallway
    Row(-1400, -237, 4.0f, 0.79f, -500, 0.013f, 650, 0.02f, 70.0f, 100.0f),          // stone corridor
    Row(-1400, -270, 2.0f, 0.86f, -250, 0.02f, 0, 0.02f, 76.0f, 100.0f),             // alley
    Row(-1400, -1500, 12.0f, 0.54f, -400, 0.17f, -200, 0.088f, 80.0f, 100.0f),       // forest
    Row(-1400, -800, 1.49f, 0.67f, -800, 0.08f, -350, 0.03f, 90.0f, 100.0f),         // city
    Row(-1400, -2000, 7.5f, 0.21f, -800, 0.2f, -350, 0.07f, 10.0f, 100.0f),          // mountains
    Row(-1400, -400, 3.5f, 0.83f, -400, 0.061f, 100, 0.025f, 100.0f, 100.0f),        // quarry
    Row(-1400, -1200, 2.5f, 0.8f, -1000, 0.179f, -2000, 0.07f, 21.0f, 100.0f),       // plain
    Row(-1400, 0, 5.0f, 1.5f, 225, 0.01f, -150, 0.02f, 50.0f, 100.0f),               // parking lot
    Row(-1400, -1000, 3.0f, 0.14f, 429, 0.005f, 1023, 0.007f, 80.0f, 60.0f),         // sewer pipe
    Row(-1400, -4000, 1.49f, 0.1f, -449, 0.02f, 1700, 0.03f, 100.0f, 100.0f),        // underwater
    Row(-1400, 0, 8.39f, 1.39f, -1040, 0.004f, 1000, 0.03f, 50.0f, 100.0f),          // drugged
    Row(-1400, -400, 14.0f, 0.56f, -1713, 0.02f, 0, 0.03f, 60.0f, 100.0f),           // dizzy
    Row(-1400, -151, 7.56f, 0.91f, -600, 0.04f, 1200, 0.06f, 20.0f, 100.0f),         // psychotic
    Row(-1400, -300, 2.0f, 0.59f, -1219, 0.007f, 441, 0.011f, 20.0f, 100.0f),        // karaoke room
};
