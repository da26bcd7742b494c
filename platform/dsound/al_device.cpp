#include "platform/dsound/al_device.h"

#include <atomic>
#include <cstdint>

#include "platform/dsound/dsound.h"

namespace dsound_detail {
namespace {

std::mutex g_registryMutex;
LoopbackSettings g_loopback;
std::weak_ptr<AlDevice> g_shared;
std::weak_ptr<AlDevice> g_mostRecent;

// What the output looked like when a context last existed. A device without a context
// has not been configured yet, so it cannot tell whether HRTF will run; asking would
// mean starting the mixer. The probe reads this instead while nothing plays.
constexpr std::int64_t kUnknownSpeakers = -1;
std::atomic<std::int64_t> g_lastSpeakerConfig{kUnknownSpeakers};

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
    std::lock_guard<std::mutex> lock(g_registryMutex);
    g_loopback = settings;
}

std::shared_ptr<AlDevice> AlDevice::Acquire() {
    std::lock_guard<std::mutex> lock(g_registryMutex);
    if (auto live = g_shared.lock()) {
        std::lock_guard<std::recursive_mutex> deviceLock(live->Mutex());
        if (SameLoopback(live->m_loopback, g_loopback) && live->IsConnected()) return live;
    }
    auto device = std::make_shared<AlDevice>(g_loopback);
    {
        std::lock_guard<std::recursive_mutex> deviceLock(device->Mutex());
        if (!device->Open()) return nullptr;
    }
    g_shared = device;
    g_mostRecent = device;
    return device;
}

std::shared_ptr<AlDevice> AlDevice::MostRecent() {
    std::lock_guard<std::mutex> lock(g_registryMutex);
    return g_mostRecent.lock();
}

AlDevice::AlDevice(const LoopbackSettings& loopback) : m_loopback(loopback) {}

AlDevice::~AlDevice() { Close(); }

bool AlDevice::Open() {
    if (IsLoopback())
        m_device = alcLoopbackOpenDeviceSOFT(nullptr);
    else
        m_device = alcOpenDevice(nullptr);
    if (!m_device) return false;
    if (IsLoopback()) {
        const ALCboolean supported = alcIsRenderFormatSupportedSOFT(m_device, m_loopback.sampleRate,
                                                                    m_loopback.channels, ALC_FLOAT_SOFT);
        if (!supported) {
            Close();
            return false;
        }
    }
    ++m_generation;
    return true;
}

void AlDevice::Close() {
    if (!m_device) return;
    // Closing takes every remaining context of this generation with it.
    alcCloseDevice(m_device);
    m_device = nullptr;
    m_liveContexts = 0;
    ++m_generation;
}

bool AlDevice::IsConnected() {
    if (!m_device || m_simulatedLost) return false;
    if (alcIsExtensionPresent(m_device, "ALC_EXT_disconnect") != ALC_TRUE) return true;
    ALCint connected = ALC_TRUE;
    alcGetIntegerv(m_device, ALC_CONNECTED, 1, &connected);
    return connected == ALC_TRUE;
}

bool AlDevice::Recover() {
    if (IsConnected()) return true;
    if (m_simulatedLost) return false;
    // This OpenAL Soft cannot reconnect a device in place, so a lost device is closed
    // and the default output opened afresh; every context is then rebuilt by its owner.
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

ALCcontext* AlDevice::CreateContext() {
    if (!IsConnected()) return nullptr;
    const std::vector<ALCint> attributes = ContextAttributes();
    ALCcontext* context = alcCreateContext(m_device, attributes.size() > 1 ? attributes.data() : nullptr);
    if (!context) return nullptr;
    ++m_liveContexts;
    g_lastSpeakerConfig.store(QuerySpeakerConfig());
    return context;
}

void AlDevice::DestroyContext(ALCcontext* context, unsigned generation) {
    if (!context || generation != m_generation || !m_device) return;
    if (ThreadLocalContextsAvailable() && alcGetThreadContext() == context) alcSetThreadContext(nullptr);
    if (alcGetCurrentContext() == context) alcMakeContextCurrent(nullptr);
    alcDestroyContext(context);
    --m_liveContexts;
}

DWORD AlDevice::QuerySpeakerConfig() {
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
    // Older libraries report the channel layout only for loopback devices; an ordinary
    // device then counts as stereo, OpenAL Soft's own default layout.
    if (IsLoopback()) return SpeakersFromChannels(m_loopback.channels);
    return DSSPEAKER_STEREO;
}

DWORD AlDevice::SpeakerConfig() {
    if (!m_device) return DSSPEAKER_STEREO;
    if (HasLiveContext()) return QuerySpeakerConfig();
    const std::int64_t known = g_lastSpeakerConfig.load();
    if (known != kUnknownSpeakers) return static_cast<DWORD>(known);
    // Nothing has configured an output yet: do it once, briefly, to learn the answer.
    ALCcontext* context = CreateContext();
    const DWORD config = context ? QuerySpeakerConfig() : DSSPEAKER_STEREO;
    DestroyContext(context, m_generation);
    return config;
}

int AlDevice::Channels() const { return ChannelCount(m_loopback.channels); }

std::vector<float> AlDevice::Render(std::size_t frames) {
    std::vector<float> samples(frames * static_cast<std::size_t>(Channels()), 0.0f);
    if (!IsLoopback() || !m_device || !HasLiveContext() || m_simulatedLost || frames == 0) return samples;
    alcRenderSamplesSOFT(m_device, samples.data(), static_cast<ALCsizei>(frames));
    return samples;
}

void AlDevice::SetSimulatedDisconnect(bool lost) {
    m_simulatedLost = lost;
    // A real disconnect takes the device away; so does the simulated one, so that
    // coming back goes through the same reopening as after a real loss.
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
