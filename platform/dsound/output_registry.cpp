#include "platform/dsound/output_registry.h"

#include <future>
#include <mutex>
#include <string>
#include <thread>

#include "platform/dsound/output_follower.h"
#include "platform/dsound/server_watch.h"

namespace dsound_detail {
namespace {

// Lets the fades under way be heard, then lets go of the output: with the last device
// object gone, that closes it.
void FinishAndLetGo(std::shared_ptr<AlDevice> last) {
    if (!last) return;
    std::lock_guard<std::recursive_mutex> deviceLock(last->Mutex());
    last->FinishForExit();
}

bool SameLoopback(const LoopbackSettings& a, const LoopbackSettings& b) {
    return a.sampleRate == b.sampleRate && a.channels == b.channels && a.hrtf == b.hrtf;
}

// OpenAL Soft's back ends that write a file or nothing at all have no server behind them.
// They are told apart by their full names: the short name is "OpenAL Soft" for every one.
bool PlaysThroughASoundServer(AlDevice& device) {
    if (device.IsLoopback()) return false;
    if (alcIsExtensionPresent(nullptr, "ALC_ENUMERATE_ALL_EXT") != ALC_TRUE) return true;
    const ALCchar* name = alcGetString(device.Handle(), ALC_ALL_DEVICES_SPECIFIER);
    if (!name) return true;
    const std::string specifier(name);
    return specifier != "No Output" && specifier != "Wave File Writer";
}

std::shared_ptr<AlDevice> OpenNew(const LoopbackSettings& loopback) {
    auto device = std::make_shared<AlDevice>(loopback);
    std::lock_guard<std::recursive_mutex> deviceLock(device->Mutex());
    if (!device->Open()) return nullptr;
    return device;
}

// The output lives here from its first use to the end of the process, or until the
// program says it is done with sound. Destroyed at exit, after the program's own code
// has finished, and before OpenAL's library goes.
struct OutputRegistry {
    std::mutex mutex;
    LoopbackSettings loopback;
    std::shared_ptr<AlDevice> output;
    // The output opening ahead of the program's first ask; that ask takes its answer.
    std::shared_future<std::shared_ptr<AlDevice>> prepared;
    std::unique_ptr<ServerWatch> watch;
    std::thread releasing;  // lets go of the output while the rest of the process ends

    ~OutputRegistry() {
        StopWatch();
        std::shared_ptr<AlDevice> last;
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (prepared.valid()) prepared.wait();
            last = std::move(output);
        }
        FinishAndLetGo(std::move(last));
        if (releasing.joinable()) releasing.join();
    }

    // The watch acts on the output through this registry, so it goes first, and never
    // under the registry's lock.
    void StopWatch() {
        std::unique_ptr<ServerWatch> stopping;
        {
            std::lock_guard<std::mutex> lock(mutex);
            stopping = std::move(watch);
        }
    }
};

OutputRegistry& Registry() {
    static OutputRegistry registry;
    return registry;
}

void Follow(const ServerFacts& facts) {
    if (std::shared_ptr<AlDevice> output = CurrentOutput()) FollowServer(*output, facts);
}

// Expects the registry's lock.
void WatchTheServerOf(OutputRegistry& r, AlDevice& output) {
    if (r.watch) return;
    bool served = false;
    {
        std::lock_guard<std::recursive_mutex> deviceLock(output.Mutex());
        served = PlaysThroughASoundServer(output);
    }
    if (served) r.watch = std::make_unique<ServerWatch>(Follow);
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
    OutputRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (r.prepared.valid()) {
        r.output = r.prepared.get();
        r.prepared = {};
        if (!r.output) return nullptr;  // the answer of no output stands
    }
    // Tests switch between loopback and real outputs; the old one stays with the objects
    // made on it until they are released.
    if (r.output && !SameLoopback(r.output->Loopback(), r.loopback)) r.output.reset();
    if (!r.output) r.output = OpenNew(r.loopback);
    if (!r.output) return nullptr;
    WatchTheServerOf(r, *r.output);
    std::lock_guard<std::recursive_mutex> deviceLock(r.output->Mutex());
    // An output that the server's watch brings back is still the process's output while it
    // is lost: a device on it stands, and its buffers report the loss until it is back.
    if (r.output->Recover() || r.output->Followed()) return r.output;
    return nullptr;
}

void PrepareOutputInBackground() {
    OutputRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (r.output || r.prepared.valid()) return;
    r.prepared = std::async(std::launch::async, OpenNew, r.loopback).share();
}

void ReleaseOutput() {
    OutputRegistry& r = Registry();
    r.StopWatch();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (!r.output || r.releasing.joinable()) return;
    r.releasing = std::thread(FinishAndLetGo, std::move(r.output));
}

std::shared_ptr<AlDevice> CurrentOutput() {
    OutputRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.output;
}

void ApplyRenderingChoice() {
    std::shared_ptr<AlDevice> output;
    {
        OutputRegistry& r = Registry();
        std::lock_guard<std::mutex> lock(r.mutex);
        // The watch asks the server where the sound plays now and decides from that.
        if (r.watch && r.watch->FoundServer()) {
            r.watch->Poke();
            return;
        }
        output = r.output;
    }
    if (output) FollowChoice(*output);
}

}  // namespace dsound_detail
