#include "platform/dsound/dsound_test.h"

#include <mutex>

#include "platform/dsound/al_device.h"
#include "platform/dsound/live_objects.h"
#include "platform/dsound/output_registry.h"
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

namespace {

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

}  // namespace

std::vector<float> RenderFrames(std::size_t frames) {
    auto device = dsound_detail::CurrentOutput();
    if (!device || !device->IsLoopback()) return {};
    std::lock_guard<std::recursive_mutex> lock(device->Mutex());
    std::vector<float> samples(frames * static_cast<std::size_t>(ChannelCount(device->Loopback().channels)), 0.0f);
    // A lost output plays nothing, and one with no context yet has nothing to play.
    if (!device->IsConnected() || !device->Context() || frames == 0) return samples;
    alcRenderSamplesSOFT(device->Handle(), samples.data(), static_cast<ALCsizei>(frames));
    device->Reap();
    return samples;
}

void SimulateDisconnect() {
    if (auto device = dsound_detail::CurrentOutput()) {
        std::lock_guard<std::recursive_mutex> lock(device->Mutex());
        // Gone as a real output goes: closed, and not to be had again until it comes back.
        device->Loopback().connected = false;
        device->Close();
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
    dsound_detail::OutputTarget target;
    {
        std::lock_guard<std::recursive_mutex> lock(device->Mutex());
        target = device->TargetFor(nullptr);
        target.sink += "+";  // another output: opened afresh, everything carried across
    }
    return device->Move(target);
}

bool LastReverb(IDirectSound3DBuffer* buffer, ReverbState* out) {
    if (!buffer) return false;
    return static_cast<dsound_detail::SecondaryBuffer*>(buffer)->LastReverb(out);
}

int LiveObjectCount() { return dsound_detail::LiveObjects(); }

}  // namespace dsound_test
