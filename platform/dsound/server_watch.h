// A watch on the sound server (PulseAudio, or PipeWire's pulse server) from a thread of its
// own: what the default output is, and where this process's own stream plays, reported on
// every change the server announces and every half second besides. A server that goes away
// is reported gone and looked for again until it is back. Never starts a server.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace dsound_detail {

struct SinkFacts {
    std::string name;
    int channels = 0;
    bool headphones = false;
    bool operator==(const SinkFacts& o) const {
        return name == o.name && channels == o.channels && headphones == o.headphones;
    }
};

struct ServerFacts {
    bool reachable = false;
    std::optional<SinkFacts> defaultSink;
    // The sink this process's newest playback stream plays on, and that stream's channels.
    std::optional<SinkFacts> streamSink;
    int streamChannels = 0;
    bool operator==(const ServerFacts& o) const {
        return reachable == o.reachable && defaultSink == o.defaultSink && streamSink == o.streamSink &&
               streamChannels == o.streamChannels;
    }
    bool operator!=(const ServerFacts& o) const { return !(*this == o); }
};

class ServerWatch {
public:
    using Report = std::function<void(const ServerFacts&)>;

    // Reports run on the watch's thread, one at a time.
    explicit ServerWatch(Report report);
    // Waits for the thread, which ends within a report's time.
    ~ServerWatch();
    ServerWatch(const ServerWatch&) = delete;
    ServerWatch& operator=(const ServerWatch&) = delete;

    // Asks the server again and reports at once, as after a change it announced.
    void Poke();
    // False once the first look found no server: there is none to watch, and the thread
    // has ended.
    bool FoundServer() const;

private:
    void Run();
    // Waits between attempts to reach a server; false when the watch is to end.
    bool Pause(std::chrono::milliseconds pause);

    Report m_report;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    bool m_poked = false;
    bool m_noServer = false;
    void* m_loop = nullptr;  // the session's pa_mainloop, to wake it; guarded by m_mutex
    std::thread m_thread;
};

}  // namespace dsound_detail
