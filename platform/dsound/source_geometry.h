// What a 3D buffer's parameter record means to its OpenAL source. A record that follows
// one the source already has sends only the fields that differ, so the position update
// of every tick costs OpenAL two calls instead of eleven.
#pragma once

#include "platform/dsound/al_api.h"
#include "platform/dsound/dsound.h"

namespace dsound_detail {

// Sends the record to the source; the source's context must be current. `before` is the
// record the source already follows, or null when it follows none yet: then every field
// goes. `bufferFlags` are the buffer's creation flags (a buffer without 3D sits in the
// listener's head).
void SendGeometry(ALuint source, DWORD bufferFlags, const DS3DBUFFER& now, const DS3DBUFFER* before);

}  // namespace dsound_detail
