// What the output does about what the sound server reports and what the listener chooses:
// it follows the default output, renders binaural exactly when the listener chose
// headphones or, left to itself, when the output it plays on is headphones, and comes back
// by itself when the server does.
#pragma once

#include "platform/dsound/al_device.h"

namespace dsound_detail {

// What the output should be asked for a sink (null: the sink it is on, or none known).
// An explicit choice wins; Automatic takes what the user wrote in OpenAL Soft's settings,
// else whether the sink is headphones, else leaves it to OpenAL Soft. Expects the lock.
OutputRequest RequestFor(AlDevice& output, const SinkFacts* sink);
// Binaural is held on for now (HoldBinaural), over the listener's choice.
bool BinauralHeld();

// Called with every report of the server's watch; changes the output when it should.
void FollowServer(AlDevice& output, const ServerFacts& facts);

// Applies the listener's choice to the output where it plays now.
void FollowChoice(AlDevice& output);

}  // namespace dsound_detail
