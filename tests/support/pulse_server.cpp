#include "tests/support/pulse_server.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace sound_testing {
namespace {

namespace fs = std::filesystem;
using test_support::ChildOptions;
using test_support::ChildProcess;
using test_support::RunTool;
using std::chrono::milliseconds;

constexpr milliseconds kStartTimeout{5000};
constexpr milliseconds kToolTimeout{5000};
constexpr std::size_t kSocketPathLimit = sizeof(sockaddr_un{}.sun_path) - 1;

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string LastLines(const std::string& text, std::size_t count) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    std::string result;
    for (std::size_t i = lines.size() > count ? lines.size() - count : 0; i < lines.size(); ++i) result += lines[i] + " | ";
    return result.empty() ? "(no message)" : result.substr(0, result.size() - 3);
}

bool Accepts(const std::string& socketPath) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), kSocketPathLimit);
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

// A short folder: the server's socket lives in it, and socket paths are limited.
std::string MakeFolder() {
    std::string base = fs::temp_directory_path().string();
    if (base.size() > 60) base = "/tmp";
    std::string pattern = base + "/zor_pulse_XXXXXX";
    if (!mkdtemp(pattern.data())) return {};
    return pattern;
}

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

// The value after "Key: " on a line of pactl's long listing.
std::optional<std::string> Field(const std::string& line, const std::string& key) {
    const std::string trimmed = Trim(line);
    if (trimmed.compare(0, key.size() + 1, key + ":") != 0) return std::nullopt;
    return Trim(trimmed.substr(key.size() + 1));
}

std::map<unsigned, std::string> SinkNames(const std::string& shortListing) {
    std::map<unsigned, std::string> names;
    std::istringstream lines(shortListing);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        unsigned index = 0;
        std::string name;
        if (fields >> index >> name) names[index] = name;
    }
    return names;
}

int ChannelsOf(const std::string& sampleSpec) {
    std::istringstream words(sampleSpec);
    std::string word;
    while (words >> word) {
        if (word.size() > 2 && word.compare(word.size() - 2, 2, "ch") == 0) return std::atoi(word.c_str());
    }
    return 0;
}

}  // namespace

// --- MonitorRecording -------------------------------------------------------------

MonitorRecording::MonitorRecording(std::unique_ptr<ChildProcess> recorder, std::string file, int channels,
                                   int rate, Clock::time_point begin)
    : m_recorder(std::move(recorder)), m_file(std::move(file)), m_channels(channels), m_rate(rate), m_begin(begin) {}

MonitorRecording::~MonitorRecording() { StopRecorder(); }

void MonitorRecording::StopRecorder() {
    if (!m_recorder) return;
    // The recorder ends cleanly on an interrupt, with everything it received written.
    m_recorder->Stop(SIGINT, milliseconds(2000));
    m_recorder.reset();
}

std::size_t MonitorRecording::FrameAt(Clock::time_point t) const {
    if (t <= m_begin) return 0;
    return static_cast<std::size_t>(std::chrono::duration<double>(t - m_begin).count() * m_rate);
}

const std::vector<std::int16_t>& MonitorRecording::Finish() {
    if (!m_recorder) return m_frames;
    StopRecorder();
    const std::string bytes = ReadText(m_file);
    const std::size_t frameBytes = sizeof(std::int16_t) * static_cast<std::size_t>(m_channels);
    m_frames.resize(bytes.size() / frameBytes * m_channels);
    std::memcpy(m_frames.data(), bytes.data(), m_frames.size() * sizeof(std::int16_t));
    return m_frames;
}

// --- SinkInputWatch ---------------------------------------------------------------

SinkInputWatch::SinkInputWatch(std::unique_ptr<ChildProcess> subscriber, int readFd)
    : m_subscriber(std::move(subscriber)), m_reader([this, readFd] { Read(readFd); }) {}

SinkInputWatch::~SinkInputWatch() {
    // Ending the subscriber closes the pipe, which ends the reader.
    m_subscriber->Stop(SIGTERM, milliseconds(2000));
    m_reader.join();
}

void SinkInputWatch::Read(int fd) {
    std::string pending;
    char chunk[1024];
    for (;;) {
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        const Clock::time_point now = Clock::now();
        pending.append(chunk, static_cast<std::size_t>(got));
        std::size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_events;
            // "Event 'new' on sink-input #12"
            const std::size_t hash = line.find("on sink-input #");
            if (hash == std::string::npos) continue;
            const auto index = static_cast<unsigned>(std::strtoul(line.c_str() + hash + 15, nullptr, 10));
            if (line.find("'new'") != std::string::npos) {
                m_streams.push_back({index, now, std::nullopt});
            } else if (line.find("'remove'") != std::string::npos) {
                for (Lifetime& stream : m_streams) {
                    if (stream.index == index && !stream.removed) stream.removed = now;
                }
            }
        }
    }
    close(fd);
}

