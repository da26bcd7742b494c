// One OpenAL output device shared by every sound-device object of the process, with the
// lock that serialises all work on it. A second device object (the speaker probe opened
// every half second) shares the open device instead of opening the hardware again.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/dsound/al_api.h"
#include "platform/kernel/types.h"

namespace dsound_detail {

struct LoopbackSettings {
    int sampleRate = 0;  // 0: real output devices
    ALCint channels = ALC_STEREO_SOFT;
    bool hrtf = false;
};

class AlDevice {
public:
    // The live device of the process when there is one of the kind asked for and it is
    // still connected; otherwise a newly opened one. Null when there is no usable output.
    static std::shared_ptr<AlDevice> Acquire();
    // The most recently opened device, for the test hooks.
    static std::shared_ptr<AlDevice> MostRecent();

    explicit AlDevice(const LoopbackSettings& loopback);
    ~AlDevice();
    AlDevice(const AlDevice&) = delete;
    AlDevice& operator=(const AlDevice&) = delete;

    std::recursive_mutex& Mutex() { return m_mutex; }

    // Everything below expects Mutex() to be held.

    // Changes whenever the OpenAL device is reopened; contexts and everything in them
    // belong to one generation and are gone with it.
    unsigned Generation() const { return m_generation; }
    bool IsConnected();
    // Brings a lost device back by reopening it. True when it is usable again.
    bool Recover();

    // A context with this device's attributes, or null. Destroy only through this object.
    ALCcontext* CreateContext();
    void DestroyContext(ALCcontext* context, unsigned generation);

    DWORD SpeakerConfig();

    bool IsLoopback() const { return m_loopback.sampleRate > 0; }
    int Channels() const;
    std::vector<float> Render(std::size_t frames);

    void SetSimulatedDisconnect(bool lost);

private:
    bool Open();
    void Close();
    std::vector<ALCint> ContextAttributes() const;
    bool HasLiveContext() const { return m_liveContexts > 0; }
    DWORD QuerySpeakerConfig();

    std::recursive_mutex m_mutex;
    LoopbackSettings m_loopback;
    ALCdevice* m_device = nullptr;
    unsigned m_generation = 0;
    int m_liveContexts = 0;
    bool m_simulatedLost = false;
};

// Sets the loopback mode for devices opened from now on (sampleRate 0: off).
void SetLoopbackSettings(const LoopbackSettings& settings);

// Makes an OpenAL context current on this thread for one call of the layer and
// restores the previous one afterwards. Uses per-thread contexts when the library has
// them, otherwise the process-wide current context under a process-wide lock.
class ContextScope {
public:
    explicit ContextScope(ALCcontext* context);
    ~ContextScope();
    ContextScope(const ContextScope&) = delete;
    ContextScope& operator=(const ContextScope&) = delete;

private:
    ALCcontext* m_previous = nullptr;
    bool m_threadLocal = false;
    std::unique_lock<std::recursive_mutex> m_globalLock;
};

}  // namespace dsound_detail
