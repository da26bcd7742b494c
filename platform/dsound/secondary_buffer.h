// A static sound buffer: an OpenAL buffer and source, positioned through its 3D
// interface, with an EAX reverb fed by the source for the I3DL2 listener property set.
// One object answers for IDirectSoundBuffer, IDirectSound3DBuffer and IKsPropertySet and
// shares one reference count between them. It lives through a change of output: its data,
// settings and play state are made again on the new one, and while the layer brings a lost
// output back the buffer takes every call and plays when it is back.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/dsound/dsound.h"
#include "platform/dsound/ref_count.h"
#include "platform/dsound/sound_context.h"

namespace dsound_detail {

// The platform's 3D buffer before anything is set.
DS3DBUFFER DefaultBufferParameters();

class SecondaryBuffer final : public IDirectSoundBuffer,
                              public IDirectSound3DBuffer,
                              public IKsPropertySet,
                              private LiveVoice {
public:
    // Null when the description is refused (the status says why).
    static SecondaryBuffer* Create(std::shared_ptr<SoundContext> context, const DSBUFFERDESC& desc,
                                   HRESULT* status);

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

    HRESULT GetAllParameters(DS3DBUFFER* params) override;
    HRESULT SetAllParameters(const DS3DBUFFER* params, DWORD apply) override;

    HRESULT Get(REFGUID set, ULONG id, void* instance, ULONG instanceLength, void* data, ULONG dataLength,
                ULONG* returned) override;
    HRESULT Set(REFGUID set, ULONG id, void* instance, ULONG instanceLength, void* data,
                ULONG dataLength) override;
    HRESULT QuerySupport(REFGUID set, ULONG id, ULONG* support) override;

    // Whether the source feeds a room now.
    bool FeedsRoom();

private:
    SecondaryBuffer(std::shared_ptr<SoundContext> context, const DSBUFFERDESC& desc);
    ~SecondaryBuffer();

    AlDevice& Output() { return m_context->Device(); }
    // All below expect the device lock to be held and, where they touch OpenAL, the
    // context to be current.

    // Its OpenAL objects belong to the output as it is now.
    bool Live();
    // ... and its source holds the clip: OpenAL tells how it plays.
    bool Sounding() { return Live() && m_attached; }
    // Lost for the program: the output is gone, and nothing brings it back by itself.
    bool Lost() { return !Live() && !Output().Carried(); }
    void Capture() override;
    void Rebuild() override;
    // A buffer the program let go of while the output changed is not worth the upload.
    void Refill() override {
        if (m_refs.Count() > 1) Fill();
    }
    void SetRoomAudible(bool audible) override;
    bool MakeObjects();
    void DeleteObjects();
    void ApplyParameters();
    void ApplyReverb();
    // Lets the room this buffer feeds ring out on its own, free of the buffer.
    void ReleaseRoom();
    bool IsPlaying();
    // Stops the source with a fade instead of a cut; with `restartAt`, plays it on from
    // there at the same moment (a rewind). The play position stays where it was otherwise.
    void FadeOutAndPause(const ALint* restartAt = nullptr);
    // Gives the source its clip and plays on as the buffer was left.
    void Attach();
    std::uint8_t SilenceByte() const;

    // Without the device lock: puts the buffer's memory into its OpenAL buffer, as a mono
    // mix where it is not mono already, and plays on as it was. False when OpenAL had no
    // room for it.
    bool Fill();

    RefCount m_refs;
    std::shared_ptr<SoundContext> m_context;
    WAVEFORMATEX m_format;
    DWORD m_flags;
    DS3DBUFFER m_params;
    std::optional<DS3DBUFFER> m_sent;  // the record the OpenAL source follows, once it has one
    std::optional<std::array<unsigned char, 48>> m_reverb;  // the last I3DL2 record accepted

    // The buffer's memory, which OpenAL gets a mono mix of; guarded by m_dataLock, except
    // while the program holds it locked, when no one else reads it.
    std::mutex m_dataLock;
    std::vector<std::uint8_t> m_data;
    int m_locks = 0;

    // The output generation the OpenAL objects below were made in; they are gone with it.
    std::optional<unsigned> m_generation;
    ALuint m_source = 0;
    ALuint m_buffer = 0;
    bool m_attached = false;  // the source holds the buffer, filled
    Room m_room;              // the room the source feeds; no slot: none
    double m_ringSeconds = 0.0;

    // Where the sound is, for carrying it to another output: kept by every call that plays,
    // stops or moves it, and noted from OpenAL while the output runs.
    struct PlayState {
        bool playing = false;
        bool looping = false;
        ALint offset = 0;  // in sample frames
    };
    PlayState m_state;
};

}  // namespace dsound_detail
