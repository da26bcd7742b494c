#include "platform/dsound/al_device.h"

#include <algorithm>

#include "platform/dsound/output_follower.h"
#include "platform/hrtf/hrtf_sets.h"

namespace dsound_detail {
namespace {

// OpenAL Soft's own default: 1024 frames at 44.1 kHz.
constexpr double kDefaultUpdateSeconds = 1024.0 / 44100.0;

// The sets the device offers (counting them has OpenAL Soft look for new files).
std::vector<hrtf::OfferedSet> OfferedSets(ALCdevice* device) {
    if (!device || alcIsExtensionPresent(device, "ALC_SOFT_HRTF") != ALC_TRUE) return {};
    ALCint rate = 0;
    ALCint count = 0;
    alcGetIntegerv(device, ALC_FREQUENCY, 1, &rate);
    alcGetIntegerv(device, ALC_NUM_HRTF_SPECIFIERS_SOFT, 1, &count);
    std::vector<std::string> names;
    for (ALCint i = 0; i < count; ++i) {
        const ALCchar* name = alcGetStringiSOFT(device, ALC_HRTF_SPECIFIER_SOFT, i);
        names.emplace_back(name ? name : "");
    }
    return hrtf::SetsOnOffer(names, static_cast<unsigned>(rate));
}

}  // namespace

int ChannelCount(ALCint layout) {
    switch (layout) {
        case ALC_MONO_SOFT: return 1;
        case ALC_QUAD_SOFT: return 4;
        case ALC_5POINT1_SOFT: return 6;
        case ALC_6POINT1_SOFT: return 7;
        case ALC_7POINT1_SOFT: return 8;
        default: return 2;
    }
}

AlDevice::Opened::~Opened() {
    if (context && *context) {
        if (alcGetThreadContext() == *context) alcSetThreadContext(nullptr);
        if (alcGetCurrentContext() == *context) alcMakeContextCurrent(nullptr);
        alcDestroyContext(*context);
    }
    if (device) alcCloseDevice(device);
}

AlDevice::AlDevice(const LoopbackSettings& loopback) : m_loopback(loopback) {}

AlDevice::~AlDevice() { StopFollowing(); }

std::vector<ALCint> AlDevice::Attributes(const OutputRequest& request, ALCdevice* device) const {
    std::vector<ALCint> attributes;
    if (IsLoopback()) {
        attributes = {ALC_FORMAT_CHANNELS_SOFT, m_loopback.channels, ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT,
                      ALC_FREQUENCY, m_loopback.sampleRate};
    }
    if (request.hrtf) attributes.insert(attributes.end(), {ALC_HRTF_SOFT, *request.hrtf ? ALC_TRUE : ALC_FALSE});
    // Named even where OpenAL Soft decides on binaural by itself: it renders with it then.
    const std::vector<hrtf::OfferedSet> sets = OfferedSets(device);
    const auto asked = std::find_if(sets.begin(), sets.end(), [&](const hrtf::OfferedSet& s) { return s.name == request.hrtfSet; });
    if (!sets.empty()) attributes.insert(attributes.end(), {ALC_HRTF_ID_SOFT, (asked != sets.end() ? *asked : sets.front()).index});
    attributes.push_back(0);
    return attributes;
}

std::vector<std::string> AlDevice::HrtfSets() const {
    std::vector<std::string> names;
    for (const hrtf::OfferedSet& set : OfferedSets(Handle())) names.push_back(set.name);
    return names;
}

std::string AlDevice::HrtfSetInUse() const {
    if (!RendersHrtf()) return "";
    const ALCchar* name = alcGetString(Handle(), ALC_HRTF_SPECIFIER_SOFT);
    return name ? hrtf::LabelOfSet(name).name : "";
}

std::shared_ptr<AlDevice::Opened> AlDevice::Open(const OutputRequest& request) const {
    auto opened = std::make_shared<Opened>();
    if (IsLoopback()) {
        if (!m_loopback.connected || !(opened->device = alcLoopbackOpenDeviceSOFT(nullptr))) return nullptr;
        if (!alcIsRenderFormatSupportedSOFT(opened->device, m_loopback.sampleRate, m_loopback.channels, ALC_FLOAT_SOFT))
            return nullptr;
        opened->context = alcCreateContext(opened->device, Attributes(request, opened->device).data());
        return *opened->context ? opened : nullptr;
    }
    if (!(opened->device = alcOpenDevice(nullptr))) return nullptr;
    const std::vector<ALCint> attributes = Attributes(request, opened->device);
    if (alcIsExtensionPresent(opened->device, "ALC_SOFT_HRTF") == ALC_TRUE) {
        // Settling the output here starts it and fixes its layout and HRTF, which is all
        // that the check for an output and the speaker query ask about. The context is
        // the slow part (OpenAL Soft clears room for hundreds of voices), so it is made
        // when the first sound needs it; made without attributes, it keeps the running
        // output.
        return alcResetDeviceSOFT(opened->device, attributes.size() > 1 ? attributes.data() : nullptr) == ALC_TRUE
                   ? opened
                   : nullptr;
    }
    opened->context = alcCreateContext(opened->device, attributes.data());
    return *opened->context ? opened : nullptr;
}

ALCcontext* AlDevice::Context() {
    if (!m_out) return nullptr;
    // A context that cannot be made leaves the output without one, which IsConnected
    // takes as lost.
    if (!m_out->context) m_out->context = alcCreateContext(m_out->device, nullptr);
    return *m_out->context;
}

bool AlDevice::IsConnected() {
    // A context not made yet counts as there; one that could not be made, as lost.
    if (!m_out || (m_out->context && !*m_out->context) || (IsLoopback() && !m_loopback.connected)) return false;
    if (!m_canTellDisconnect) return true;
    ALCint connected = ALC_TRUE;
    alcGetIntegerv(m_out->device, ALC_CONNECTED, 1, &connected);
    return connected == ALC_TRUE;
}

bool AlDevice::RendersHrtf() const {
    if (!m_out || !m_canTellHrtf) return false;
    ALCint status = ALC_HRTF_DISABLED_SOFT;
    alcGetIntegerv(m_out->device, ALC_HRTF_STATUS_SOFT, 1, &status);
    return status == ALC_HRTF_ENABLED_SOFT || status == ALC_HRTF_REQUIRED_SOFT ||
           status == ALC_HRTF_HEADPHONES_DETECTED_SOFT;
}

void AlDevice::LandedOn(const SinkFacts& sink) {
    m_asked.sink = sink;
    // Where OpenAL Soft was left to decide, what it decided stands.
    if (!m_asked.hrtf) m_asked.hrtf = RendersHrtf();
}

double AlDevice::LostWhileAnswering(bool lostWhileAnswering) {
    if (!lostWhileAnswering) {
        m_lostSince.reset();
        return 0.0;
    }
    if (!m_lostSince) m_lostSince = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - *m_lostSince).count();
}

