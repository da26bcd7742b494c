// The process's one OpenAL output: the device and its single context, opened when the
// program first asks for a sound device and kept until the process ends. The sound API's
// device objects are views over it, so the program's open/close at every play, stop,
// preview and speaker poll never becomes a new stream on the sound server. When the
// output has to change (another default output, binaural on or off, a server that came
// back), it is reset or opened afresh and every live sound is carried across.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/dsound/al_api.h"
#include "platform/pulse/server_watch.h"
#include "platform/dsound/voice_tails.h"
#include "platform/kernel/types.h"

namespace dsound_detail {

// What the sound server says of the output, from its watch.
using sound_server::ServerFacts;
using sound_server::ServerWatch;
using sound_server::SinkFacts;

struct LoopbackSettings {
    int sampleRate = 0;  // 0: real output devices
    ALCint channels = ALC_STEREO_SOFT;
    bool hrtf = false;       // what the loopback "output" is: headphones or not
    bool connected = true;   // false: lost, and it cannot be opened, as if it had been unplugged
};

// The channels of one of OpenAL Soft's channel layouts.
int ChannelCount(ALCint layout);

// What the output is asked to be: the sink it is for, and binaural rendering on or off
// (nothing: as OpenAL Soft decides). What it renders is read back (RendersHrtf).
struct OutputRequest {
    SinkFacts sink;  // no name where no server says
    std::optional<bool> hrtf;
    std::string hrtfSet;  // the binaural set by its listener's name; empty: the built-in one
    bool operator==(const OutputRequest& o) const { return sink == o.sink && hrtf == o.hrtf && hrtfSet == o.hrtfSet; }
    bool operator!=(const OutputRequest& o) const { return !(*this == o); }
};

// A sound made on the output, which lives through the output's change. Everything but
// Refill is called with the output lock held.
class LiveVoice {
public:
    // Notes where the sound is, while the output still plays it.
    virtual void Capture() = 0;
    // Makes the sound's OpenAL objects again on the output as it is now, without its data.
    virtual void Rebuild() = 0;
    // Puts the sound's data into its OpenAL buffer and plays on where it was noted. Without
    // the lock: mixing and copying a long clip takes a while.
    virtual void Refill() = 0;
    // Turns the sound's room down before the output changes, up after a change that kept it.
    virtual void SetRoomAudible(bool audible) = 0;
    // A reference keeps the sound alive while it is refilled.
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~LiveVoice() = default;
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

class AlDevice {
public:
    explicit AlDevice(const LoopbackSettings& loopback);
    ~AlDevice();
    AlDevice(const AlDevice&) = delete;
    AlDevice& operator=(const AlDevice&) = delete;

    std::recursive_mutex& Mutex() { return m_mutex; }

    // Everything below, up to Change, expects Mutex() to be held.

    // Changes whenever the output closes or opens; the context and everything in it belong
    // to one generation and are gone with it.
    unsigned Generation() const { return m_generation; }
    // The output's context, made on the first call that wants it; null while closed.
    ALCcontext* Context();
    bool IsConnected();
    // The layer brings the output back by itself (the server's watch follows it, or it is
    // being opened): its sounds wait for it instead of being lost.
    bool Carried() const { return m_watch || Changing(); }
    bool Changing() const { return m_changes > 0; }
    const OutputRequest& Asked() const { return m_asked; }
    bool RendersHrtf() const;
    // The binaural sets on offer at the output's rate, the built-in one first, and the one
    // that renders now (empty when none does).
    std::vector<std::string> HrtfSets() const;
    std::string HrtfSetInUse() const;
    // The output was opened before anyone asked the server: it is what the stream landed on.
    void LandedOn(const SinkFacts& sink);
    // How long the server has answered while the output was lost, in seconds; starts the
    // count when `lostWhileAnswering` first holds, and forgets it when it does not.
    double LostWhileAnswering(bool lostWhileAnswering);
    // Our stream's channels as the server last told them; 0 when it did not.
    int StreamChannels() const { return m_streamChannels; }
    void NoteStreamChannels(int channels) { m_streamChannels = channels; }