std::vector<SinkInputWatch::Lifetime> SinkInputWatch::Streams() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_streams;
}

std::size_t SinkInputWatch::EventCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
}

// --- PulseServer ------------------------------------------------------------------

PulseServer::PulseServer() { m_failure = Start(); }

PulseServer::~PulseServer() {
    if (m_daemon) {
        if (m_frozen) m_daemon->Signal(SIGCONT);
        m_daemon->Stop(SIGTERM, milliseconds(3000));
    }
    std::error_code ignored;
    if (!m_folder.empty()) fs::remove_all(m_folder, ignored);
}

std::string PulseServer::Start() {
    const std::string daemon = test_support::FindOnPath("pulseaudio");
    if (daemon.empty()) return "the pulseaudio server is not installed (Debian package pulseaudio)";
    if (test_support::FindOnPath("pactl").empty() || test_support::FindOnPath("parec").empty())
        return "pactl and parec are not installed (Debian package pulseaudio-utils)";
    m_folder = MakeFolder();
    if (m_folder.empty()) return std::string("no temporary folder: ") + std::strerror(errno);
    const std::string runtime = m_folder + "/runtime";
    for (const char* sub : {"/runtime", "/home", "/config", "/state"}) {
        if (mkdir((m_folder + sub).c_str(), 0700) != 0) return std::string("cannot make ") + m_folder + sub;
    }
    m_socket = runtime + "/native";
    if (m_socket.size() > kSocketPathLimit) return "socket path too long: " + m_socket;

    // Everything the server reads or writes stays in the folder: runtime files, its
    // state, its cookie, its configuration. -n skips the default script (no hardware,
    // no session bus, no desktop modules); the only module is the socket for clients,
    // open to any client that finds it. As root the server warns and runs anyway,
    // in per-user mode, which is what a test wants.
    ChildOptions options;
    options.cleanEnvironment = true;
    options.environment = {"HOME=" + m_folder + "/home", "XDG_RUNTIME_DIR=" + runtime,
                           "PULSE_RUNTIME_PATH=" + runtime, "XDG_CONFIG_HOME=" + m_folder + "/config",
                           "PULSE_STATE_PATH=" + m_folder + "/state", "LC_ALL=C"};
    options.directory = m_folder;
    const std::string errors = m_folder + "/server.err";
    const int errorFd = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    options.outputFd = errorFd;
    m_daemon = std::make_unique<ChildProcess>(
        std::vector<std::string>{daemon, "-n", "--daemonize=no", "--use-pid-file=no", "--exit-idle-time=-1",
                                 "--disallow-exit=yes", "--realtime=no", "--high-priority=no",
                                 "--log-target=stderr", "--log-level=notice", "-L",
                                 "module-native-protocol-unix socket=" + m_socket + " auth-anonymous=1"},
        options);
    if (errorFd >= 0) close(errorFd);
    if (!m_daemon->Started()) return m_daemon->Error();

    const auto deadline = Clock::now() + kStartTimeout;
    while (!Accepts(m_socket)) {
        if (auto status = m_daemon->Wait(milliseconds(20))) {
            return "pulseaudio ended at start with status " + std::to_string(*status) + ": " +
                   LastLines(ReadText(errors), 4);
        }
        if (Clock::now() > deadline) return "pulseaudio did not open its socket in 5 s: " + LastLines(ReadText(errors), 4);
    }
    if (!Pactl({"info"})) return "pulseaudio does not answer pactl: " + m_lastError;
    return {};
}

std::vector<std::string> PulseServer::ClientEnvironment() const {
    // The cookie is not needed (the socket takes anonymous clients), but a client
    // writes one where it is told, and that should not be the user's home.
    return {"PULSE_SERVER=unix:" + m_socket, "PULSE_COOKIE=" + m_folder + "/home/cookie"};
}

ChildOptions PulseServer::ToolOptions() const {
    ChildOptions options;
    options.environment = ClientEnvironment();
    options.environment.push_back("HOME=" + m_folder + "/home");
    options.environment.push_back("XDG_CONFIG_HOME=" + m_folder + "/config");
    options.environment.push_back("LC_ALL=C");
    return options;
}

