#include "platform/dsound/output_registry.h"

#include <future>
#include <mutex>
#include <thread>

#include "platform/dsound/alsoft_settings.h"
#include "platform/dsound/output_follower.h"

namespace dsound_detail {
namespace {

// How long the program's ask for a sound device waits for the output to open.
constexpr auto kOpenWait = std::chrono::milliseconds(1000);
// How long the end of the process waits for the output to close: the fades under way take
// 200 ms at most, closing a few more.
constexpr auto kCloseWait = std::chrono::milliseconds(300);

bool SameLoopback(const LoopbackSettings& a, const LoopbackSettings& b) {
    return a.sampleRate == b.sampleRate && a.channels == b.channels && a.hrtf == b.hrtf;
}

// Lets the fades under way be heard, then lets go of the output: with the last device
// object gone, that closes it.
void LetGo(std::shared_ptr<AlDevice> last) {
    last->StopFollowing();
    std::lock_guard<std::recursive_mutex> lock(last->Mutex());
    last->FinishForExit();
}

// The output lives here from its first use to the end of the process, or until the
// program says it is done with sound. Destroyed at exit, after the program's own code
// has finished, and before OpenAL's library goes.
struct OutputRegistry {
    std::mutex mutex;
    LoopbackSettings loopback;
    std::shared_ptr<AlDevice> output;
    std::future<void> released;  // the output's closing at the end of the process

    ~OutputRegistry() {
        std::shared_ptr<AlDevice> last;
        {
            std::lock_guard<std::mutex> lock(mutex);
            last = std::move(output);
        }
        if (last) LetGo(std::move(last));
        // A server that does not answer holds the closing up for as long as it likes; the
        // process ends without it, and the server cleans up after a client that is gone.
        if (released.valid()) released.wait_for(kCloseWait);
    }

    // The output, or one being opened. Expects the lock.
    std::shared_ptr<AlDevice> Opening() {
        // Tests switch between loopback and real outputs; the old one stays with the
        // objects made on it until they are released.
        if (output && !SameLoopback(output->Loopback(), loopback)) output.reset();
        if (!output) {
            output = std::make_shared<AlDevice>(loopback);
            std::lock_guard<std::recursive_mutex> deviceLock(output->Mutex());
            AlDevice::ChangeInBackground(output, RequestFor(*output, nullptr));
        }
        return output;
    }
};

OutputRegistry& Registry() {
    static OutputRegistry registry;
    return registry;
}

}  // namespace

void SetLoopbackSettings(const LoopbackSettings& settings) {
    OutputRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.loopback = settings;
    // A test that sets up its output starts with one that can be opened, whatever an
    // earlier test simulated.
    if (r.output) {
        std::lock_guard<std::recursive_mutex> deviceLock(r.output->Mutex());
        r.output->Loopback().connected = true;
    }
}

std::shared_ptr<AlDevice> AcquireOutput() {
    HandOverAlsoftSettings();
    std::shared_ptr<AlDevice> output;
    {
        OutputRegistry& r = Registry();
        std::lock_guard<std::mutex> lock(r.mutex);
        output = r.Opening();
    }
    // A server that does not answer would hold the program up for as long as it likes;
    // followed by the server's watch, the output's sound comes when the server answers.
    if (!output->AwaitOpening(kOpenWait)) {
        output->Follow();
        return output;
    }
    return output->Recover() ? output : nullptr;
}

void PrepareOutputInBackground() {
    HandOverAlsoftSettings();
    OutputRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.Opening();
}

void ReleaseOutput() {
    OutputRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (!r.output || r.released.valid()) return;
    std::promise<void> done;
    r.released = done.get_future();
    std::thread([last = std::move(r.output), done = std::move(done)]() mutable {
        LetGo(std::move(last));
        done.set_value();
    }).detach();
}

std::shared_ptr<AlDevice> CurrentOutput() {
    OutputRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.output;
}

void ApplyRenderingChoice() {
    std::shared_ptr<AlDevice> output = CurrentOutput();
    if (!output) return;
    // The watch asks the server where the sound plays now and decides from that.
    if (output->IsLoopback())
        FollowChoice(*output);
    else if (!output->PokeWatch())
        std::thread([output] { FollowChoice(*output); }).detach();
}

}  // namespace dsound_detail
