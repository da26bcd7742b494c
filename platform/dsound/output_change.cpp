// How the output changes while it plays: turned down, reset in place or opened afresh with
// every sound made again on it, and turned up once the new output plays silence.
#include <algorithm>
#include <cmath>
#include <string>
#include <thread>

#include "platform/dsound/al_device.h"
#include "platform/dsound/output_follower.h"

namespace dsound_detail {
namespace {

// A new output plays silence for as long before it is turned up, so every sound that
// starts on it starts from silence.
constexpr int kUpdatesBeforeTurningUp = 2;
// What was mixed before the turn down is still on its way to the ear for the updates
// OpenAL Soft writes ahead and the server's own buffer.
constexpr int kUpdatesInFlight = 4;
constexpr double kLeastInFlight = 0.04;
constexpr double kTurnSeconds = 0.025;
constexpr auto kLongestTurn = std::chrono::milliseconds(100);
// A new stream on the server may take this long to be linked and start to play.
constexpr auto kLongestStart = std::chrono::milliseconds(300);

void SleepFor(double seconds) {
    if (seconds > 0) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// OpenAL Soft's back ends that write a file or nothing at all have no server behind them.
// They are told apart by their full names: the short name is "OpenAL Soft" for every one.
bool PlaysThroughASoundServer(ALCdevice* device) {
    if (alcIsExtensionPresent(nullptr, "ALC_ENUMERATE_ALL_EXT") != ALC_TRUE) return true;
    const ALCchar* name = alcGetString(device, ALC_ALL_DEVICES_SPECIFIER);
    const std::string specifier(name ? name : "");
    return specifier != "No Output" && specifier != "Wave File Writer";
}

}  // namespace

bool AlDevice::Change(const OutputRequest& request) {
    {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        ++m_changes;
    }
    bool had = false;
    {
        std::lock_guard<std::mutex> one(m_changeLock);
        bool inPlace = false;
        bool audible = false;
        double update = 0.0;
        {
            std::lock_guard<std::recursive_mutex> lock(m_mutex);
            // A change that waited its turn may find the output as asked already.
            had = IsConnected() && request == m_asked;
            // A reset keeps every source and effect but reconnects to the sink the stream
            // is on, and a device that rendered binaural stays stereo through later resets.
            inPlace = IsConnected() && request.sink.name == m_asked.sink.name &&
                      (request.hrtf.value_or(false) || !RendersHrtf() || request.sink.channels <= 2);
            update = UpdateSeconds();
            if (!had) audible = Quieten();
        }
        if (!had) {
            if (audible) {
                TurnSound(1.0f, 0.0f);
                SleepFor(std::max(kUpdatesInFlight * update, kLeastInFlight));
            }
            // A failed reset leaves the output as unusable as a lost one.
            had = (inPlace && ResetInPlace(request)) || Reopen(request);
            std::unique_lock<std::recursive_mutex> lock(m_mutex);
            if (had && !m_voices.empty() && !IsLoopback()) {
                AwaitMixed(lock, kUpdatesBeforeTurningUp * UpdateSeconds(), Clock::now() + kLongestStart);
                lock.unlock();
                TurnSound(0.0f, 1.0f);
            } else {
                SetListenerGain(1.0f);
            }
        }
    }
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    --m_changes;
    m_settled.notify_all();
    return had;
}

void AlDevice::AwaitMixed(std::unique_lock<std::recursive_mutex>& lock, double seconds, Clock::time_point giveUp) {
    // By the output's own clock: a server slow to take what is mixed holds the mixer up
    // too, and a ramp timed by the wall would then be heard as a step. One that takes
    // nothing (no one listens, or it hangs) is not waited for.
    const double from = Now();
    while (m_out && Now() - from < seconds && Clock::now() < giveUp) {
        lock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        lock.lock();
    }
}

void AlDevice::TurnSound(float from, float to) {
    std::unique_lock<std::recursive_mutex> lock(m_mutex);
    const unsigned generation = m_generation;
    const double update = UpdateSeconds();
    const int steps = std::max(1, static_cast<int>(std::ceil(kTurnSeconds / update)));
    const auto giveUp = Clock::now() + kLongestTurn;
    for (int step = 1; step <= steps && m_generation == generation; ++step) {
        SetListenerGain(from + (to - from) * static_cast<float>(step) / static_cast<float>(steps));
        AwaitMixed(lock, update, giveUp);
    }
}

void AlDevice::ChangeInBackground(std::shared_ptr<AlDevice> output, const OutputRequest& request) {
    {
        std::lock_guard<std::recursive_mutex> lock(output->m_mutex);
        ++output->m_changes;  // carried from now on, not from when the thread gets going
    }
    std::thread([output, request] {
        output->Change(request);
        std::lock_guard<std::recursive_mutex> lock(output->m_mutex);
        --output->m_changes;
        output->m_settled.notify_all();
    }).detach();
}

bool AlDevice::AwaitOpening(std::chrono::milliseconds most) {
    std::unique_lock<std::recursive_mutex> lock(m_mutex);
    return m_settled.wait_for(lock, most, [this] { return m_changes == 0 || m_watch; });
}

bool AlDevice::Recover() {
    OutputRequest request;
    {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        if (IsConnected() || Carried()) return true;
        request = RequestFor(*this, nullptr);
    }
    // This OpenAL Soft cannot reconnect a device in place, so a lost output is opened
    // afresh, with every sound carried across.
    return Change(request);
}

bool AlDevice::ResetInPlace(const OutputRequest& request) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const std::vector<ALCint> attributes = Attributes(request, m_out ? m_out->device : nullptr);
    if (!m_out || alcResetDeviceSOFT(m_out->device, attributes.data()) != ALC_TRUE || !IsConnected()) return false;
    m_asked = request;
    // The reset emptied the rooms; they fill again from silence as the sound comes up.
    if (ALCcontext* context = Context()) {
        ContextScope scope(context);
        for (LiveVoice* voice : m_voices) voice->SetRoomAudible(true);
    }
    return true;
}

bool AlDevice::Reopen(const OutputRequest& request) {
    std::shared_ptr<Opened> old;
    bool sounds = false;
    {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        if (IsConnected()) CaptureVoices();
        old = std::move(m_out);
        m_tails.Forget();
        ++m_generation;
        sounds = !m_voices.empty();
    }
    // Outside the lock: the server may take its time, and the program carries on meanwhile
    // with its sounds waiting. A context for them is made here too: that takes a while.
    old.reset();
    std::shared_ptr<Opened> opened = Open(request);
    if (opened && sounds && !opened->context) opened->context = alcCreateContext(opened->device, nullptr);
    std::vector<LiveVoice*> refills;
    {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        if (!opened) return false;
        m_out = std::move(opened);
        ++m_generation;
        // Asked on every call of the layer, so the answers that cannot change are kept.
        m_canTellDisconnect = alcIsExtensionPresent(m_out->device, "ALC_EXT_disconnect") == ALC_TRUE;
        m_canTellHrtf = alcIsExtensionPresent(m_out->device, "ALC_SOFT_HRTF") == ALC_TRUE;
        m_asked = request;
        if (!request.sink.name.empty()) m_streamChannels = RendersHrtf() ? 2 : request.sink.channels;
        if (!IsLoopback() && PlaysThroughASoundServer(m_out->device)) Follow();
        if (!m_voices.empty() && Context()) {
            SetListenerGain(0.0f);
            for (LiveVoice* voice : m_voices) {
                voice->Rebuild();
                voice->AddRef();
                refills.push_back(voice);
            }
        }
    }
    for (LiveVoice* voice : refills) {
        voice->Refill();
        voice->Release();
    }
    return true;
}

}  // namespace dsound_detail
