// The sound device object and its factory.
#include <atomic>
#include <memory>

#include "platform/dsound/al_device.h"
#include "platform/dsound/dsound.h"
#include "platform/dsound/live_objects.h"
#include "platform/dsound/output_registry.h"
#include "platform/dsound/primary_buffer.h"
#include "platform/dsound/ref_count.h"
#include "platform/dsound/secondary_buffer.h"
#include "platform/dsound/sound_context.h"
#include "platform/kernel/module.h"

namespace dsound_detail {
namespace {

constexpr DWORD kHighestCooperativeLevel = 4;  // DSSCL_WRITEPRIMARY

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
        *config = m_context->Device().SpeakerConfig();
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
        if (!m_context->Device().IsConnected()) return DSERR_BUFFERLOST;
        *out = new PrimaryBuffer(m_context, desc.dwFlags);
        return DS_OK;
    }

    LiveObjectToken m_live;
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
}

void SetSoundRendering(SoundRendering rendering) {
    if (g_rendering.exchange(rendering) != rendering) dsound_detail::ApplyRenderingChoice();
}

SoundRendering GetSoundRendering() { return g_rendering; }
