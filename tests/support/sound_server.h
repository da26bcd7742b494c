// A private sound server for tests that need a real one: PulseAudio, or PipeWire with its
// session manager and pulse server under a session bus of their own. Started in a folder
// of its own, given null sinks, recorded through their monitors, and gone with the object
// (killed, reaped, its folder removed) however the test ends. Clients reach it through the
// environment from ClientEnvironment(). A machine where it cannot start says why in
// Failure(); the test then skips with that reason.
//
// Recordings made by the server must go before it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace sound_testing {

using Clock = std::chrono::steady_clock;

enum class ServerKind { PulseAudio, PipeWire };
const char* NameOf(ServerKind kind);

// A playback stream as the server lists it.
struct SinkInput {
    unsigned index = 0;
    std::string sink;  // the name of the sink it plays on
    long pid = 0;      // application.process.id; 0 when the stream does not say
    // How far the stream is buffered ahead of the ear as the server says: PulseAudio its
    // buffer and sink latency, PipeWire (which reports those as 0) its target length and
    // its graph's period.
    double aheadSeconds = 0;
};

// A sink's monitor as 16-bit PCM, from Begin() until Finish(). The recorder stays on its
// sink whatever becomes the default, and records silence while the server is away.
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

class SoundServer {
public:
    explicit SoundServer(ServerKind kind);
    ~SoundServer();
    SoundServer(const SoundServer&) = delete;
    SoundServer& operator=(const SoundServer&) = delete;

    bool Running() const { return m_failure.empty(); }
    const std::string& Failure() const { return m_failure; }
    // NAME=value entries that point a client at this server (and nowhere else).
    std::vector<std::string> ClientEnvironment() const;

    // The module index of a new null sink, or -1 (LastError() says why). `properties` are
    // sink properties such as "device.form_factor=headphones".
    int LoadNullSink(const std::string& name, int channels, const std::string& channelMap,
                     const std::string& properties = "");
    bool SetDefaultSink(const std::string& name);
    bool UnloadModule(int module);
    std::vector<SinkInput> SinkInputs();
    // Null when the recorder did not start (LastError() says why).
    std::unique_ptr<MonitorRecording> RecordMonitor(const std::string& sink, int channels, int rate = 44100);
    // Stops the server in its tracks (and lets it go on): a server that accepts
    // connections and never answers.
    void Freeze();
    void Thaw();
    // Kills the server, waits, and starts it again with the sinks it had and the same
    // default; true when it is back. Recordings of the old server end with it.
    bool Restart(std::chrono::milliseconds away);

    const std::string& LastError() const { return m_lastError; }

private:
    struct NullSink {
        std::string name;
        int channels;
        std::string channelMap;
        std::string properties;
    };

    std::string Start();
    std::string StartDaemon();
    std::string Socket() const;
    std::vector<std::string> ToolEnvironment() const;
    // What pactl printed, or nothing when it failed (LastError() says why).
    std::optional<std::string> Pactl(const std::string& arguments);

    ServerKind m_kind;
    std::string m_folder;
    std::unique_ptr<test_support::ChildProcess> m_daemon;
    std::vector<NullSink> m_sinks;
    std::string m_defaultSink;
    std::string m_failure;
    std::string m_lastError;
    bool m_frozen = false;
    int m_recordings = 0;
};

}  // namespace sound_testing
