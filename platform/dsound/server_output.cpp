#include "platform/dsound/server_output.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/dsound/pulse_library.h"

namespace dsound_detail {
namespace {

using Clock = std::chrono::steady_clock;

// The speaker poll asks on the program's timer; a server that is slow, stuck or absent
// may cost it no more than this, connection included.
constexpr std::chrono::milliseconds kBudget{250};

// The library is loaded by the time any of its objects exists.
struct MainloopFree {
    void operator()(pa_mainloop* loop) const { Pulse()->mainloop_free(loop); }
};
struct ContextRelease {
    void operator()(pa_context* context) const {
        const PulseLibrary& pa = *Pulse();
        pa.context_set_state_callback(context, nullptr, nullptr);
        pa.context_disconnect(context);
        pa.context_unref(context);
    }
};
// A reply that has not come by the deadline is cancelled, so its callback can never
// run against the answer record after the query has returned.
struct OperationRelease {
    void operator()(pa_operation* operation) const {
        const PulseLibrary& pa = *Pulse();
        if (pa.operation_get_state(operation) == PA_OPERATION_RUNNING) pa.operation_cancel(operation);
        pa.operation_unref(operation);
    }
};
using Mainloop = std::unique_ptr<pa_mainloop, MainloopFree>;
using Context = std::unique_ptr<pa_context, ContextRelease>;
using Operation = std::unique_ptr<pa_operation, OperationRelease>;

// What the replies have told so far. Outlives every libpulse object of the query.
struct Answer {
    std::string ownPid = std::to_string(getpid());
    bool streamFound = false;
    std::uint32_t streamIndex = 0;
    std::uint32_t sinkIndex = PA_INVALID_INDEX;
    int channels = 0;
    bool headphones = false;
};

bool ContainsHeadphone(const char* name) {
    if (!name) return false;
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("headphone") != std::string::npos;
}

// Servers before 14.0 (and some pulse servers of other makes) leave the type unknown;
// their port names still say what the port is.
bool IsHeadphonesPort(const pa_sink_port_info& port) {
    if (port.type != PA_DEVICE_PORT_TYPE_UNKNOWN) return port.type == PA_DEVICE_PORT_TYPE_HEADPHONES;
    return ContainsHeadphone(port.name);
}

void OnSinkInput(pa_context*, const pa_sink_input_info* info, int eol, void* userdata) {
    if (eol != 0 || !info) return;
    auto* answer = static_cast<Answer*>(userdata);
    const char* pid = Pulse()->proplist_gets(info->proplist, PA_PROP_APPLICATION_PROCESS_ID);
    if (!pid || answer->ownPid != pid) return;
    // A stream being replaced can still be listed beside its successor; the newest is
    // the one that plays.
    if (answer->streamFound && info->index < answer->streamIndex) return;
    answer->streamFound = true;
    answer->streamIndex = info->index;
    answer->sinkIndex = info->sink;
    answer->channels = info->sample_spec.channels;
}

void OnSink(pa_context*, const pa_sink_info* info, int eol, void* userdata) {
    if (eol != 0 || !info) return;
    static_cast<Answer*>(userdata)->headphones = info->active_port && IsHeadphonesPort(*info->active_port);
}

class Query {
public:
    explicit Query(const PulseLibrary& pa) : m_pa(pa), m_deadline(Clock::now() + kBudget) {}

    std::optional<ServerOutput> Run() {
        m_loop.reset(m_pa.mainloop_new());
        if (!m_loop) return std::nullopt;
        m_context.reset(m_pa.context_new(m_pa.mainloop_get_api(m_loop.get()), "sound output query"));
        if (!m_context) return std::nullopt;
        // Asking must never be what brings a server up.
        if (m_pa.context_connect(m_context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            return std::nullopt;
        if (!IterateUntil([this] { return !IsConnecting(m_pa.context_get_state(m_context.get())); }) ||
            m_pa.context_get_state(m_context.get()) != PA_CONTEXT_READY)
            return std::nullopt;

        if (!Await(m_pa.context_get_sink_input_info_list(m_context.get(), OnSinkInput, &m_answer)) ||
            !m_answer.streamFound)
            return std::nullopt;
        // The layout stands even when the sink cannot be asked about its port in time.
        Await(m_pa.context_get_sink_info_by_index(m_context.get(), m_answer.sinkIndex, OnSink, &m_answer));
        return ServerOutput{m_answer.channels, m_answer.headphones};
    }

private:
    static bool IsConnecting(pa_context_state_t state) {
        return state == PA_CONTEXT_UNCONNECTED || state == PA_CONTEXT_CONNECTING ||
               state == PA_CONTEXT_AUTHORIZING || state == PA_CONTEXT_SETTING_NAME;
    }

    // Runs the loop until done() or the deadline; every wait in the loop ends by then.
    template <typename Done>
    bool IterateUntil(Done done) {
        while (!done()) {
            const auto left = std::chrono::duration_cast<std::chrono::microseconds>(m_deadline - Clock::now());
            if (left.count() <= 0) return false;
            if (m_pa.mainloop_prepare(m_loop.get(), static_cast<int>(left.count())) < 0 ||
                m_pa.mainloop_poll(m_loop.get()) < 0 || m_pa.mainloop_dispatch(m_loop.get()) < 0)
                return false;
        }
        return true;
    }

    // True when the request was answered in full; a context that fails cancels it.
    bool Await(pa_operation* request) {
        if (!request) return false;
        const Operation operation(request);
        return IterateUntil([&] { return m_pa.operation_get_state(request) != PA_OPERATION_RUNNING; }) &&
               m_pa.operation_get_state(request) == PA_OPERATION_DONE;
    }

    const PulseLibrary& m_pa;
    const Clock::time_point m_deadline;
    Answer m_answer;
    // Declared in the order of creation so that they go in reverse: the context before
    // the loop it runs on.
    Mainloop m_loop;
    Context m_context;
};

}  // namespace

std::optional<ServerOutput> QueryServerOutput() {
    const PulseLibrary* pa = Pulse();
    if (!pa) return std::nullopt;
    return Query(*pa).Run();
}

}  // namespace dsound_detail
