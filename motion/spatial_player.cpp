#include "motion/spatial_player.h"

#include <cstdio>
#include <ctime>
#include <vector>

#include "audio/sound_module.h"
#include "audio/wave_stream.h"
#include "motion/path_file.h"
#include "motion/units.h"
#include "platform/kernel/crt_rand.h"
#include "platform/kernel/file_io.h"

namespace {

void ReseedFromClock() { msvcrt::srand(static_cast<unsigned int>(std::time(nullptr))); }

// The spiral's shape; the height limit is fixed for the player's life.
constexpr float kSpiralRadius = 3.0f;
constexpr float kSpiralBaseHeight = 1.5f;
constexpr float kSpiralRadiusStep = 0.003f;

}  // namespace

CSpatialPlayer::CSpatialPlayer(HWND owner)
    : m_hOwner(owner),
      m_pos{0.0f, 0.0f, 10.0f},
      m_pathMode(0),
      m_tick(0),
      m_leg(0),
      m_insectPos{0.0f, 0.0f, 0.0f},
      m_insectTarget{0.0f, 0.0f, 0.0f},
      m_insectVel{0.0f, 0.0f, 0.0f},
      m_damping(0.0f),
      m_targetDist(0.0f),
      m_insectStep(0.0f),
      // The spiral starts from its defaults even when the device fails, so a player
      // without sound still moves along a bounded path.
      m_radius(kSpiralRadius),
      m_height(kSpiralBaseHeight),
      m_baseHeight(kSpiralBaseHeight),
      m_radiusStep(kSpiralRadiusStep),
      m_heightStep(static_cast<float>(kSpiralBaseHeight * 0.1)),
      m_radiusDir(-1),
      m_heightDir(-1),
      m_pointCount(0),
      m_pointIndex(0),
      m_pathX{},
      m_pathY{},
      m_pathZ{} {
    if (FAILED(OpenSoundDevice(m_hOwner))) {
        return;
    }
    m_bDeviceOpen = true;
    SetDistanceModel(1.0f, 1.0f, 1.0f, 50.0f);
    ReseedFromClock();
    m_baseHeight = m_height = kSpiralBaseHeight;
    m_radius = kSpiralRadius;
    m_radiusStep = kSpiralRadiusStep;
    m_heightStep = 0.15f;
    m_radiusDir = m_heightDir = -1;
    ReadPathFile();
}

void CSpatialPlayer::ReadPathFile() {
    m_pointCount = 0;
    m_pointIndex = 0;
    // Relative on purpose: the file follows the process's current directory. Opened like
    // every file the player reads, so a pipe or device named Path is refused, not waited on.
    const HANDLE file = CreateFileA("Path", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    // Every start and preview reads it, so only as much as the most points can fill.
    std::vector<char> text(kPathFileMaxBytes);
    std::size_t size = 0;
    DWORD read = 0;
    while (size < text.size() &&
           ReadFile(file, text.data() + size, static_cast<DWORD>(text.size() - size), &read, nullptr) && read > 0) {
        size += read;
    }
    CloseHandle(file);
    if (size == 0) {
        return;
    }
    std::FILE* stream = fmemopen(text.data(), size, "r");
    if (stream == nullptr) {
        return;
    }
    m_pointCount = ReadPathPoints(stream, m_pathX, m_pathY, m_pathZ, kMaxPathPoints);
    std::fclose(stream);
}

int CSpatialPlayer::Close() {
    // Also after a failed open: the sound module releases whatever part of the device it
    // managed to create.
    CloseSoundDevice();
    m_bDeviceOpen = false;
    return 0;
}

int CSpatialPlayer::LoadFile(LPSTR path) {
    if (path == nullptr || ProbeWaveFile(path) == 0) {
        return 0;
    }
    // A file that passes the probe can still fail to load (its data is not all there, it
    // is over the buffer limit): playing on would be silence that looks like success. An
    // output lost meanwhile is no fault of the file's.
    const HRESULT loaded = m_bDeviceOpen ? LoadSourceBuffer(path) : S_OK;
    return loaded == S_OK || loaded == DSERR_BUFFERLOST ? 1 : 0;
}

HRESULT CSpatialPlayer::Play() {
    ReseedFromClock();
    if (!m_bDeviceOpen) {
        return E_FAIL;
    }
    return PlaySource();
}

void CSpatialPlayer::Stop() {
    if (m_bDeviceOpen) {
        StopSource();
    }
}

void CSpatialPlayer::SetPosition(Vec3 position, Vec3 velocity) {
    m_pos = ViewToSound(position);
    if (m_bDeviceOpen) {
        SetSourceParameters(m_pos, velocity);
    }
}

Vec3* CSpatialPlayer::GetPosition(Vec3* out) {
    if (out != nullptr) {
        *out = SoundToView(m_pos);
    }
    return out;
}

void CSpatialPlayer::SetEnvironment(unsigned int row) {
    SendReverb(row < static_cast<unsigned int>(kReverbPresetCount) ? g_reverbPresets[row] : g_reverbOff);
}

void CSpatialPlayer::SendReverb(ReverbParams params) {
    // The sound module does nothing when no clip is loaded; without a device there is
    // no clip either, but the module's state may belong to nobody then.
    if (m_bDeviceOpen) {
        SendSourceListenerProperties(&params, sizeof(params));
    }
}
