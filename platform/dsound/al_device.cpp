#include "platform/dsound/al_device.h"

#include <algorithm>
#include <thread>

#include "platform/dsound/dsound.h"
#include "platform/dsound/output_choice.h"

namespace dsound_detail {
namespace {

// How long the end of the process may wait for fades to be heard: they take 10 ms, and
// the output plays what was mixed a few updates later.
constexpr auto kExitWaitLimit = std::chrono::milliseconds(150);
constexpr auto kExitPoll = std::chrono::milliseconds(2);
// OpenAL Soft's own default: 1024 frames at 44.1 kHz.
constexpr double kDefaultUpdateSeconds = 1024.0 / 44100.0;
// A gain change is heard over one update; what was mixed before it is still queued on the
// server for the updates OpenAL Soft writes ahead (three by default).
constexpr int kUpdatesToQuieten = 4;
constexpr double kLongestQuieten = 0.2;
// A new output plays silence for as long before it is turned up, so every sound that
// starts on it starts from silence.
constexpr int kUpdatesBeforeTurningUp = 2;

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

void SleepFor(double seconds) {
    if (seconds > 0) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

}  // namespace

AlDevice::AlDevice(const LoopbackSettings& loopback) : m_loopback(loopback) {}

AlDevice::~AlDevice() { Close(); }

std::vector<ALCint> AlDevice::Attributes(const std::optional<bool>& hrtf) const {
    std::vector<ALCint> attributes;
    if (IsLoopback()) {
        attributes = {ALC_FORMAT_CHANNELS_SOFT, m_loopback.channels, ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT,
                      ALC_FREQUENCY, m_loopback.sampleRate};
    }
    if (hrtf) attributes.insert(attributes.end(), {ALC_HRTF_SOFT, *hrtf ? ALC_TRUE : ALC_FALSE});
    attributes.push_back(0);
    return attributes;
}

AlDevice::Opened AlDevice::OpenOutput(const LoopbackSettings& loopback, const std::optional<bool>& hrtf) const {
    Opened opened;
    const std::vector<ALCint> attributes = Attributes(hrtf);
    if (loopback.sampleRate > 0) {
        if (!loopback.connected) return {};
        opened.device = alcLoopbackOpenDeviceSOFT(nullptr);
        if (!opened.device) return {};
        if (alcIsRenderFormatSupportedSOFT(opened.device, loopback.sampleRate, loopback.channels, ALC_FLOAT_SOFT)) {
            if (ALCcontext* context = alcCreateContext(opened.device, attributes.data())) {
                opened.context = context;
                return opened;
            }
        }
        alcCloseDevice(opened.device);
        return {};
    }
    opened.device = alcOpenDevice(nullptr);
    if (!opened.device) return {};
    if (alcIsExtensionPresent(opened.device, "ALC_SOFT_HRTF") == ALC_TRUE) {
        // Settling the output here starts it and fixes its layout and HRTF, which is all
        // that the check for an output and the speaker query ask about. The context is
        // the slow part (OpenAL Soft clears room for hundreds of voices), so it is made
        // when the first sound needs it; made without attributes, it keeps the running
        // output.
        if (alcResetDeviceSOFT(opened.device, attributes.size() > 1 ? attributes.data() : nullptr) == ALC_TRUE)
            return opened;
    } else if (ALCcontext* context = alcCreateContext(opened.device, attributes.data())) {
        opened.context = context;
        return opened;
    }
    alcCloseDevice(opened.device);
    return {};
}

void AlDevice::Install(const Opened& opened) {
    m_device = opened.device;
    m_context = opened.context;
    // Asked on every call of the layer, so the answer that cannot change is kept.
    m_canTellDisconnect = alcIsExtensionPresent(m_device, "ALC_EXT_disconnect") == ALC_TRUE;
    m_canTellHrtf = alcIsExtensionPresent(m_device, "ALC_SOFT_HRTF") == ALC_TRUE;
    ++m_generation;
}

bool AlDevice::Open() {
    // The program's choice and the user's settings are known before the output is; the
    // output's own kind only once the server says where it plays. Until then OpenAL Soft
    // decides as it would for any program.
    std::optional<bool> hrtf;
    if (IsLoopback() || GetSoundRendering() != SoundRendering::Automatic) hrtf = TargetFor(nullptr).hrtf;
    const Opened opened = OpenOutput(m_loopback, hrtf);
    if (!opened.device) return false;
    Install(opened);
    m_target = OutputTarget{};
    m_target.hrtf = HrtfRendering();
    return true;
}

ALCcontext* AlDevice::Context() {
    if (!m_device) return nullptr;
    // A context that cannot be made leaves the output without one, which IsConnected
    // takes as lost: the next device opens it afresh.
    if (!m_context) m_context = alcCreateContext(m_device, nullptr);
    return *m_context;
}

void AlDevice::Close() {
    if (m_context && *m_context) {
        if (alcGetThreadContext() == *m_context) alcSetThreadContext(nullptr);
        if (alcGetCurrentContext() == *m_context) alcMakeContextCurrent(nullptr);
        alcDestroyContext(*m_context);
    }
    m_context.reset();
    m_tails.Forget();
    if (!m_device) return;
    alcCloseDevice(m_device);
    m_device = nullptr;
    ++m_generation;
}

bool AlDevice::IsConnected() {
    // A context not made yet counts as there; one that could not be made, as lost.
    if (!m_device || (m_context && !*m_context)) return false;
    if (!m_canTellDisconnect) return true;
    ALCint connected = ALC_TRUE;
    alcGetIntegerv(m_device, ALC_CONNECTED, 1, &connected);
    return connected == ALC_TRUE;
}

bool AlDevice::Recover() {
    if (IsConnected()) return true;
    // The watch opens a lost output on the server again as soon as the server can take it;
    // asking here would only wait on a server that may be gone.
    if (m_followed || m_moving) return false;
    // This OpenAL Soft cannot reconnect a device in place, so a lost output is closed and
    // the default output opened afresh, with every sound carried across.
    Close();
    const Opened opened = OpenOutput(m_loopback, m_target.hrtf);
    if (!opened.device) return false;
    Install(opened);
    for (LiveVoice* voice : m_voices) voice->Rebuild();
    return IsConnected();
}

OutputTarget AlDevice::TargetFor(const SinkFacts* sink) const {
    OutputTarget target = m_target;
    bool headphones = m_target.hrtf;  // with no server to ask, the output stays what it is
    if (sink) {
        target.sink = sink->name;
        target.channels = sink->channels;
        headphones = sink->headphones;
    }
    if (IsLoopback()) headphones = m_loopback.hrtf;
    // A loopback output is the tests' own; OpenAL Soft leaves the user's settings out of it.
    static const AlsoftSettings none;
    target.hrtf = WantsHrtf(GetSoundRendering(), IsLoopback() ? none : UserAlsoftSettings(), headphones);
    return target;
}

void AlDevice::NoteServer(const ServerFacts& facts) {
    m_server = facts;
    // A loss can come without warning (the server killed): what is noted now is where the
    // sounds carry on when it comes back.
    if (IsConnected()) CaptureVoices();
}

void AlDevice::CaptureVoices() {
    for (LiveVoice* voice : m_voices) voice->Capture();
}

bool AlDevice::HrtfRendering() const {
    if (!m_device || !m_canTellHrtf) return false;
    ALCint status = ALC_HRTF_DISABLED_SOFT;
    alcGetIntegerv(m_device, ALC_HRTF_STATUS_SOFT, 1, &status);
    return status == ALC_HRTF_ENABLED_SOFT || status == ALC_HRTF_REQUIRED_SOFT ||
           status == ALC_HRTF_HEADPHONES_DETECTED_SOFT;
}

DWORD AlDevice::SpeakerConfig() {
    // Nothing plays: OpenAL Soft's own default layout is what comes back first.
    if (!IsConnected()) return DSSPEAKER_STEREO;
    if (HrtfRendering()) return DSSPEAKER_HEADPHONE;
    if (alcIsExtensionPresent(m_device, "ALC_SOFT_output_mode") == ALC_TRUE) {
        ALCint mode = dsound_al::kAnySoft;
        alcGetIntegerv(m_device, dsound_al::kOutputModeSoft, 1, &mode);
        if (mode == dsound_al::kStereoHrtfSoft) return DSSPEAKER_HEADPHONE;
        if (mode == dsound_al::kStereoBasicSoft || mode == dsound_al::kStereoUhjSoft) return DSSPEAKER_STEREO;
        if (mode != dsound_al::kAnySoft) return SpeakersFromChannels(mode);
    }
    if (IsLoopback()) return SpeakersFromChannels(m_loopback.channels);
    // Older libraries report the layout only of loopback devices. The server knows what
    // our stream carries (OpenAL Soft takes the sink's layout); without one, stereo is
    // OpenAL Soft's own default.
    if (m_server.streamChannels > 0) return SpeakersFromChannelCount(m_server.streamChannels);
    return DSSPEAKER_STEREO;
}

bool AlDevice::CanResetInPlace(const OutputTarget& target) const {
    // A reset keeps every source and effect but reconnects to the sink the stream is on,
    // and a device that once rendered binaural stays stereo through later resets.
    if (target.sink != m_target.sink) return false;
    return target.hrtf || !m_target.hrtf || target.channels <= 2;
}

void AlDevice::SetListenerGain(float gain) {
    if (!m_context || !*m_context) return;
    ContextScope scope(*m_context);
    alListenerf(AL_GAIN, gain);
}

double AlDevice::Quieten() {
    if (!IsConnected() || !m_context || !*m_context) return 0.0;
    ContextScope scope(*m_context);
    alListenerf(AL_GAIN, 0.0f);
    for (LiveVoice* voice : m_voices) voice->SetRoomAudible(false);
    m_tails.QuietenRooms();
    // A loopback output plays only what a test renders; there is nothing to wait for.
    if (IsLoopback()) return 0.0;
    return std::min(kUpdatesToQuieten * UpdateSeconds(), kLongestQuieten);
}

bool AlDevice::Move(const OutputTarget& target) {
    std::lock_guard<std::mutex> moving(m_moveLock);
    bool inPlace = false;
    double quieten = 0.0;
    {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        inPlace = IsConnected() && CanResetInPlace(target);
        m_moving = true;
        quieten = Quieten();
    }
    SleepFor(quieten);

    unsigned generation = 0;
    if (inPlace) {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        m_moving = false;
        const std::vector<ALCint> attributes = Attributes(target.hrtf);
        if (m_device && alcResetDeviceSOFT(m_device, attributes.data()) == ALC_TRUE) m_target = target;
        // The reset emptied the rooms; they fill again from silence as the sound comes up.
        if (m_context && *m_context) {
            ContextScope scope(*m_context);
            for (LiveVoice* voice : m_voices) voice->SetRoomAudible(true);
        }
        generation = m_generation;
    } else {
        LoopbackSettings loopback;
        {
            std::lock_guard<std::recursive_mutex> lock(m_mutex);
            CaptureVoices();
            Close();
            loopback = m_loopback;
        }
        // The default output is opened outside the lock: the server may take its time, and
        // the program carries on meanwhile with its sounds counted as lost.
        const Opened opened = OpenOutput(loopback, target.hrtf);
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        m_moving = false;
        if (!opened.device) return false;
        Install(opened);
        m_target = target;
        if (!target.sink.empty() && !target.hrtf) m_server.streamChannels = target.channels;
        if (!m_voices.empty() && Context()) {
            SetListenerGain(0.0f);
            for (LiveVoice* voice : m_voices) voice->Rebuild();
        }
        generation = m_generation;
    }
    if (!IsLoopback()) SleepFor(kUpdatesBeforeTurningUp * UpdateSeconds());
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (m_generation == generation) SetListenerGain(1.0f);
    return true;
}

double AlDevice::Now() const {
    if (!m_device) return 0.0;
    ALCint64SOFT nanoseconds = 0;
    alcGetInteger64vSOFT(m_device, ALC_DEVICE_CLOCK_SOFT, 1, &nanoseconds);
    return static_cast<double>(nanoseconds) * 1e-9;
}

void AlDevice::Reap() {
    if (!m_context || !*m_context || (!m_tails.RoomsRinging() && !m_tails.HasFades())) return;
    ContextScope scope(*m_context);
    m_tails.Reap(Now());
}

double AlDevice::UpdateSeconds() const {
    ALCint refresh = 0;
    if (m_device) alcGetIntegerv(m_device, ALC_REFRESH, 1, &refresh);
    return refresh > 0 ? 1.0 / refresh : kDefaultUpdateSeconds;
}

void AlDevice::FinishForExit() {
    // A loopback output plays only what a test renders; there is nothing to wait for.
    if (!m_context || !*m_context || IsLoopback() || !IsConnected()) return;
    if (!m_tails.HasFades() && !m_tails.RoomsRinging()) return;
    ContextScope scope(*m_context);
    const auto start = std::chrono::steady_clock::now();
    m_tails.QuietenRooms();
    const auto quietened = start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                       std::chrono::duration<double>(2.0 * UpdateSeconds()));
    while (std::chrono::steady_clock::now() - start < kExitWaitLimit &&
           (m_tails.FadesUnderWay() || std::chrono::steady_clock::now() < quietened))
        std::this_thread::sleep_for(kExitPoll);
    // What was mixed last is still on its way to the speakers.
    SleepFor(std::min(UpdateSeconds(), 0.05));
}

ContextScope::ContextScope(ALCcontext* context) : m_previous(alcGetThreadContext()) {
    if (m_previous != context) alcSetThreadContext(context);
}

ContextScope::~ContextScope() {
    if (alcGetThreadContext() != m_previous) alcSetThreadContext(m_previous);
}

}  // namespace dsound_detail
