// A watch on the sound server (PulseAudio, or PipeWire's pulse server) from a thread of its
// own: what the default output is, and where this process's own stream plays, reported on
// every change the server announces and every half second besides. A server that is not
// there, or goes away, is reported gone and looked for again, every few seconds until one
// ever answered and at once after a loss, for as long as the watch lives. Never starts a
// server.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace sound_server {

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

    // Asks the server again and reports at once, as after a change it announced (or that
    // it is still not there).
    void Poke();

private:
    void Run();
    // Waits between attempts to reach a server, or for a poke.
    void Pause(std::chrono::milliseconds pause);
    // Whether the watch was poked since the last call.
    bool TakePoke();
    void SetLoop(void* loop);

    Report m_report;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::atomic<bool> m_stop{false};
    bool m_poked = false;
    void* m_loop = nullptr;  // the session's pa_mainloop, to wake it; guarded by m_mutex
    std::thread m_thread;
};

}  // namespace sound_server
