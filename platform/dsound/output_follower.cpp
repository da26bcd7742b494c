#include "platform/dsound/output_follower.h"

#include <optional>

namespace dsound_detail {

void FollowServer(AlDevice& output, const ServerFacts& facts) {
    if (output.IsLoopback()) return;
    std::optional<OutputTarget> target;
    {
        std::lock_guard<std::recursive_mutex> lock(output.Mutex());
        output.NoteServer(facts);
        // A server that went away is waited for; OpenAL Soft notices the loss by itself.
        if (!facts.reachable && output.Followed()) return;
        if (facts.reachable) output.SetFollowed(true);
    }
    // No server was ever found: the output is what it is, and only the choice can change it.
    if (!facts.reachable) return FollowChoice(output);
    {
        std::lock_guard<std::recursive_mutex> lock(output.Mutex());
        if (!facts.defaultSink) return;  // nowhere to play until a sink appears
        if (!output.IsConnected()) {
            target = output.TargetFor(&*facts.defaultSink);
        } else if (facts.streamSink) {
            // The first output opened before the server was asked: it is what it landed on.
            if (output.OpenedFor().sink.empty()) output.LandedOn(*facts.streamSink);
            // Our stream does not move by itself: the sound follows the default output by
            // opening it afresh.
            const SinkFacts& sink = facts.streamSink->name == facts.defaultSink->name ? *facts.streamSink
                                                                                      : *facts.defaultSink;
            const OutputTarget wanted = output.TargetFor(&sink);
            if (wanted != output.OpenedFor()) target = wanted;
        }
    }
    if (target) output.Move(*target);
}

void FollowChoice(AlDevice& output) {
    OutputTarget target;
    {
        std::lock_guard<std::recursive_mutex> lock(output.Mutex());
        if (!output.IsConnected()) return;  // the choice applies when the output is opened again
        target = output.TargetFor(nullptr);
        if (target == output.OpenedFor()) return;
    }
    output.Move(target);
}

}  // namespace dsound_detail
