// What the tests need from the sound layer: an in-process loopback device to render
// and measure, a simulated disconnect, and a view of what reached the reverb engine.
// Built into the tests, never into the program.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/dsound/dsound.h"

namespace dsound_test {

// From the next DirectSoundCreate on, devices are OpenAL loopback devices rendering
// float stereo at the given rate, nothing reaches a speaker, and frames are produced
// only by RenderFrames. Off again with UseLoopback(0).
void UseLoopback(int sampleRate);

// The same with another channel layout, and HRTF rendering on or off (off for
// UseLoopback). RenderFrames then interleaves that many channels per frame.
enum class LoopbackLayout { Mono, Stereo, Quad, Surround51, Surround71 };
void UseLoopbackLayout(int sampleRate, LoopbackLayout layout, bool hrtf);

// Renders the given number of frames of the most recently created device; interleaved
// L, R floats (silence while the device is lost or has nothing to play yet). Empty when
// no loopback device is open.
std::vector<float> RenderFrames(std::size_t frames);

// Makes the process's output report a disconnect, and be had again.
void SimulateDisconnect();
void SimulateReconnect();

// Moves the output to another one while it plays, as when the default output changes:
// opened afresh, with every sound carried across. False when it could not be opened.
bool SimulateOutputChange();

// The last I3DL2 record that a property set of this 3D buffer accepted (48 bytes), and
// whether the reverb effect is attached. False when nothing was applied yet.
struct ReverbState {
    unsigned char record[48];
    bool effectAttached;
};
bool LastReverb(IDirectSound3DBuffer* buffer, ReverbState* out);

// Counts of live layer objects, to check that releases balance.
int LiveObjectCount();

}  // namespace dsound_test
