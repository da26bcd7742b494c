// The process's output: opened on first use (or ahead of it, in the background), and let
// go of when the program is done with sound.
#pragma once

#include <memory>

#include "platform/dsound/al_device.h"

namespace dsound_detail {

// The process's output. Waits about a second at most for it to open: a server that does
// not answer leaves the program to start, and its sound comes when the server does. Null
// when there is no output and nothing brings one.
std::shared_ptr<AlDevice> AcquireOutput();
// The process's output as it stands, for the test hooks.
std::shared_ptr<AlDevice> CurrentOutput();
// Starts opening the output on a thread of its own, so that the first AcquireOutput finds
// it open.
void PrepareOutputInBackground();
// Lets go of the process's output on a thread of its own, fades heard out first. The end
// of the process waits for that briefly, never for a server that does not answer.
void ReleaseOutput();
// The listener's rendering choice changed: the output follows it, never on the caller's
// thread (the window's), except on a loopback output, which has nothing to wait for.
void ApplyRenderingChoice();

// Sets the loopback mode for outputs opened from now on (sampleRate 0: off). The next
// device created with other settings replaces the process's output.
void SetLoopbackSettings(const LoopbackSettings& settings);

}  // namespace dsound_detail
