#include "platform/pulse/headphones_sink.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "platform/pulse/pulse_library.h"

namespace sound_server {
namespace {

std::string Lower(const char* text) {
    std::string s = text ? text : "";
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool SaysHeadphones(const char* text) {
    const std::string s = Lower(text);
    return s.find("headphone") != std::string::npos || s.find("headset") != std::string::npos;
}

// The port types a server of 14.0 or later reports; older ones leave the type unknown.
bool HeadphonesPortType(const pa_sink_port_info& port) {
    return port.type == PA_DEVICE_PORT_TYPE_HEADPHONES || port.type == PA_DEVICE_PORT_TYPE_HEADSET;
}

bool HeadphonesFormFactor(const char* formFactor) {
    const std::string s = Lower(formFactor);
    return s == "headphone" || s == "headphones" || s == "headset" || s == "hands-free" || s == "handsfree";
}

// PulseAudio names the Bluetooth profile "headset_head_unit" or "handsfree_head_unit", PipeWire
// "headset-head-unit"; the high-quality profile of headphones is told by their form factor.
bool HeadsetProfile(const char* profile) {
    const std::string s = Lower(profile);
    return s.find("head_unit") != std::string::npos || s.find("head-unit") != std::string::npos ||
           s.find("hsp") != std::string::npos || s.find("hfp") != std::string::npos;
}

}  // namespace

bool IsHeadphonesSink(const PulseLibrary& pa, const pa_sink_info& sink) {
    if (const pa_sink_port_info* port = sink.active_port) {
        if (HeadphonesPortType(*port) || SaysHeadphones(port->name) || SaysHeadphones(port->description)) return true;
    }
    if (SaysHeadphones(sink.name) || SaysHeadphones(sink.description)) return true;
    if (HeadphonesFormFactor(pa.proplist_gets(sink.proplist, PA_PROP_DEVICE_FORM_FACTOR))) return true;
    return HeadsetProfile(pa.proplist_gets(sink.proplist, "bluetooth.protocol")) ||
           HeadsetProfile(pa.proplist_gets(sink.proplist, "api.bluez5.profile"));
}

}  // namespace sound_server
