// A private PulseAudio server for tests that need a real sound server: started in a
// folder of its own, given null sinks, recorded through their monitors, and gone with
// the object (killed, reaped, its folder removed) however the test ends. Clients reach
// it through the environment from ClientEnvironment(). A machine where it cannot start
// says why in Failure(); the test then skips with that reason.
//
// Objects made by the server (recordings, watches) must go before it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/child_process.h"

namespace sound_testing {

using Clock = std::chrono::steady_clock;

// A playback stream as the server lists it.
struct SinkInput {
    unsigned index = 0;
    std::string sink;        // the name of the sink it plays on
    long pid = 0;            // application.process.id; 0 when the stream does not say
    int channels = 0;
    std::string channelMap;  // the server's names, "front-left,front-right,..."
};

// A sink's monitor as 16-bit PCM, from Begin() until Finish(). When the sink goes, the
// server moves the recorder to the default sink's monitor, and the recording goes on there.
class MonitorRecording {
public:
    MonitorRecording(std::unique_ptr<test_support::ChildProcess> recorder, std::string file, int channels,
                     int rate, Clock::time_point begin);
    ~MonitorRecording();

    int Channels() const { return m_channels; }
    int Rate() const { return m_rate; }
    // When the first recorded frame was heard.
    Clock::time_point Begin() const { return m_begin; }
    // The frame heard at a moment (clamped to the recording's start).
    std::size_t FrameAt(Clock::time_point t) const;
    // Ends the recording; the frames, interleaved.
    const std::vector<std::int16_t>& Finish();

private:
    void StopRecorder();

    std::unique_ptr<test_support::ChildProcess> m_recorder;
    std::string m_file;
    int m_channels;
    int m_rate;
    Clock::time_point m_begin;
    std::vector<std::int16_t> m_frames;
};

// Every playback stream the server creates while the watch runs, with when it came
// and went; short-lived ones included, which a listing would miss.
class SinkInputWatch {
public:
    struct Lifetime {
        unsigned index = 0;
        Clock::time_point created;
        std::optional<Clock::time_point> removed;
    };

    SinkInputWatch(std::unique_ptr<test_support::ChildProcess> subscriber, int readFd);
    ~SinkInputWatch();

    std::vector<Lifetime> Streams() const;
    // Lines of any kind seen so far; the watch is live once the server has told it something.
    std::size_t EventCount() const;

private:
    void Read(int fd);

    std::unique_ptr<test_support::ChildProcess> m_subscriber;
    mutable std::mutex m_mutex;
    std::vector<Lifetime> m_streams;
    std::size_t m_events = 0;
    std::thread m_reader;
};

class PulseServer {
public:
    PulseServer();
    ~PulseServer();
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    bool Running() const { return m_failure.empty(); }
    const std::string& Failure() const { return m_failure; }
    // NAME=value entries that point a client at this server (and nowhere else).
    std::vector<std::string> ClientEnvironment() const;

    // The module index of a new null sink, or -1 (LastError() says why).
    int LoadNullSink(const std::string& name, int channels, const std::string& channelMap);
    bool SetDefaultSink(const std::string& name);
    bool UnloadModule(int module);
    std::vector<SinkInput> SinkInputs();
    // Null when the recorder did not start (LastError() says why).
    std::unique_ptr<MonitorRecording> RecordMonitor(const std::string& sink, int channels, int rate = 44100);
    std::unique_ptr<SinkInputWatch> WatchSinkInputs();
    // Stops the server in its tracks (and lets it go on): a server that accepts
    // connections and never answers.
    void Freeze();
    void Thaw();

    const std::string& LastError() const { return m_lastError; }

private:
    std::string Start();
    test_support::ChildOptions ToolOptions() const;
    std::optional<std::string> Pactl(const std::vector<std::string>& arguments);

    std::string m_folder;
    std::string m_socket;
    std::unique_ptr<test_support::ChildProcess> m_daemon;
    std::string m_failure;
    std::string m_lastError;
    bool m_frozen = false;
};

}  // namespace sound_testing
