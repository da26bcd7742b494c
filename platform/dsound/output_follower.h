// What the output does about what the sound server reports: it follows the default output,
// turns binaural on and off as the output it plays on is headphones or not, and comes back
// by itself when the server does.
#pragma once

#include "platform/dsound/al_device.h"
#include "platform/dsound/server_watch.h"

namespace dsound_detail {

// Called with every report of the server's watch; changes the output when it should.
void FollowServer(AlDevice& output, const ServerFacts& facts);

// Without a server to ask: applies the listener's choice to the output as it is.
void FollowChoice(AlDevice& output);

}  // namespace dsound_detail