void AlDevice::CaptureVoices() {
    for (LiveVoice* voice : m_voices) voice->Capture();
}

double AlDevice::Now() const {
    if (!m_out) return 0.0;
    ALCint64SOFT nanoseconds = 0;
    alcGetInteger64vSOFT(m_out->device, ALC_DEVICE_CLOCK_SOFT, 1, &nanoseconds);
    return static_cast<double>(nanoseconds) * 1e-9;
}

void AlDevice::Reap() {
    if (!m_out || !m_out->context || !*m_out->context || !m_tails.Busy()) return;
    ContextScope scope(*m_out->context);
    m_tails.Reap(Now());
}

double AlDevice::UpdateSeconds() const {
    ALCint refresh = 0;
    if (m_out) alcGetIntegerv(m_out->device, ALC_REFRESH, 1, &refresh);
    return refresh > 0 ? 1.0 / refresh : kDefaultUpdateSeconds;
}

void AlDevice::SetListenerGain(float gain) {
    if (!m_out || !m_out->context || !*m_out->context) return;
    ContextScope scope(*m_out->context);
    alListenerf(AL_GAIN, gain);
}

bool AlDevice::Quieten() {
    if (!IsConnected() || !m_out->context || !*m_out->context) return false;
    ContextScope scope(*m_out->context);
    for (LiveVoice* voice : m_voices) voice->SetRoomAudible(false);
    m_tails.QuietenRooms();
    // A loopback output plays only what a test renders; there is nothing to wait for.
    if (IsLoopback()) alListenerf(AL_GAIN, 0.0f);
    return !IsLoopback();
}

void AlDevice::FinishForExit() {
    // A loopback output plays only what a test renders; there is nothing to wait for.
    if (IsLoopback() || !IsConnected() || !m_out->context || !*m_out->context || !m_tails.Busy()) return;
    ContextScope scope(*m_out->context);
    m_tails.HearOut(UpdateSeconds());
}

void AlDevice::Follow() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (m_watch || IsLoopback()) return;
    m_watch = std::make_unique<ServerWatch>([this](const ServerFacts& facts) { FollowServer(*this, facts); });
    m_settled.notify_all();
}

bool AlDevice::PokeWatch() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (m_watch) m_watch->Poke();
    return m_watch != nullptr;
}

void AlDevice::StopFollowing() {
    std::unique_ptr<ServerWatch> stopping;
    {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        stopping = std::move(m_watch);
    }
    // Its last report may still want the lock.
    stopping.reset();
}

ContextScope::ContextScope(ALCcontext* context) : m_previous(alcGetThreadContext()) {
    if (m_previous != context) alcSetThreadContext(context);
}

ContextScope::~ContextScope() {
    if (alcGetThreadContext() != m_previous) alcSetThreadContext(m_previous);
}

}  // namespace dsound_detail