    void AddVoice(LiveVoice* voice) { m_voices.insert(voice); }
    void RemoveVoice(LiveVoice* voice) { m_voices.erase(voice); }
    // Notes where every live sound is, for a loss that comes without warning.
    void CaptureVoices();

    // Sound that outlives the buffers that made it: fades and ringing rooms.
    VoiceTails& Tails() { return m_tails; }
    // The output's clock in seconds: what it has mixed so far.
    double Now() const;
    // Frees the fades that have ended; rooms that have died away fall silent.
    void Reap();

    bool IsLoopback() const { return m_loopback.sampleRate > 0; }
    LoopbackSettings& Loopback() { return m_loopback; }
    ALCdevice* Handle() const { return m_out ? m_out->device : nullptr; }
    // The opened output, kept open while a caller fills a buffer on it without the lock.
    std::shared_ptr<const void> Pin() const { return m_out; }

    // Without the lock: changes the output to the request while it plays, quietened
    // before and brought up again after, so the change is never a click. Resets the output
    // in place where that can reach the request, else opens the default output afresh
    // with every sound carried across. False when no output could be had: its sounds
    // then wait for the next change, or, where nothing carries the output, are lost.
    bool Change(const OutputRequest& request);
    // The same on a thread of its own; Carried() from this call on.
    static void ChangeInBackground(std::shared_ptr<AlDevice> output, const OutputRequest& request);
    // Waits, at most `most`, while the output is being opened and nothing carries it yet;
    // true when that is over.
    bool AwaitOpening(std::chrono::milliseconds most);
    // Where nothing carries the output, opens it again now; true when it is there or the
    // layer brings it back.
    bool Recover();

    // The server's watch follows the output from now on, and brings it back when lost.
    void Follow();
    // Asks the watch to look at the server again at once; false when there is no watch.
    bool PokeWatch();
    void StopFollowing();
    // At the end of the process: lets the fades under way be heard, never a reverb tail.
    void FinishForExit();

private:
    // One opened output; closed with the last holder.
    struct Opened {
        ALCdevice* device = nullptr;
        std::optional<ALCcontext*> context;  // none yet: made when first wanted; null: failed
        ~Opened();
    };
    // Opens an output for the request; nothing is shared with the open one, so no lock.
    std::shared_ptr<Opened> Open(const OutputRequest& request) const;
    // For the device being opened or reset: the set is found among those it offers.
    std::vector<ALCint> Attributes(const OutputRequest& request, ALCdevice* device) const;
    bool ResetInPlace(const OutputRequest& request);
    bool Reopen(const OutputRequest& request);
    double UpdateSeconds() const;
    // Turns the rooms down to silence, and a loopback output's sound too; true when a real
    // output plays, whose sound is then turned down step by step (TurnSound).
    bool Quieten();
    void SetListenerGain(float gain);
    // Turns the sound from one gain to another over some 25 ms, in steps of one update
    // (each of which OpenAL Soft ramps), so no update size makes it a click. Takes the lock
    // for each step; stops when the output changes meanwhile.
    void TurnSound(float from, float to);
    using Clock = std::chrono::steady_clock;
    // Lets go of the held lock until the output has mixed that long more, or until giveUp.
    void AwaitMixed(std::unique_lock<std::recursive_mutex>& lock, double seconds, Clock::time_point giveUp);

    std::recursive_mutex m_mutex;
    std::mutex m_changeLock;  // one change of output at a time
    std::condition_variable_any m_settled;
    int m_changes = 0;  // changes asked for and not yet over
    LoopbackSettings m_loopback;
    std::shared_ptr<Opened> m_out;
    unsigned m_generation = 0;
    bool m_canTellDisconnect = false;
    bool m_canTellHrtf = false;
    OutputRequest m_asked;
    int m_streamChannels = 0;
    std::optional<std::chrono::steady_clock::time_point> m_lostSince;
    std::set<LiveVoice*> m_voices;
    VoiceTails m_tails;
    std::unique_ptr<ServerWatch> m_watch;
};

}  // namespace dsound_detail
