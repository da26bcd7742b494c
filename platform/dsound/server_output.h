// What the sound server knows about this process's own playback: the channel layout the
// output really renders and whether it reaches headphones. OpenAL Soft before 1.23 cannot
// report either for an ordinary device; PulseAudio (and PipeWire's pulse server) can.
#pragma once

#include <optional>

namespace dsound_detail {

struct ServerOutput {
    int channels = 0;         // channels of this process's own playback stream (what OpenAL renders)
    bool headphones = false;  // the sink it plays on has an active port that is headphones
};

// Asks the sound server (PulseAudio, or PipeWire's pulse server) about this process's own
// playback stream: found among the server's sink inputs by application.process.id == getpid()
// (if several, the newest/highest index). Its channel count, and whether its sink's active port
// is a headphones port (port type headphones where the server reports it, else the port name
// containing "headphone"). Nullopt when no server answers quickly (never starts a server), or
// this process has no stream on it. Bounded time: a few hundred milliseconds at most, whatever
// the server does. Asks afresh on every call; prints nothing. Nullopt too where libpulse
// itself cannot be loaded.
std::optional<ServerOutput> QueryServerOutput();

}  // namespace dsound_detail
