#include "platform/dsound/al_device.h"

#include <algorithm>
#include <string>
#include <thread>

#include "platform/dsound/dsound.h"
#include "platform/dsound/server_output.h"

namespace dsound_detail {
namespace {

// Lets the fades under way be heard, then lets go of the output: with the last device
// object gone, that closes it.
void FinishAndLetGo(std::shared_ptr<AlDevice> last) {
    if (!last) return;
    std::lock_guard<std::recursive_mutex> deviceLock(last->Mutex());
    last->FinishForExit();
}

// The output lives here from its first use to the end of the process, or until the
// program says it is done with sound. Destroyed at exit, after the program's own code
// has finished, and before OpenAL's library goes.
struct OutputRegistry {
    std::mutex mutex;
    LoopbackSettings loopback;
    std::shared_ptr<AlDevice> output;
    std::thread preparing;      // opens the output before the program first asks for it
    bool preparedNone = false;  // it found none, which answers the program's first ask
    bool asked = false;         // the program has asked for the output already
    std::thread releasing;  // lets go of the output while the rest of the process ends

    ~OutputRegistry() {
        if (preparing.joinable()) preparing.join();
        std::shared_ptr<AlDevice> last;
        {
            std::lock_guard<std::mutex> lock(mutex);
            last = std::move(output);
        }
        FinishAndLetGo(std::move(last));
        if (releasing.joinable()) releasing.join();
    }
};

OutputRegistry& Registry() {
    static OutputRegistry registry;
    return registry;
}

// How long the end of the process may wait for fades to be heard: they take 10 ms, and
// the output plays what was mixed a few updates later.
constexpr auto kExitWaitLimit = std::chrono::milliseconds(150);
constexpr auto kExitPoll = std::chrono::milliseconds(2);
// A server that could not tell what the output is gets asked again after this long.
constexpr auto kServerRetry = std::chrono::seconds(5);
// OpenAL Soft's own default: 1024 frames at 44.1 kHz.
constexpr double kDefaultUpdateSeconds = 1024.0 / 44100.0;

bool SameLoopback(const LoopbackSettings& a, const LoopbackSettings& b) {
    return a.sampleRate == b.sampleRate && a.channels == b.channels && a.hrtf == b.hrtf;
}

DWORD SpeakersFromChannels(ALCint channels) {
    switch (channels) {
        case ALC_MONO_SOFT: return DSSPEAKER_MONO;
        case ALC_STEREO_SOFT: return DSSPEAKER_STEREO;
        case ALC_QUAD_SOFT: return DSSPEAKER_QUAD;
        case ALC_5POINT1_SOFT: return DSSPEAKER_5POINT1;
        // 6.1 has no speaker value of its own; its rear centre makes it the nearest
        // relative of 7.1.
        case ALC_6POINT1_SOFT: return DSSPEAKER_7POINT1;
        case ALC_7POINT1_SOFT: return DSSPEAKER_7POINT1;
        default: return DSSPEAKER_STEREO;
    }
}

DWORD SpeakersFromChannelCount(int count) {
    switch (count) {
        case 1: return DSSPEAKER_MONO;
        case 4: return DSSPEAKER_QUAD;
        // 5.0 is 5.1 without its low-frequency channel.
        case 5:
        case 6: return DSSPEAKER_5POINT1;
        case 7:
        case 8: return DSSPEAKER_7POINT1;
        default: return DSSPEAKER_STEREO;
    }
}

// OpenAL Soft's back ends that write a file or nothing at all have no server behind them.
// They are told apart by their full names: the short name is "OpenAL Soft" for every one.
bool PlaysThroughASoundServer(ALCdevice* device) {
    if (alcIsExtensionPresent(nullptr, "ALC_ENUMERATE_ALL_EXT") != ALC_TRUE) return true;
    const ALCchar* name = alcGetString(device, ALC_ALL_DEVICES_SPECIFIER);
    if (!name) return true;
    const std::string specifier(name);
    return specifier != "No Output" && specifier != "Wave File Writer";
}

int ChannelCount(ALCint channels) {
    switch (channels) {
        case ALC_MONO_SOFT: return 1;
        case ALC_QUAD_SOFT: return 4;
        case ALC_5POINT1_SOFT: return 6;
        case ALC_6POINT1_SOFT: return 7;
        case ALC_7POINT1_SOFT: return 8;
        default: return 2;
    }
}

bool ThreadLocalContextsAvailable() {
    static const bool available = alcIsExtensionPresent(nullptr, "ALC_EXT_thread_local_context") == ALC_TRUE;
    return available;
}

std::recursive_mutex& CurrentContextLock() {
    static std::recursive_mutex lock;
    return lock;
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
        r.output->m_simulatedLost = false;
    }
}

std::shared_ptr<AlDevice> AlDevice::Acquire() {
    OutputRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.asked = true;
    // Tests switch between loopback and real outputs; the old one stays with the objects
    // made on it until they are released.
    if (r.output && !SameLoopback(r.output->m_loopback, r.loopback)) r.output.reset();
    if (r.output) {
        std::lock_guard<std::recursive_mutex> deviceLock(r.output->Mutex());
        if (r.output->Recover()) return r.output;
        return nullptr;
    }
    if (r.preparedNone) {
        r.preparedNone = false;
        return nullptr;
    }
    r.output = OpenNew(r.loopback);
    return r.output;
}

std::shared_ptr<AlDevice> AlDevice::OpenNew(const LoopbackSettings& loopback) {
    auto device = std::make_shared<AlDevice>(loopback);
    std::lock_guard<std::recursive_mutex> deviceLock(device->Mutex());
    if (!device->Open()) return nullptr;
    return device;
}

void AlDevice::PrepareInBackground() {
    OutputRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (r.output || r.preparing.joinable()) return;
    r.preparing = std::thread([] {
        OutputRegistry& registry = Registry();
        std::lock_guard<std::mutex> preparingLock(registry.mutex);
        // Overtaken by the program's own ask: its answer stands, whatever it was.
        if (registry.output || registry.asked) return;
        registry.output = OpenNew(registry.loopback);
        registry.preparedNone = !registry.output;
    });
}

void ReleaseOutput() {
    OutputRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (!r.output || r.releasing.joinable()) return;
    r.releasing = std::thread(FinishAndLetGo, std::move(r.output));
}

std::shared_ptr<AlDevice> AlDevice::MostRecent() {
    OutputRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.output;
}

AlDevice::AlDevice(const LoopbackSettings& loopback) : m_loopback(loopback) {}

AlDevice::~AlDevice() { Close(); }

bool AlDevice::Open() {
    if (IsLoopback())
        m_device = alcLoopbackOpenDeviceSOFT(nullptr);
    else
        m_device = alcOpenDevice(nullptr);
    if (!m_device) return false;
    if (IsLoopback() && !alcIsRenderFormatSupportedSOFT(m_device, m_loopback.sampleRate, m_loopback.channels,
                                                        ALC_FLOAT_SOFT)) {
        Close();
        return false;
    }
    if (!IsLoopback() && alcIsExtensionPresent(m_device, "ALC_SOFT_HRTF") == ALC_TRUE) {
        // Settling the output here starts it and fixes its layout and HRTF, which is all
        // that the check for an output and the speaker query ask about. The context is
        // the slow part (OpenAL Soft clears room for hundreds of voices), so it is made
        // when the first sound needs it; made without attributes, it keeps the running
        // output.
        if (alcResetDeviceSOFT(m_device, nullptr) != ALC_TRUE) {
            Close();
            return false;
        }
        m_contextDeferred = true;
    } else {
        const std::vector<ALCint> attributes = ContextAttributes();
        m_context = alcCreateContext(m_device, attributes.size() > 1 ? attributes.data() : nullptr);
        if (!m_context) {
            Close();
            return false;
        }
    }
    // Asked on every call of the layer, so the answer that cannot change is kept.
    m_canTellDisconnect = alcIsExtensionPresent(m_device, "ALC_EXT_disconnect") == ALC_TRUE;
    ++m_generation;
    m_speakers.reset();
    m_nextServerQuery = {};
    m_openedAt = std::chrono::steady_clock::now();
    m_renderedFrames = 0;
    return true;
}

ALCcontext* AlDevice::Context() {
    if (m_contextDeferred && m_device) {
        m_contextDeferred = false;
        // A context that cannot be made leaves the output without one, which IsConnected
        // takes as lost: the next device opens it afresh.
        m_context = alcCreateContext(m_device, nullptr);
    }
    return m_context;
}

void AlDevice::Close() {
    m_contextDeferred = false;
    if (m_context) {
        if (ThreadLocalContextsAvailable() && alcGetThreadContext() == m_context) alcSetThreadContext(nullptr);
        if (alcGetCurrentContext() == m_context) alcMakeContextCurrent(nullptr);
        alcDestroyContext(m_context);
        m_context = nullptr;
    }
    m_tails.Forget();
    if (!m_device) return;
    alcCloseDevice(m_device);
    m_device = nullptr;
    ++m_generation;
}

bool AlDevice::IsConnected() {
    // A context not made yet counts as there; one that could not be made, as lost.
    if (!m_device || m_simulatedLost || (!m_context && !m_contextDeferred)) return false;
    if (!m_canTellDisconnect) return true;
    ALCint connected = ALC_TRUE;
    alcGetIntegerv(m_device, ALC_CONNECTED, 1, &connected);
    return connected == ALC_TRUE;
}

bool AlDevice::Recover() {
    if (IsConnected()) return true;
    if (m_simulatedLost) return false;
    // This OpenAL Soft cannot reconnect a device in place, so a lost output is closed and
    // the default output opened afresh; the buffers rebuild their objects on Restore.
    Close();
    return Open();
}

std::vector<ALCint> AlDevice::ContextAttributes() const {
    std::vector<ALCint> attributes;
    if (IsLoopback()) {
        attributes = {ALC_FORMAT_CHANNELS_SOFT, m_loopback.channels, ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT,
                      ALC_FREQUENCY, m_loopback.sampleRate, ALC_HRTF_SOFT, m_loopback.hrtf ? ALC_TRUE : ALC_FALSE};
    }
    attributes.push_back(0);
    return attributes;
}

std::optional<DWORD> AlDevice::QuerySpeakerConfig() {
    if (alcIsExtensionPresent(m_device, "ALC_SOFT_HRTF") == ALC_TRUE) {
        ALCint status = ALC_HRTF_DISABLED_SOFT;
        alcGetIntegerv(m_device, ALC_HRTF_STATUS_SOFT, 1, &status);
        if (status == ALC_HRTF_ENABLED_SOFT || status == ALC_HRTF_REQUIRED_SOFT ||
            status == ALC_HRTF_HEADPHONES_DETECTED_SOFT)
            return DSSPEAKER_HEADPHONE;
    }
    if (alcIsExtensionPresent(m_device, "ALC_SOFT_output_mode") == ALC_TRUE) {
        ALCint mode = dsound_al::kAnySoft;
        alcGetIntegerv(m_device, dsound_al::kOutputModeSoft, 1, &mode);
        if (mode == dsound_al::kStereoHrtfSoft) return DSSPEAKER_HEADPHONE;
        if (mode == dsound_al::kStereoBasicSoft || mode == dsound_al::kStereoUhjSoft) return DSSPEAKER_STEREO;
        if (mode != dsound_al::kAnySoft) return SpeakersFromChannels(mode);
    }
    if (IsLoopback()) return SpeakersFromChannels(m_loopback.channels);
    // Older libraries report the layout only of loopback devices. The sound server knows
    // what our stream carries (OpenAL Soft takes the sink's layout) and where it goes.
    if (!PlaysThroughASoundServer(m_device)) return DSSPEAKER_STEREO;
    if (const std::optional<ServerOutput> server = QueryServerOutput())
        return server->headphones ? DSSPEAKER_HEADPHONE : SpeakersFromChannelCount(server->channels);
    return std::nullopt;
}

DWORD AlDevice::SpeakerConfig() {
    if (!IsConnected()) return DSSPEAKER_STEREO;
    // The layout is fixed when the output opens, so it is asked for once per output.
    if (m_speakers) return *m_speakers;
    const auto now = std::chrono::steady_clock::now();
    if (now < m_nextServerQuery) return DSSPEAKER_STEREO;
    m_speakers = QuerySpeakerConfig();
    if (m_speakers) return *m_speakers;
    // Without an answer, stereo is OpenAL Soft's own default layout.
    m_nextServerQuery = now + kServerRetry;
    return DSSPEAKER_STEREO;
}

double AlDevice::Now() const {
    if (IsLoopback()) return static_cast<double>(m_renderedFrames) / m_loopback.sampleRate;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_openedAt).count();
}