std::optional<std::string> PulseServer::Pactl(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{"pactl"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const test_support::ToolResult result = RunTool(argv, ToolOptions(), kToolTimeout);
    if (result.status == 0) return result.output;
    m_lastError = "pactl " + arguments.front() + (result.status < 0 ? " timed out" : " failed") + ": " +
                  Trim(result.output);
    return std::nullopt;
}

int PulseServer::LoadNullSink(const std::string& name, int channels, const std::string& channelMap) {
    const auto output = Pactl({"load-module", "module-null-sink", "sink_name=" + name,
                               "channels=" + std::to_string(channels), "channel_map=" + channelMap});
    if (!output) return -1;
    return std::atoi(output->c_str());
}

bool PulseServer::SetDefaultSink(const std::string& name) { return Pactl({"set-default-sink", name}).has_value(); }

bool PulseServer::UnloadModule(int module) { return Pactl({"unload-module", std::to_string(module)}).has_value(); }

std::vector<SinkInput> PulseServer::SinkInputs() {
    std::vector<SinkInput> inputs;
    const auto sinks = Pactl({"list", "short", "sinks"});
    const auto listing = Pactl({"list", "sink-inputs"});
    if (!sinks || !listing) return inputs;
    const std::map<unsigned, std::string> names = SinkNames(*sinks);
    std::istringstream lines(*listing);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, 12, "Sink Input #") == 0) {
            inputs.push_back({});
            inputs.back().index = static_cast<unsigned>(std::strtoul(line.c_str() + 12, nullptr, 10));
            continue;
        }
        if (inputs.empty()) continue;
        SinkInput& input = inputs.back();
        if (auto sink = Field(line, "Sink")) {
            const auto found = names.find(static_cast<unsigned>(std::strtoul(sink->c_str(), nullptr, 10)));
            input.sink = found != names.end() ? found->second : *sink;
        } else if (auto spec = Field(line, "Sample Specification")) {
            input.channels = ChannelsOf(*spec);
        } else if (auto map = Field(line, "Channel Map")) {
            input.channelMap = *map;
        } else if (Trim(line).compare(0, 22, "application.process.id") == 0) {
            const std::size_t quote = line.find('"');
            if (quote != std::string::npos) input.pid = std::strtol(line.c_str() + quote + 1, nullptr, 10);
        }
    }
    return inputs;
}

std::unique_ptr<MonitorRecording> PulseServer::RecordMonitor(const std::string& sink, int channels, int rate) {
    const std::string file = m_folder + "/" + sink + ".raw";
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        m_lastError = "cannot write " + file;
        return nullptr;
    }
    ChildOptions options = ToolOptions();
    options.outputFd = fd;
    const std::string log = m_folder + "/" + sink + ".rec.log";
    const int logFd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    options.errorFd = logFd;
    // A short latency: the recorder writes what it hears at once, so the recording's
    // first bytes mark when it began.
    auto recorder = std::make_unique<ChildProcess>(
        std::vector<std::string>{"parec", "--device=" + sink + ".monitor", "--raw", "--format=s16le",
                                 "--rate=" + std::to_string(rate), "--channels=" + std::to_string(channels),
                                 "--latency-msec=20"},
        options);
    close(fd);
    if (logFd >= 0) close(logFd);
    if (!recorder->Started()) {
        m_lastError = recorder->Error();
        return nullptr;
    }
    const std::size_t frameBytes = sizeof(std::int16_t) * static_cast<std::size_t>(channels);
    const auto deadline = Clock::now() + kStartTimeout;
    for (;;) {
        struct stat info{};
        const Clock::time_point now = Clock::now();
        if (stat(file.c_str(), &info) == 0 && info.st_size > 0) {
            const auto heard = std::chrono::duration<double>(static_cast<double>(info.st_size / frameBytes) / rate);
            const auto begin = now - std::chrono::duration_cast<Clock::duration>(heard);
            return std::make_unique<MonitorRecording>(std::move(recorder), file, channels, rate, begin);
        }
        if (!recorder->Running() || now > deadline) {
            recorder->Stop(SIGKILL, milliseconds(0));
            m_lastError = "the recorder of " + sink + ".monitor did not start: " + LastLines(ReadText(log), 3);
            return nullptr;
        }
        std::this_thread::sleep_for(milliseconds(5));
    }
}

std::unique_ptr<SinkInputWatch> PulseServer::WatchSinkInputs() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return nullptr;
    ChildOptions options = ToolOptions();
    options.outputFd = fds[1];
    auto subscriber = std::make_unique<ChildProcess>(std::vector<std::string>{"pactl", "subscribe"}, options);
    close(fds[1]);
    if (!subscriber->Started()) {
        close(fds[0]);
        m_lastError = subscriber->Error();
        return nullptr;
    }
    auto watch = std::make_unique<SinkInputWatch>(std::move(subscriber), fds[0]);
    // The subscription is live once it reports something; any client's arrival will do.
    const auto deadline = Clock::now() + kStartTimeout;
    while (watch->EventCount() == 0) {
        if (Clock::now() > deadline) {
            m_lastError = "pactl subscribe reported nothing";
            return nullptr;
        }
        Pactl({"info"});
        std::this_thread::sleep_for(milliseconds(20));
    }
    return watch;
}

void PulseServer::Freeze() {
    if (m_daemon && !m_frozen) m_daemon->Signal(SIGSTOP);
    m_frozen = true;
}

void PulseServer::Thaw() {
    if (m_daemon && m_frozen) m_daemon->Signal(SIGCONT);
    m_frozen = false;
}

}  // namespace sound_testing
