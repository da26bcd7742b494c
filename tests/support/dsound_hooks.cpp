#include "tests/support/dsound_hooks.h"

#include <mutex>

#include "platform/dsound/al_device.h"
#include "platform/dsound/output_registry.h"
#include "platform/dsound/ref_count.h"
#include "platform/dsound/secondary_buffer.h"

namespace dsound_test {

void UseLoopback(int sampleRate) { UseLoopbackLayout(sampleRate, LoopbackLayout::Stereo, false); }

void UseLoopbackLayout(int sampleRate, LoopbackLayout layout, bool hrtf) {
    dsound_detail::LoopbackSettings settings;
    settings.sampleRate = sampleRate > 0 ? sampleRate : 0;
    const ALCint layouts[] = {ALC_MONO_SOFT, ALC_STEREO_SOFT, ALC_QUAD_SOFT, ALC_5POINT1_SOFT, ALC_7POINT1_SOFT};
    settings.channels = layouts[static_cast<int>(layout)];
    settings.hrtf = hrtf;
    dsound_detail::SetLoopbackSettings(settings);
}

std::vector<float> RenderFrames(std::size_t frames) {
    auto device = dsound_detail::CurrentOutput();
    if (!device || !device->IsLoopback()) return {};
    std::lock_guard<std::recursive_mutex> lock(device->Mutex());
    std::vector<float> samples(frames * dsound_detail::ChannelCount(device->Loopback().channels), 0.0f);
    // A lost output plays nothing, and one with no context yet has nothing to play.
    if (!device->IsConnected() || !device->Context() || frames == 0) return samples;
    alcRenderSamplesSOFT(device->Handle(), samples.data(), static_cast<ALCsizei>(frames));
    device->Reap();
    return samples;
}

void SimulateDisconnect() {
    if (auto device = dsound_detail::CurrentOutput()) {
        std::lock_guard<std::recursive_mutex> lock(device->Mutex());
        device->Loopback().connected = false;
    }
}

void SimulateReconnect() {
    if (auto device = dsound_detail::CurrentOutput()) {
        std::lock_guard<std::recursive_mutex> lock(device->Mutex());
        device->Loopback().connected = true;
    }
}

bool SimulateOutputChange() {
    auto device = dsound_detail::CurrentOutput();
    if (!device) return false;
    dsound_detail::OutputRequest request;
    {
        std::lock_guard<std::recursive_mutex> lock(device->Mutex());
        request = device->Asked();
        request.sink.name += "+";  // another output: opened afresh, everything carried across
    }
    return device->Change(request);
}

bool LastReverb(IDirectSound3DBuffer* buffer, ReverbState* out) {
    IKsPropertySet* set = nullptr;
    if (!buffer || !out || FAILED(buffer->QueryInterface(IID_IKsPropertySet, reinterpret_cast<void**>(&set)))) return false;
    const bool got = set->Get(DSPROPSETID_I3DL2_ListenerProperties, DSPROPERTY_I3DL2LISTENER_ALL, nullptr, 0,
                              out->record, sizeof out->record, nullptr) == S_OK;
    set->Release();
    out->effectAttached = static_cast<dsound_detail::SecondaryBuffer*>(buffer)->FeedsRoom();
    return got;
}

int LiveObjectCount() { return dsound_detail::RefCount::LiveObjects(); }

}  // namespace dsound_test
