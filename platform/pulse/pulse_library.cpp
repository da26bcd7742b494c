#include "platform/pulse/pulse_library.h"

#include <dlfcn.h>

namespace sound_server {
namespace {

template <typename Function>
bool Bind(void* library, const char* name, Function* function) {
    *function = reinterpret_cast<Function>(dlsym(library, name));
    return *function != nullptr;
}

bool BindAll(void* library, PulseLibrary* p) {
    return Bind(library, "pa_mainloop_new", &p->mainloop_new) &&
           Bind(library, "pa_mainloop_free", &p->mainloop_free) &&
           Bind(library, "pa_mainloop_get_api", &p->mainloop_get_api) &&
           Bind(library, "pa_mainloop_prepare", &p->mainloop_prepare) &&
           Bind(library, "pa_mainloop_poll", &p->mainloop_poll) &&
           Bind(library, "pa_mainloop_dispatch", &p->mainloop_dispatch) &&
           Bind(library, "pa_mainloop_wakeup", &p->mainloop_wakeup) &&
           Bind(library, "pa_context_new", &p->context_new) &&
           Bind(library, "pa_context_connect", &p->context_connect) &&
           Bind(library, "pa_context_get_state", &p->context_get_state) &&
           Bind(library, "pa_context_disconnect", &p->context_disconnect) &&
           Bind(library, "pa_context_unref", &p->context_unref) &&
           Bind(library, "pa_context_set_subscribe_callback", &p->context_set_subscribe_callback) &&
           Bind(library, "pa_context_subscribe", &p->context_subscribe) &&
           Bind(library, "pa_context_get_server_info", &p->context_get_server_info) &&
           Bind(library, "pa_context_get_sink_info_list", &p->context_get_sink_info_list) &&
           Bind(library, "pa_context_get_sink_input_info_list", &p->context_get_sink_input_info_list) &&
           Bind(library, "pa_operation_get_state", &p->operation_get_state) &&
           Bind(library, "pa_operation_cancel", &p->operation_cancel) &&
           Bind(library, "pa_operation_unref", &p->operation_unref) &&
           Bind(library, "pa_proplist_gets", &p->proplist_gets);
}

const PulseLibrary* Load() {
    // Never closed: libpulse keeps process-wide state that must outlive every query.
    void* library = dlopen("libpulse.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!library) return nullptr;
    static PulseLibrary functions;
    if (!BindAll(library, &functions)) return nullptr;
    return &functions;
}

}  // namespace

const PulseLibrary* Pulse() {
    static const PulseLibrary* const loaded = Load();
    return loaded;
}

}  // namespace sound_server
