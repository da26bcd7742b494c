// Sound that outlives what made it, and the rooms sounds play in. OpenAL Soft 1.19 cuts a
// voice dead when it is stopped or paused, which is a click whenever the sound was audible;
// and a room effect deleted with its source takes its reverberation with it. So a voice
// that has to stop while it plays hands its next few milliseconds, faded to silence, to a
// short voice of its own, and a room whose source went away keeps ringing until its decay
// has passed. A room is never deleted while its context lives: in this OpenAL Soft a
// deleted effect slot leaves a hole that the next reset of the output walks into, so a
// room that has died away waits, silent and empty, for the next source that needs one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/dsound/al_api.h"

namespace dsound_detail {

// How long a stopped voice takes to fall silent.
constexpr double kFadeSeconds = 0.010;

// A room: an effect slot and the reverb effect loaded into it.
struct Room {
    ALuint slot = 0;
    ALuint effect = 0;
    bool eaxReverb = false;
};

// The clip a fade reads from: its frame count and frame i as one channel on the signed
// 16-bit scale, taken from the buffer's own data rather than a copy of it.
struct ClipFrames {
    std::size_t count;
    std::function<double(std::size_t)> at;
};

// The next samples of a mono clip from a fractional position, interpolated between
// samples, under a fade from full level to silence: one fade's worth at the clip's rate.
// Wraps at the end of a looping clip; silence past the end of one that does not loop.
std::vector<std::int16_t> FadedSegment(const ClipFrames& clip, double position, bool looping, int rate);

class VoiceTails {
public:
    VoiceTails() = default;
    VoiceTails(const VoiceTails&) = delete;
    VoiceTails& operator=(const VoiceTails&) = delete;

    // All below expect the output's lock and its context current.

    // A fade of what `source` plays, ready to start: a voice of its own with the source's
    // placement and its send to `slot` (0: none), holding the next few milliseconds of
    // `clip` from where the source is now. The caller pauses the source and starts the fade
    // back to back, so the sound carries on without a seam. 0 when the source is not
    // playing or the fade cannot be made (the caller then just stops).
    ALuint PrepareFade(ALuint source, ALuint slot, const ClipFrames& clip, int rate);

    // A room for a source: the one that rang last (its sound carries on into the new
    // source), else one that has died away, else a new one. No slot when none can be had.
    Room TakeRoom();
    // A room its source let go of rings until `until` on the output's clock.
    void Ring(const Room& room, double until);

    // Frees the fades that have played out; rooms whose decay has passed fall silent.
    void Reap(double now);
    bool Busy() const { return !m_fades.empty() || !m_ringing.empty(); }
    // Turns the ringing rooms down to silence (OpenAL ramps the change over one update).
    void QuietenRooms();
    // At the end of the process: the rooms quietened and the fades under way heard out, in
    // tens of milliseconds at most, never a reverb tail. `update`: the output's period.
    void HearOut(double update);
    // The output closed: its objects went with it.
    void Forget();

private:
    struct Fade {
        ALuint source;
        ALuint buffer;
    };
    struct Ringing {
        Room room;
        double until;
    };
    bool FadesUnderWay();

    std::vector<Fade> m_fades;
    std::vector<Ringing> m_ringing;
    std::vector<Room> m_idle;
};

}  // namespace dsound_detail
