// The process's one OpenAL output: the device and its single context, opened when the
// program first asks for a sound device and kept until the process ends. The sound API's
// device objects are views over it, so the program's open/close at every play, stop,
// preview and speaker poll never becomes a new stream on the sound server.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/dsound/al_api.h"
#include "platform/dsound/voice_tails.h"
#include "platform/kernel/types.h"

namespace dsound_detail {

struct LoopbackSettings {
    int sampleRate = 0;  // 0: real output devices
    ALCint channels = ALC_STEREO_SOFT;
    bool hrtf = false;
};

class AlDevice {
public:
    // The process's output, opened on first use. A lost output is opened afresh here, so
    // the next device the program creates plays on whatever the default output is now.
    // Null when there is no usable output.
    static std::shared_ptr<AlDevice> Acquire();
    // The process's output as it stands, for the test hooks.
    static std::shared_ptr<AlDevice> MostRecent();
    // Opens the output on a thread of its own, so that the first Acquire finds it open;
    // that Acquire still waits for the opening to end, and still finds none when there
    // is none.
    static void PrepareInBackground();

    explicit AlDevice(const LoopbackSettings& loopback);
    ~AlDevice();
    AlDevice(const AlDevice&) = delete;
    AlDevice& operator=(const AlDevice&) = delete;

    std::recursive_mutex& Mutex() { return m_mutex; }

    // Everything below expects Mutex() to be held.

    // Changes whenever the output is reopened; the context and everything in it belong to
    // one generation and are gone with it.
    unsigned Generation() const { return m_generation; }
    // The output's context, or null while it is closed; made on the first call that
    // wants it.
    ALCcontext* Context();
    bool IsConnected();
    // Brings a lost output back by opening the default output afresh. True when usable.
    bool Recover();

    DWORD SpeakerConfig();

    // Sound that outlives the buffers that made it: fades and ringing rooms.
    VoiceTails& Tails() { return m_tails; }
    // The output's clock in seconds: rendered frames on a loopback device, wall time on a
    // real one (which plays continuously).
    double Now() const;
    // Frees the fades that have ended and the rooms that have died away.
    void Reap();

    bool IsLoopback() const { return m_loopback.sampleRate > 0; }
    int Channels() const;
    std::vector<float> Render(std::size_t frames);

    void SetSimulatedDisconnect(bool lost);

    // At the end of the process: lets the fades that are under way be heard, then quietens
    // the rooms, so closing the output cuts nothing audible. Waits tens of milliseconds at
    // most, never for a reverb tail.
    void FinishForExit();

private:
    friend void SetLoopbackSettings(const LoopbackSettings& settings);

    static std::shared_ptr<AlDevice> OpenNew(const LoopbackSettings& loopback);
    bool Open();
    void Close();
    std::vector<ALCint> ContextAttributes() const;
    // The output's layout, or nothing when no one could tell.
    std::optional<DWORD> QuerySpeakerConfig();
    double UpdateSeconds() const;

    std::recursive_mutex m_mutex;
    LoopbackSettings m_loopback;
    ALCdevice* m_device = nullptr;
    ALCcontext* m_context = nullptr;
    bool m_contextDeferred = false;  // the output runs; its context is made when first wanted
    unsigned m_generation = 0;
    bool m_simulatedLost = false;
    bool m_canTellDisconnect = false;
    VoiceTails m_tails;
    std::optional<DWORD> m_speakers;  // of the current generation
    std::chrono::steady_clock::time_point m_nextServerQuery;
    std::chrono::steady_clock::time_point m_openedAt;
    std::size_t m_renderedFrames = 0;
};

// Lets go of the process's output on a thread of its own, fades heard out first; the end
// of the process waits for it. A device created later opens the output afresh.
void ReleaseOutput();

// Sets the loopback mode for outputs opened from now on (sampleRate 0: off). The next
// device created with other settings replaces the process's output.
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
