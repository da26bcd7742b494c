// Sound that outlives what made it. OpenAL Soft 1.19 cuts a voice dead when it is stopped
// or paused, which is a click whenever the sound was audible; and a room effect deleted
// with its source takes its reverberation with it. So a voice that has to stop while it
// plays hands its next few milliseconds, faded to silence, to a short voice of its own,
// and a room whose source went away keeps ringing until its decay has passed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/dsound/al_api.h"

namespace dsound_detail {

// How long a stopped voice takes to fall silent.
constexpr double kFadeSeconds = 0.010;

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

    // Keeps a room's slot and effect alive until `until` on the output's clock, so its
    // reverberation dies away instead of stopping.
    void Ring(ALuint slot, ALuint effect, bool eaxReverb, double until);
    // The most recently ringing room, for a new source to carry on; false when none rings.
    bool TakeRoom(ALuint* slot, ALuint* effect, bool* eaxReverb);

    // Frees the fades that have played out and the rooms whose decay has passed.
    void Reap(double now);
    bool HasFades() const { return !m_fades.empty(); }
    bool FadesUnderWay();
    bool RoomsRinging() const { return !m_rooms.empty(); }
    // Turns the ringing rooms down to silence (OpenAL ramps the change over one update).
    void QuietenRooms();
    // The output closed: its objects went with it.
    void Forget();

private:
    struct Fade {
        ALuint source;
        ALuint buffer;
    };
    struct Room {
        ALuint slot;
        ALuint effect;
        bool eaxReverb;
        double until;
    };

    std::vector<Fade> m_fades;
    std::vector<Room> m_rooms;
};

}  // namespace dsound_detail
