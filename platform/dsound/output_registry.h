// The process's output: opened on first use (or ahead of it, in the background), followed
// while the sound server says it changes, and let go when the program is done with sound.
#pragma once

#include <memory>

#include "platform/dsound/al_device.h"

namespace dsound_detail {

// The process's output, opened on first use. A lost output is opened afresh here (or by the
// server's watch), so the next device the program creates plays on the default output as
// it is now. Null when there is no usable output.
std::shared_ptr<AlDevice> AcquireOutput();
// The process's output as it stands, for the test hooks and the server's watch.
std::shared_ptr<AlDevice> CurrentOutput();
// Opens the output on a thread of its own, so that the first AcquireOutput finds it open;
// that call still waits for the opening to end, and still finds none when there is none.
void PrepareOutputInBackground();
// Lets go of the process's output on a thread of its own, fades heard out first; the end
// of the process waits for it. A device created later opens the output afresh.
void ReleaseOutput();
// The listener's rendering choice changed: the output follows it at once.
void ApplyRenderingChoice();

// Sets the loopback mode for outputs opened from now on (sampleRate 0: off). The next
// device created with other settings replaces the process's output.
void SetLoopbackSettings(const LoopbackSettings& settings);

}  // namespace dsound_detail