void AlDevice::Reap() {
    if (!m_context || (!m_tails.RoomsRinging() && !m_tails.HasFades())) return;
    ContextScope scope(m_context);
    m_tails.Reap(Now());
}

double AlDevice::UpdateSeconds() const {
    ALCint refresh = 0;
    if (m_device) alcGetIntegerv(m_device, ALC_REFRESH, 1, &refresh);
    return refresh > 0 ? 1.0 / refresh : kDefaultUpdateSeconds;
}

void AlDevice::FinishForExit() {
    // A loopback output plays only what a test renders; there is nothing to wait for.
    if (!m_context || IsLoopback() || !IsConnected()) return;
    if (!m_tails.HasFades() && !m_tails.RoomsRinging()) return;
    ContextScope scope(m_context);
    const auto start = std::chrono::steady_clock::now();
    m_tails.QuietenRooms();
    const auto quietened = start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                       std::chrono::duration<double>(2.0 * UpdateSeconds()));
    while (std::chrono::steady_clock::now() - start < kExitWaitLimit &&
           (m_tails.FadesUnderWay() || std::chrono::steady_clock::now() < quietened))
        std::this_thread::sleep_for(kExitPoll);
    // What was mixed last is still on its way to the speakers.
    std::this_thread::sleep_for(std::chrono::duration<double>(std::min(UpdateSeconds(), 0.05)));
}

