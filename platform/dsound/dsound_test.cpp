#include "platform/dsound/dsound_test.h"

#include <mutex>

#include "platform/dsound/al_device.h"
#include "platform/dsound/live_objects.h"
#include "platform/dsound/secondary_buffer.h"

namespace dsound_test {

void UseLoopback(int sampleRate) {
    dsound_detail::LoopbackSettings settings;
    settings.sampleRate = sampleRate > 0 ? sampleRate : 0;
    dsound_detail::SetLoopbackSettings(settings);
}

void UseLoopbackLayout(int sampleRate, LoopbackLayout layout, bool hrtf) {
    dsound_detail::LoopbackSettings settings;
    settings.sampleRate = sampleRate > 0 ? sampleRate : 0;
    switch (layout) {
        case LoopbackLayout::Mono: settings.channels = ALC_MONO_SOFT; break;
        case LoopbackLayout::Stereo: settings.channels = ALC_STEREO_SOFT; break;
        case LoopbackLayout::Quad: settings.channels = ALC_QUAD_SOFT; break;
        case LoopbackLayout::Surround51: settings.channels = ALC_5POINT1_SOFT; break;
        case LoopbackLayout::Surround71: settings.channels = ALC_7POINT1_SOFT; break;
    }
    settings.hrtf = hrtf;
    dsound_detail::SetLoopbackSettings(settings);
}

std::vector<float> RenderFrames(std::size_t frames) {
    auto device = dsound_detail::AlDevice::MostRecent();
    if (!device || !device->IsLoopback()) return {};
    std::lock_guard<std::recursive_mutex> lock(device->Mutex());
    return device->Render(frames);
}

void SimulateDisconnect() {
    if (auto device = dsound_detail::AlDevice::MostRecent()) {
        std::lock_guard<std::recursive_mutex> lock(device->Mutex());
        device->SetSimulatedDisconnect(true);
    }
}

void SimulateReconnect() {
    if (auto device = dsound_detail::AlDevice::MostRecent()) {
        std::lock_guard<std::recursive_mutex> lock(device->Mutex());
        device->SetSimulatedDisconnect(false);
    }
}

bool LastReverb(IDirectSound3DBuffer* buffer, ReverbState* out) {
    if (!buffer) return false;
    return static_cast<dsound_detail::SecondaryBuffer*>(buffer)->LastReverb(out);
}

int LiveObjectCount() { return dsound_detail::LiveObjects(); }

}  // namespace dsound_test
