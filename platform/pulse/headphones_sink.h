// Whether a sink of the sound server is headphones or a headset, from everything the server
// says of it: the type of its active port, port and sink names and descriptions, its form
// factor and a Bluetooth headset profile. Servers and drivers each say it a different way;
// any one of them is enough.
#pragma once

#include <pulse/introspect.h>

namespace sound_server {

struct PulseLibrary;

bool IsHeadphonesSink(const PulseLibrary& pa, const pa_sink_info& sink);

}  // namespace sound_server
