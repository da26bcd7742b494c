// The process's one OpenAL output: the device and its single context, opened when the
// program first asks for a sound device and kept until the process ends. The sound API's
// device objects are views over it, so the program's open/close at every play, stop,
// preview and speaker poll never becomes a new stream on the sound server. When the
// output has to change (another default output, binaural on or off, a server that came
// back), the output is reset or opened afresh and every live sound is carried across.
#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "platform/dsound/al_api.h"
#include "platform/dsound/server_watch.h"
#include "platform/dsound/voice_tails.h"
#include "platform/kernel/types.h"

namespace dsound_detail {

struct LoopbackSettings {
    int sampleRate = 0;  // 0: real output devices
    ALCint channels = ALC_STEREO_SOFT;
    bool hrtf = false;       // what the loopback "output" is: headphones or not
    bool connected = true;   // false: it cannot be opened, as if it had been unplugged
};

// What an output was opened for, and what it should be opened for now: the server's sink,
// its layout and binaural rendering. Only a difference makes the output change.
struct OutputTarget {
    std::string sink;  // empty where no server says
    int channels = 0;
    bool hrtf = false;
    bool operator==(const OutputTarget& o) const { return sink == o.sink && channels == o.channels && hrtf == o.hrtf; }
    bool operator!=(const OutputTarget& o) const { return !(*this == o); }
};

// A sound made on the output, which lives through the output's change.
class LiveVoice {
public:
    // Notes where the sound is, while the output still plays it. The output lock is held
    // and, where the output is connected, its context current.
    virtual void Capture() = 0;
    // Makes the sound again on the output as it is now and carries on where it was noted.
    // The output lock is held.
    virtual void Rebuild() = 0;
    // Turns the sound's room down to silence before the output changes, and up again after
    // a change that kept it (the context current).
    virtual void SetRoomAudible(bool audible) = 0;

protected:
    ~LiveVoice() = default;
};

class AlDevice {
public:
    explicit AlDevice(const LoopbackSettings& loopback);
    ~AlDevice();
    AlDevice(const AlDevice&) = delete;
    AlDevice& operator=(const AlDevice&) = delete;

    std::recursive_mutex& Mutex() { return m_mutex; }

    // Everything below, up to Move, expects Mutex() to be held.

    bool Open();
    // Changes whenever the output closes or opens; the context and everything in it belong
    // to one generation and are gone with it.
    unsigned Generation() const { return m_generation; }
    // The output's context, or null while it is closed; made on the first call that wants it.
    ALCcontext* Context();
    bool IsConnected();
    // Brings a lost output back by opening the default output afresh, unless the server's
    // watch does that in the background. True when usable.
    bool Recover();
    void Close();

    DWORD SpeakerConfig();
    // What the server's watch last said; decides the layout shown where OpenAL cannot tell.
    void NoteServer(const ServerFacts& facts);
    const ServerFacts& Server() const { return m_server; }
    // The server's watch is in charge of bringing a lost output back.
    void SetFollowed(bool followed) { m_followed = followed; }
    bool Followed() const { return m_followed; }

    // What the output was opened for, and what it should be for the given sink (null: the
    // output as it is, with no server to tell).
    const OutputTarget& OpenedFor() const { return m_target; }
    // The output was opened before anyone asked the server: it is what the stream landed on.
    void LandedOn(const SinkFacts& sink) {
        m_target.sink = sink.name;
        m_target.channels = sink.channels;
    }
    OutputTarget TargetFor(const SinkFacts* sink) const;

    void AddVoice(LiveVoice* voice) { m_voices.insert(voice); }
    void RemoveVoice(LiveVoice* voice) { m_voices.erase(voice); }
    // Notes where every live sound is, for a loss that comes without warning.
    void CaptureVoices();

    // Sound that outlives the buffers that made it: fades and ringing rooms.
    VoiceTails& Tails() { return m_tails; }
    // The output's clock in seconds: what it has mixed so far.
    double Now() const;
    // Frees the fades that have ended and the rooms that have died away.
    void Reap();

    bool IsLoopback() const { return m_loopback.sampleRate > 0; }
    LoopbackSettings& Loopback() { return m_loopback; }
    ALCdevice* Handle() const { return m_device; }

    // Without the lock: changes the output to the target while it plays, quietened before
    // and brought up again after, so the change is never a click. Resets the output in
    // place where that can reach the target, else opens the default output afresh.
    // False when the output could not be had; its sounds are then lost.
    bool Move(const OutputTarget& target);

    // At the end of the process: lets the fades that are under way be heard, then quietens
    // the rooms, so closing the output cuts nothing audible. Waits tens of milliseconds at
    // most, never for a reverb tail.
    void FinishForExit();

private:
    struct Opened {
        ALCdevice* device = nullptr;
        std::optional<ALCcontext*> context;  // none yet: made when first wanted
    };
    // Opens an output for the target; nothing is shared with the open one, so no lock.
    Opened OpenOutput(const LoopbackSettings& loopback, const std::optional<bool>& hrtf) const;
    void Install(const Opened& opened);
    std::vector<ALCint> Attributes(const std::optional<bool>& hrtf) const;
    bool CanResetInPlace(const OutputTarget& target) const;
    bool HrtfRendering() const;
    double UpdateSeconds() const;
    // Turns the output down; how long the turn takes to be heard through.
    double Quieten();
    void SetListenerGain(float gain);

    std::recursive_mutex m_mutex;
    std::mutex m_moveLock;  // one change of output at a time
    LoopbackSettings m_loopback;
    ALCdevice* m_device = nullptr;
    // Nothing: the output runs and its context is made when first wanted; null: it could not
    // be made, and none is to come.
    std::optional<ALCcontext*> m_context;
    unsigned m_generation = 0;
    bool m_canTellDisconnect = false;
    bool m_canTellHrtf = false;
    bool m_followed = false;
    bool m_moving = false;  // a change of output is under way
    OutputTarget m_target;
    ServerFacts m_server;
    std::set<LiveVoice*> m_voices;
    VoiceTails m_tails;
};

// Makes an OpenAL context current on this thread for one call of the layer and restores
// the previous one afterwards.
class ContextScope {
public:
    explicit ContextScope(ALCcontext* context);
    ~ContextScope();
    ContextScope(const ContextScope&) = delete;
    ContextScope& operator=(const ContextScope&) = delete;

private:
    ALCcontext* m_previous = nullptr;
};

}  // namespace dsound_detail
