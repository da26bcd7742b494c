#include "platform/pulse/server_watch.h"

#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>

#include "platform/pulse/headphones_sink.h"
#include "platform/pulse/pulse_library.h"

namespace sound_server {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A server that has not answered in this long counts as not there (a stuck one included).
constexpr milliseconds kConnectBudget{1000};
constexpr milliseconds kQueryBudget{500};
// How soon a server that went away is looked for again, and how often one that never
// answered (a player started before the desktop's sound server).
constexpr milliseconds kRetry{250};
constexpr milliseconds kLookAgain{2000};
// Reports come at least this often, so a loss that the server did not announce to us (our
// stream failing on its own) is noticed all the same.
constexpr milliseconds kTick{500};

// The library is loaded by the time any of its objects exists.
struct MainloopFree {
    void operator()(pa_mainloop* loop) const { Pulse()->mainloop_free(loop); }
};
struct ContextRelease {
    void operator()(pa_context* context) const {
        const PulseLibrary& pa = *Pulse();
        pa.context_set_subscribe_callback(context, nullptr, nullptr);
        pa.context_disconnect(context);
        pa.context_unref(context);
    }
};
// A reply that has not come by the deadline is cancelled, so its callback can never run
// against a listing that has gone.
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

// What one round of questions has been told. Outlives the operations that fill it.
struct Listing {
    const PulseLibrary* pa = nullptr;
    std::string ownPid = std::to_string(getpid());
    std::string defaultSink;
    std::map<std::uint32_t, SinkFacts> sinks;
    bool streamFound = false;
    std::uint32_t streamIndex = 0;
    std::uint32_t streamSink = PA_INVALID_INDEX;
    int streamChannels = 0;

    ServerFacts Facts() const {
        ServerFacts facts;
        facts.reachable = true;
        for (const auto& [index, sink] : sinks) {
            if (sink.name == defaultSink) facts.defaultSink = sink;
        }
        if (streamFound) {
            const auto sink = sinks.find(streamSink);
            if (sink != sinks.end()) facts.streamSink = sink->second;
            facts.streamChannels = streamChannels;
        }
        return facts;
    }
};

void OnServerInfo(pa_context*, const pa_server_info* info, void* userdata) {
    if (info && info->default_sink_name) static_cast<Listing*>(userdata)->defaultSink = info->default_sink_name;
}

void OnSink(pa_context*, const pa_sink_info* info, int eol, void* userdata) {
    if (eol != 0 || !info) return;
    auto* listing = static_cast<Listing*>(userdata);
    listing->sinks[info->index] =
        SinkFacts{info->name ? info->name : "", info->sample_spec.channels, IsHeadphonesSink(*listing->pa, *info)};
}

void OnSinkInput(pa_context*, const pa_sink_input_info* info, int eol, void* userdata) {
    if (eol != 0 || !info) return;
    auto* listing = static_cast<Listing*>(userdata);
    const char* pid = listing->pa->proplist_gets(info->proplist, PA_PROP_APPLICATION_PROCESS_ID);
    if (!pid || listing->ownPid != pid) return;
    // A stream being replaced can still be listed beside its successor; the newest plays.
    if (listing->streamFound && info->index < listing->streamIndex) return;
    listing->streamFound = true;
    listing->streamIndex = info->index;
    listing->streamSink = info->sink;
    listing->streamChannels = info->sample_spec.channels;
}

// One connection to the server, from connecting to losing it.
class Session {
public:
    Session(const PulseLibrary& pa, const std::atomic<bool>& stop) : m_pa(pa), m_stop(stop), m_loop(pa.mainloop_new()) {}

    pa_mainloop* Loop() const { return m_loop.get(); }

