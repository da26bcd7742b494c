#include "platform/dsound/output_follower.h"

#include "platform/dsound/alsoft_settings.h"
#include "platform/dsound/dsound.h"

namespace dsound_detail {
namespace {

constexpr double kSettledSeconds = 0.3;

}  // namespace

OutputRequest RequestFor(AlDevice& output, const SinkFacts* sink) {
    OutputRequest request{sink ? *sink : output.Asked().sink, std::nullopt, GetHrtfSet()};
    const SoundRendering choice = GetSoundRendering();
    // A loopback output is the tests' own; OpenAL Soft leaves the user's settings out of it.
    const AlsoftSettings& user = output.IsLoopback() ? AlsoftSettings{} : UserAlsoftSettings();
    if (BinauralHeld())
        request.hrtf = true;
    else if (choice != SoundRendering::Automatic)
        request.hrtf = choice == SoundRendering::Headphones;
    else if (output.IsLoopback())
        request.hrtf = output.Loopback().hrtf;
    else if (user.hrtf)
        request.hrtf = user.hrtf;
    else if (!request.sink.name.empty())
        request.hrtf = user.headphones.value_or(request.sink.headphones);
    return request;
}

void FollowServer(AlDevice& output, const ServerFacts& facts) {
    OutputRequest request;
    {
        std::lock_guard<std::recursive_mutex> lock(output.Mutex());
        const bool connected = output.IsConnected();
        // An output being opened is judged by the next report, once it is there.
        if (!connected && output.Changing()) return;
        // A loss can come without warning (the server killed): what is noted now is where
        // the sounds carry on when it comes back.
        if (connected) output.CaptureVoices();
        if (facts.streamChannels > 0) output.NoteStreamChannels(facts.streamChannels);
        const double lostFor = output.LostWhileAnswering(facts.reachable && !connected);
        if (!facts.reachable) {
            // A server that went away is waited for; OpenAL Soft notices the loss itself.
            // Meanwhile only the listener's choice changes the output as it is.
            if (!connected || (request = RequestFor(output, nullptr)) == output.Asked()) return;
        } else {
            if (!facts.defaultSink) return;  // nowhere to play until a sink appears
            // A server that answers while our stream is gone may be going away itself, and
            // this OpenAL Soft crashes when the server goes in the middle of an opening: the
            // output is opened again once the server has answered a while.
            if (!connected && lostFor < kSettledSeconds) return;
            // The output opened before the server was asked: it is what the stream landed on.
            if (connected && facts.streamSink && output.Asked().sink.name.empty()) output.LandedOn(*facts.streamSink);
            // Our stream does not move by itself: the sound follows the default output by
            // opening it afresh (also where it did not play through this server at all).
            const bool onDefault = facts.streamSink && facts.streamSink->name == facts.defaultSink->name;
            request = RequestFor(output, onDefault ? &*facts.streamSink : &*facts.defaultSink);
            if (connected && request == output.Asked()) return;
        }
    }
    output.Change(request);
}

void FollowChoice(AlDevice& output) {
    OutputRequest request;
    {
        std::lock_guard<std::recursive_mutex> lock(output.Mutex());
        // The choice applies when the output opens again.
        if (!output.IsConnected() || (request = RequestFor(output, nullptr)) == output.Asked()) return;
    }
    output.Change(request);
}

}  // namespace dsound_detail
