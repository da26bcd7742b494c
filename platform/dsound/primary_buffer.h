// The primary buffer: the device's mix, whose 3D listener is OpenAL's listener of the
// device object's context. One object answers for IDirectSoundBuffer and
// IDirectSound3DListener, so the listener keeps the primary buffer alive.
#pragma once

#include <memory>

#include "platform/dsound/dsound.h"
#include "platform/dsound/ref_count.h"
#include "platform/dsound/sound_context.h"

namespace dsound_detail {

class PrimaryBuffer final : public IDirectSoundBuffer, public IDirectSound3DListener {
public:
    PrimaryBuffer(std::shared_ptr<SoundContext> context, DWORD flags);

    HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetStatus(DWORD* status) override;
    HRESULT Lock(DWORD offset, DWORD bytes, void** ptr1, DWORD* bytes1, void** ptr2, DWORD* bytes2,
                 DWORD flags) override;
    HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) override;
    HRESULT SetCurrentPosition(DWORD position) override;
    HRESULT SetFormat(const WAVEFORMATEX* format) override;
    HRESULT Stop() override;
    HRESULT Unlock(void* ptr1, DWORD bytes1, void* ptr2, DWORD bytes2) override;
    HRESULT Restore() override;

    HRESULT GetAllParameters(DS3DLISTENER* params) override;
    HRESULT SetAllParameters(const DS3DLISTENER* params, DWORD apply) override;

private:
    ~PrimaryBuffer() = default;

    RefCount m_refs;
    std::shared_ptr<SoundContext> m_context;
    DWORD m_flags;
    WAVEFORMATEX m_format;
};

}  // namespace dsound_detail