    bool Connect() {
        if (!m_loop) return false;
        m_context.reset(m_pa.context_new(m_pa.mainloop_get_api(m_loop.get()), "sound output watch"));
        if (!m_context) return false;
        // Watching must never be what brings a server up.
        if (m_pa.context_connect(m_context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return false;
        const auto deadline = Clock::now() + kConnectBudget;
        while (IsConnecting(m_pa.context_get_state(m_context.get()))) {
            if (m_stop || !IterateUntil(deadline)) return false;
        }
        if (!Ready()) return false;
        m_pa.context_set_subscribe_callback(m_context.get(), &Session::OnEvent, this);
        const auto mask = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SINK_INPUT |
                                                              PA_SUBSCRIPTION_MASK_SERVER | PA_SUBSCRIPTION_MASK_CARD);
        return Await({m_pa.context_subscribe(m_context.get(), mask, nullptr, nullptr)}, Clock::now() + kQueryBudget);
    }

    bool Ready() const { return m_context && m_pa.context_get_state(m_context.get()) == PA_CONTEXT_READY; }

    // Whether the server announced a change since the last call.
    bool TakeChanged() {
        const bool changed = m_changed;
        m_changed = false;
        return changed;
    }

    std::optional<ServerFacts> Ask() {
        Listing listing;
        listing.pa = &m_pa;
        pa_context* c = m_context.get();
        if (!Await({m_pa.context_get_server_info(c, OnServerInfo, &listing),
                    m_pa.context_get_sink_info_list(c, OnSink, &listing),
                    m_pa.context_get_sink_input_info_list(c, OnSinkInput, &listing)},
                   Clock::now() + kQueryBudget))
            return std::nullopt;
        return listing.Facts();
    }

    // Handles what the server sends until the deadline (or a wake-up); false when the
    // connection is gone.
    bool IterateUntil(Clock::time_point deadline) {
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
        if (left.count() <= 0) return Ready() || IsConnecting(m_pa.context_get_state(m_context.get()));
        return m_pa.mainloop_prepare(m_loop.get(), static_cast<int>(left.count())) >= 0 &&
               m_pa.mainloop_poll(m_loop.get()) >= 0 && m_pa.mainloop_dispatch(m_loop.get()) >= 0;
    }

private:
    static bool IsConnecting(pa_context_state_t state) {
        return state == PA_CONTEXT_UNCONNECTED || state == PA_CONTEXT_CONNECTING ||
               state == PA_CONTEXT_AUTHORIZING || state == PA_CONTEXT_SETTING_NAME;
    }

    static void OnEvent(pa_context*, pa_subscription_event_type_t, std::uint32_t, void* userdata) {
        static_cast<Session*>(userdata)->m_changed = true;
    }

    // True when every request was answered in full by the deadline.
    bool Await(std::initializer_list<pa_operation*> requests, Clock::time_point deadline) {
        std::vector<Operation> operations;
        bool all = true;
        for (pa_operation* request : requests) {
            if (request)
                operations.emplace_back(request);
            else
                all = false;
        }
        if (!all) return false;
        const auto running = [&] {
            for (const Operation& o : operations) {
                if (m_pa.operation_get_state(o.get()) == PA_OPERATION_RUNNING) return true;
            }
            return false;
        };
        while (running()) {
            if (m_stop || Clock::now() >= deadline || !IterateUntil(deadline)) return false;
        }
        for (const Operation& o : operations) {
            if (m_pa.operation_get_state(o.get()) != PA_OPERATION_DONE) return false;
        }
        return true;
    }

    const PulseLibrary& m_pa;
    const std::atomic<bool>& m_stop;
    bool m_changed = true;
    // Declared in the order of creation so that they go in reverse: the context before the
    // loop it runs on.
    Mainloop m_loop;
    Context m_context;
};

}  // namespace

ServerWatch::ServerWatch(Report report) : m_report(std::move(report)), m_thread([this] { Run(); }) {}

ServerWatch::~ServerWatch() {
    m_stop = true;
    Poke();
    if (m_thread.joinable()) m_thread.join();
}

void ServerWatch::Poke() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_poked = true;
        if (m_loop) Pulse()->mainloop_wakeup(static_cast<pa_mainloop*>(m_loop));
    }
    m_wake.notify_all();
}

void ServerWatch::Pause(milliseconds pause) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_wake.wait_for(lock, pause, [this] { return m_stop || m_poked; });
}

bool ServerWatch::TakePoke() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::exchange(m_poked, false);
}

void ServerWatch::SetLoop(void* loop) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_loop = loop;
}

void ServerWatch::Run() {
    const PulseLibrary* pa = Pulse();
    bool everConnected = false;
    ServerFacts last;
    bool told = false;  // whether anything was reported yet
    const auto report = [&](const ServerFacts& facts) {
        last = facts;
        told = true;
        m_report(facts);
    };
    while (!m_stop) {
        if (pa) {
            Session session(*pa, m_stop);
            SetLoop(session.Loop());
            if (session.Connect()) {
                everConnected = true;
                auto nextTick = Clock::now();
                while (!m_stop) {
                    if (session.TakeChanged() | TakePoke()) {
                        const std::optional<ServerFacts> facts = session.Ask();
                        if (!facts) break;
                        report(*facts);
                        nextTick = Clock::now() + kTick;
                    } else if (told && Clock::now() >= nextTick) {
                        report(last);
                        nextTick = Clock::now() + kTick;
                    }
                    if (!session.IterateUntil(nextTick) || !session.Ready()) break;
                }
            }
            SetLoop(nullptr);
        }
        if (m_stop) return;
        // Gone, or not there yet: said once, and again whenever someone asks.
        if (!told || last.reachable || TakePoke()) report(ServerFacts{});
        Pause(everConnected ? kRetry : kLookAgain);
    }
}

}  // namespace sound_server
