// The sound device object and its factory.
#include <atomic>
#include <mutex>
#include <string>
#include <memory>

#include "platform/dsound/al_device.h"
#include "platform/dsound/dsound.h"
#include "platform/dsound/output_registry.h"
#include "platform/dsound/primary_buffer.h"
#include "platform/dsound/ref_count.h"
#include "platform/dsound/secondary_buffer.h"
#include "platform/dsound/sound_context.h"
#include "platform/kernel/module.h"

namespace dsound_detail {
namespace {

constexpr DWORD kHighestCooperativeLevel = 4;  // DSSCL_WRITEPRIMARY

DWORD SpeakersFromChannelCount(int count) {
    switch (count) {
        case 1: return DSSPEAKER_MONO;
        case 4: return DSSPEAKER_QUAD;
        // 5.0 is 5.1 without its low-frequency channel.
        case 5:
        case 6: return DSSPEAKER_5POINT1;
        // 6.1 has no speaker value of its own; its rear centre makes it the nearest
        // relative of 7.1.
        case 7:
        case 8: return DSSPEAKER_7POINT1;
        default: return DSSPEAKER_STEREO;
    }
}

// The output the stream is on now: headphones exactly when HRTF renders, else its layout,
// which this OpenAL Soft tells only of loopback devices: the server knows what our stream
// carries (OpenAL Soft takes the sink's layout). Stereo, OpenAL Soft's own default, when
// nothing plays or no one knows.
DWORD SpeakerConfigOf(AlDevice& output) {
    if (!output.IsConnected()) return DSSPEAKER_STEREO;
    if (output.RendersHrtf()) return DSSPEAKER_HEADPHONE;
    if (output.IsLoopback()) return SpeakersFromChannelCount(ChannelCount(output.Loopback().channels));
    return SpeakersFromChannelCount(output.StreamChannels());
}

class DirectSound final : public IDirectSound {
public:
    explicit DirectSound(std::shared_ptr<AlDevice> device)
        : m_context(std::make_shared<SoundContext>(std::move(device))) {}

    HRESULT QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDirectSound) return E_NOINTERFACE;
        *out = static_cast<IDirectSound*>(this);
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return m_refs.Add(); }
    ULONG Release() override {
        const ULONG left = m_refs.Drop();
        if (left == 0) delete this;
        return left;
    }

    HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** out, IUnknown* outer) override {
        if (!desc || !out || outer) return DSERR_INVALIDPARAM;
        *out = nullptr;
        if (desc->dwSize != DSBUFFERDESC_PLATFORM_SIZE && desc->dwSize != sizeof(DSBUFFERDESC))
            return DSERR_INVALIDPARAM;
        if (desc->dwFlags & DSBCAPS_PRIMARYBUFFER) return CreatePrimary(*desc, out);
        HRESULT status = DS_OK;
        SecondaryBuffer* buffer = SecondaryBuffer::Create(m_context, *desc, &status);
        if (buffer) *out = buffer;
        return status;
    }

    HRESULT GetSpeakerConfig(DWORD* config) override {
        if (!config) return DSERR_INVALIDPARAM;
        std::lock_guard<std::recursive_mutex> lock(m_context->Mutex());
        // The speaker poll comes every half second even while nothing plays: a good moment
        // to free the fades and rooms that have finished.
        m_context->Device().Reap();
        *config = SpeakerConfigOf(m_context->Device());
        return DS_OK;
    }

    // Any window will do: OpenAL has no notion of focus, so the level is only checked.
    HRESULT SetCooperativeLevel(HWND, DWORD level) override {
        if (level < DSSCL_NORMAL || level > kHighestCooperativeLevel) return DSERR_INVALIDPARAM;
        return DS_OK;
    }

private:
    ~DirectSound() = default;

    HRESULT CreatePrimary(const DSBUFFERDESC& desc, IDirectSoundBuffer** out) {
        if (desc.dwBufferBytes != 0 || desc.lpwfxFormat) return DSERR_INVALIDPARAM;
        std::lock_guard<std::recursive_mutex> lock(m_context->Mutex());
        // The listener needs no OpenAL context until a sound plays: the view binds to
        // the output with its first 3D buffer and applies the listener then.
        AlDevice& output = m_context->Device();
        if (!output.IsConnected() && !output.Carried()) return DSERR_BUFFERLOST;
        *out = new PrimaryBuffer(m_context, desc.dwFlags);
        return DS_OK;
    }

    RefCount m_refs;
    std::shared_ptr<SoundContext> m_context;
};

FARPROC DirectSoundCreateEntry() { return reinterpret_cast<FARPROC>(&DirectSoundCreate); }

}  // namespace
}  // namespace dsound_detail

HRESULT DirectSoundCreate(const GUID* device, IDirectSound** out, IUnknown* outer) {
    RegisterDirectSoundModule();
    if (!out || outer) return DSERR_INVALIDPARAM;
    *out = nullptr;
    // Only the default output is offered; a null or all-zero GUID names it.
    if (device && *device != GUID_NULL) return DSERR_NODRIVER;
    std::shared_ptr<dsound_detail::AlDevice> al = dsound_detail::AcquireOutput();
    if (!al) return DSERR_NODRIVER;
    *out = new dsound_detail::DirectSound(std::move(al));
    return DS_OK;
}

void PrepareSoundOutput() { dsound_detail::PrepareOutputInBackground(); }

void ReleaseSoundOutput() { dsound_detail::ReleaseOutput(); }

void RegisterDirectSoundModule() {
    RegisterLayerModule("dsound.dll", {{"DirectSoundCreate", dsound_detail::DirectSoundCreateEntry()}});
}

namespace {
std::atomic<SoundRendering> g_rendering{SoundRendering::Automatic};
std::mutex g_hrtfSetLock;
std::string g_hrtfSet;
std::atomic<bool> g_binauralHeld{false};
}

namespace dsound_detail {
bool BinauralHeld() { return g_binauralHeld; }
}  // namespace dsound_detail

void HoldBinaural(bool hold) {
    if (g_binauralHeld.exchange(hold) != hold) dsound_detail::ApplyRenderingChoice();
}

void SetSoundRendering(SoundRendering rendering) {
    if (g_rendering.exchange(rendering) != rendering) dsound_detail::ApplyRenderingChoice();
}

SoundRendering GetSoundRendering() { return g_rendering; }

void SetHrtfSet(const std::string& name) {
    {
        std::lock_guard<std::mutex> lock(g_hrtfSetLock);
        if (g_hrtfSet == name) return;
        g_hrtfSet = name;
    }
    dsound_detail::ApplyRenderingChoice();
}

std::string GetHrtfSet() {
    std::lock_guard<std::mutex> lock(g_hrtfSetLock);
    return g_hrtfSet;
}

std::vector<std::string> GetHrtfSets() {
    const std::shared_ptr<dsound_detail::AlDevice> output = dsound_detail::CurrentOutput();
    if (!output) return {};
    std::lock_guard<std::recursive_mutex> lock(output->Mutex());
    return output->HrtfSets();
}

std::string GetHrtfSetInUse() {
    const std::shared_ptr<dsound_detail::AlDevice> output = dsound_detail::CurrentOutput();
    if (!output) return "";
    std::lock_guard<std::recursive_mutex> lock(output->Mutex());
    // A change turns the sound down until the new output plays: nothing is heard with
    // any set until it is over.
    return output->Changing() ? "" : output->HrtfSetInUse();
}