int AlDevice::Channels() const { return ChannelCount(m_loopback.channels); }

std::vector<float> AlDevice::Render(std::size_t frames) {
    std::vector<float> samples(frames * static_cast<std::size_t>(Channels()), 0.0f);
    if (!IsLoopback() || !m_device || !m_context || m_simulatedLost || frames == 0) return samples;
    alcRenderSamplesSOFT(m_device, samples.data(), static_cast<ALCsizei>(frames));
    m_renderedFrames += frames;
    Reap();
    return samples;
}

void AlDevice::SetSimulatedDisconnect(bool lost) {
    m_simulatedLost = lost;
    // A real disconnect takes the output away; so does the simulated one, so that coming
    // back goes through the same reopening as after a real loss.
    if (lost) Close();
}

ContextScope::ContextScope(ALCcontext* context) : m_threadLocal(ThreadLocalContextsAvailable()) {
    if (m_threadLocal) {
        m_previous = alcGetThreadContext();
        if (m_previous != context) alcSetThreadContext(context);
    } else {
        m_globalLock = std::unique_lock<std::recursive_mutex>(CurrentContextLock());
        m_previous = alcGetCurrentContext();
        if (m_previous != context) alcMakeContextCurrent(context);
    }
}

ContextScope::~ContextScope() {
    if (m_threadLocal) {
        if (alcGetThreadContext() != m_previous) alcSetThreadContext(m_previous);
    } else if (alcGetCurrentContext() != m_previous) {
        alcMakeContextCurrent(m_previous);
    }
}

}  // namespace dsound_detail
