// libpulse, loaded the first time the sound server is asked about. A process that never
// asks (a headless output, or no server at all) never loads it, nor the dozen codec and
// system libraries it pulls in, which every start-up would otherwise pay for.
#pragma once

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>
#include <pulse/operation.h>
#include <pulse/proplist.h>
#include <pulse/subscribe.h>

namespace sound_server {

struct PulseLibrary {
    decltype(&pa_mainloop_new) mainloop_new = nullptr;
    decltype(&pa_mainloop_free) mainloop_free = nullptr;
    decltype(&pa_mainloop_get_api) mainloop_get_api = nullptr;
    decltype(&pa_mainloop_prepare) mainloop_prepare = nullptr;
    decltype(&pa_mainloop_poll) mainloop_poll = nullptr;
    decltype(&pa_mainloop_dispatch) mainloop_dispatch = nullptr;
    decltype(&pa_mainloop_wakeup) mainloop_wakeup = nullptr;
    decltype(&pa_context_new) context_new = nullptr;
    decltype(&pa_context_connect) context_connect = nullptr;
    decltype(&pa_context_get_state) context_get_state = nullptr;
    decltype(&pa_context_disconnect) context_disconnect = nullptr;
    decltype(&pa_context_unref) context_unref = nullptr;
    decltype(&pa_context_set_subscribe_callback) context_set_subscribe_callback = nullptr;
    decltype(&pa_context_subscribe) context_subscribe = nullptr;
    decltype(&pa_context_get_server_info) context_get_server_info = nullptr;
    decltype(&pa_context_get_sink_info_list) context_get_sink_info_list = nullptr;
    decltype(&pa_context_get_sink_input_info_list) context_get_sink_input_info_list = nullptr;
    decltype(&pa_operation_get_state) operation_get_state = nullptr;
    decltype(&pa_operation_cancel) operation_cancel = nullptr;
    decltype(&pa_operation_unref) operation_unref = nullptr;
    decltype(&pa_proplist_gets) proplist_gets = nullptr;
};

// Loaded once for the process and kept; null when the library or one of its functions
// is missing, which the caller takes as "no server to ask".
const PulseLibrary* Pulse();

}  // namespace sound_server
