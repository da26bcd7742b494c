#include "tests/support/sound_server.h"

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
#include <cstdio>
#include <map>
#include <sstream>
#include <thread>
#include <utility>

namespace sound_testing {
namespace {

namespace fs = std::filesystem;
using test_support::ChildOptions;
using test_support::ChildProcess;
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

// The value of a property line: name = "value".
std::string Quoted(const std::string& field) {
    const std::size_t open = field.find('"');
    return open == std::string::npos ? "" : field.substr(open + 1, field.rfind('"') - open - 1);
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

// --- SoundServer ------------------------------------------------------------------

const char* NameOf(ServerKind kind) { return kind == ServerKind::PulseAudio ? "PulseAudio" : "PipeWire"; }

SoundServer::SoundServer(ServerKind kind) : m_kind(kind) { m_failure = Start(); }

SoundServer::~SoundServer() {
    if (m_daemon) {
        if (m_frozen) m_daemon->Signal(SIGCONT);
        m_daemon->Stop(SIGTERM, milliseconds(3000));
    }
    std::error_code ignored;
    if (!m_folder.empty()) fs::remove_all(m_folder, ignored);
}

std::string SoundServer::Socket() const {
    return m_folder + (m_kind == ServerKind::PulseAudio ? "/runtime/native" : "/runtime/pulse/native");
}

std::string SoundServer::Start() {
    const std::vector<const char*> tools =
        m_kind == ServerKind::PulseAudio
            ? std::vector<const char*>{"pactl", "pulseaudio", "parec"}
            : std::vector<const char*>{"pactl", "pipewire", "pw-record", "wireplumber", "pipewire-pulse", "dbus-run-session"};
    for (const char* tool : tools) {
        if (test_support::FindOnPath(tool).empty())
            return std::string(tool) + " is not installed (tools/bootstrap.sh --tests installs it)";
    }
    m_folder = MakeFolder();
    if (m_folder.empty()) return std::string("no temporary folder: ") + std::strerror(errno);
    for (const char* sub : {"/runtime", "/home", "/config", "/state"}) {
        if (mkdir((m_folder + sub).c_str(), 0700) != 0) return std::string("cannot make ") + m_folder + sub;
    }
    if (Socket().size() > kSocketPathLimit) return "socket path too long: " + Socket();
    return StartDaemon();
}

std::string SoundServer::StartDaemon() {
    const std::string runtime = m_folder + "/runtime";
    // Everything the server reads or writes stays in the folder: runtime files, its
    // state, its cookie, its configuration.
    ChildOptions options;
    options.cleanEnvironment = true;
    options.environment = {"HOME=" + m_folder + "/home", "XDG_RUNTIME_DIR=" + runtime,
                           "XDG_CONFIG_HOME=" + m_folder + "/config", "XDG_STATE_HOME=" + m_folder + "/state",
                           "LC_ALL=C"};
    // PipeWire's pulse server would take these for its own socket's place.
    if (m_kind == ServerKind::PulseAudio)
        options.environment.insert(options.environment.end(),
                                   {"PULSE_RUNTIME_PATH=" + runtime, "PULSE_STATE_PATH=" + m_folder + "/state"});
    options.directory = m_folder;
    options.ownGroup = true;
    const std::string errors = m_folder + "/server.err";
    const int errorFd = open(errors.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    options.outputFd = errorFd;
    std::vector<std::string> argv;
    if (m_kind == ServerKind::PulseAudio) {
        // -n skips the default script (no hardware, no session bus, no desktop modules); the
        // only module is the socket for clients, open to any client that finds it. As root
        // the server warns and runs anyway, in per-user mode, which is what a test wants.
        argv = {test_support::FindOnPath("pulseaudio"), "-n", "--daemonize=no", "--use-pid-file=no",
                "--exit-idle-time=-1", "--disallow-exit=yes", "--realtime=no", "--high-priority=no",
                "--log-target=stderr", "--log-level=notice", "-L",
                "module-native-protocol-unix socket=" + Socket() + " auth-anonymous=1"};
    } else {
        // The server, its session manager (which links streams and keeps the default) and its
        // pulse server, on a session bus of their own, as a desktop session starts them.
        argv = {test_support::FindOnPath("dbus-run-session"), "--", "sh", "-c",
                "pipewire & until [ -S \"$XDG_RUNTIME_DIR/pipewire-0\" ]; do sleep 0.02; done; "
                "wireplumber & pipewire-pulse & wait"};
    }
    m_daemon = std::make_unique<ChildProcess>(argv, options);
    if (errorFd >= 0) close(errorFd);
    if (!m_daemon->Started()) return m_daemon->Error();

    const auto deadline = Clock::now() + kStartTimeout;
    while (!Accepts(Socket())) {
        if (auto status = m_daemon->Wait(milliseconds(20))) {
            return std::string(NameOf(m_kind)) + " ended at start with status " + std::to_string(*status) + ": " +
                   LastLines(ReadText(errors), 4);
        }
        if (Clock::now() > deadline)
            return std::string(NameOf(m_kind)) + " did not open its socket in 5 s: " + LastLines(ReadText(errors), 4);
    }
    if (!Pactl("info")) return std::string(NameOf(m_kind)) + " does not answer pactl: " + m_lastError;
    // A recorder follows the default source, and the default source follows the default
    // sink unless one is set: a source of its own keeps every recorder on its sink.
    if (m_kind == ServerKind::PulseAudio &&
        (!Pactl("load-module module-null-source source_name=pinned") || !Pactl("set-default-source pinned")))
        return "pulseaudio takes no null source: " + m_lastError;
    return {};
}

std::vector<std::string> SoundServer::ClientEnvironment() const {
    // The cookie is not needed (the socket takes anonymous clients), but a client
    // writes one where it is told, and that should not be the user's home.
    return {"PULSE_SERVER=unix:" + Socket(), "PULSE_COOKIE=" + m_folder + "/home/cookie"};
}

std::vector<std::string> SoundServer::ToolEnvironment() const {
    std::vector<std::string> environment = ClientEnvironment();
    environment.push_back("HOME=" + m_folder + "/home");
    environment.push_back("XDG_CONFIG_HOME=" + m_folder + "/config");
    environment.push_back("XDG_RUNTIME_DIR=" + m_folder + "/runtime");
    environment.push_back("LC_ALL=C");
    return environment;
}

std::optional<std::string> SoundServer::Pactl(const std::string& arguments) {
    // The arguments are the fixture's own words, free of anything a shell would read.
    std::string command = "env";
    for (const std::string& entry : ToolEnvironment()) command += " '" + entry + "'";
    command += " timeout " + std::to_string(kToolTimeout.count() / 1000) + " pactl " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        m_lastError = "cannot run pactl";
        return std::nullopt;
    }
    std::string output;
    char chunk[4096];
    while (const std::size_t got = std::fread(chunk, 1, sizeof chunk, pipe)) output.append(chunk, got);
    if (pclose(pipe) == 0) return output;
    m_lastError = "pactl " + arguments + " failed or timed out: " + Trim(output);
    return std::nullopt;
}

int SoundServer::LoadNullSink(const std::string& name, int channels, const std::string& channelMap,
                              const std::string& properties) {
    const auto output = Pactl("load-module module-null-sink sink_name=" + name + " channels=" +
                              std::to_string(channels) + " channel_map=" + channelMap +
                              (properties.empty() ? "" : " sink_properties=" + properties));
    if (!output) return -1;
    m_sinks.push_back({name, channels, channelMap, properties});
    return std::atoi(output->c_str());
}

bool SoundServer::SetDefaultSink(const std::string& name) {
    m_defaultSink = name;
    // PipeWire's session manager knows a new sink, and takes a new default, a moment later.
    for (const auto deadline = Clock::now() + kToolTimeout; Clock::now() < deadline;
         std::this_thread::sleep_for(milliseconds(20))) {
        const auto now = Pactl("set-default-sink " + name) ? Pactl("get-default-sink") : std::nullopt;
        if (now && Trim(*now) == name) return true;
    }
    m_lastError = "the default sink did not become " + name + ": " + m_lastError;
    return false;
}

bool SoundServer::UnloadModule(int module) { return Pactl("unload-module " + std::to_string(module)).has_value(); }

std::vector<SinkInput> SoundServer::SinkInputs() {
    std::vector<SinkInput> inputs;
    const auto sinks = Pactl("list short sinks");
    const auto listing = Pactl("list sink-inputs");
    if (!sinks || !listing) return inputs;
    const std::map<unsigned, std::string> names = SinkNames(*sinks);
    std::istringstream lines(*listing);
    std::string line;
    double frameBytes = 0, rate = 0;
    while (std::getline(lines, line)) {
        if (line.compare(0, 12, "Sink Input #") == 0) {
            inputs.push_back({});
            inputs.back().index = static_cast<unsigned>(std::strtoul(line.c_str() + 12, nullptr, 10));
            continue;
        }
        if (inputs.empty()) continue;
        SinkInput& input = inputs.back();
        const std::string field = Trim(line);
        const auto starts = [&field](const char* prefix) { return field.rfind(prefix, 0) == 0; };
        if (starts("Sink:")) {
            const auto found = names.find(static_cast<unsigned>(std::strtoul(field.c_str() + 5, nullptr, 10)));
            input.sink = found != names.end() ? found->second : Trim(field.substr(5));
        } else if (starts("application.process.id")) {
            input.pid = std::strtol(Quoted(field).c_str(), nullptr, 10);
        } else if (starts("Buffer Latency:") || starts("Sink Latency:")) {
            input.aheadSeconds += std::strtod(field.c_str() + field.find(": ") + 2, nullptr) / 1e6;
        } else if (starts("Sample ")) {  // the stream's format: "s16le 2ch 48000Hz"
            std::istringstream format(field.substr(field.find(':') + 1));
            std::string sample;
            format >> sample >> frameBytes;
            format.ignore(2) >> rate;
            frameBytes *= sample.find("32") != std::string::npos ? 4 : 2;
        } else if (starts("pulse.attr.tlength") && rate > 0) {
            input.aheadSeconds += std::strtod(Quoted(field).c_str(), nullptr) / frameBytes / rate;
        } else if (starts("node.latency")) {
            const std::string period = Quoted(field);
            input.aheadSeconds += std::strtod(period.c_str(), nullptr) / std::strtod(period.c_str() + period.find('/') + 1, nullptr);
        }
    }
    return inputs;
}

std::unique_ptr<MonitorRecording> SoundServer::RecordMonitor(const std::string& sink, int channels, int rate) {
    const std::string file = m_folder + "/" + sink + std::to_string(++m_recordings) + ".raw";
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        m_lastError = "cannot write " + file;
        return nullptr;
    }
    ChildOptions options;
    options.environment = ToolEnvironment();
    options.outputFd = fd;
    const std::string log = file + ".log";
    const int logFd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    options.errorFd = logFd;
    // A short latency: the recorder writes what it hears at once, so the recording's
    // first bytes mark when it began. PipeWire's recorder is told to stay on the sink.
    std::vector<std::string> argv;
    if (m_kind == ServerKind::PulseAudio) {
        argv = {"parec", "--device=" + sink + ".monitor", "--raw", "--format=s16le",
                "--rate=" + std::to_string(rate), "--channels=" + std::to_string(channels), "--latency-msec=20"};
    } else {
        argv = {"pw-record", "--target", sink, "-P", "{ stream.capture.sink = true node.dont-reconnect = true }",
                "--latency", "20ms", "--rate", std::to_string(rate), "--channels", std::to_string(channels),
                "--format", "s16", "-"};
    }
    auto recorder = std::make_unique<ChildProcess>(argv, options);
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
            m_lastError = "the recorder of " + sink + " did not start: " + LastLines(ReadText(log), 3);
            return nullptr;
        }
        std::this_thread::sleep_for(milliseconds(5));
    }
}

void SoundServer::Freeze() {
    if (m_daemon && !m_frozen) m_daemon->Signal(SIGSTOP);
    m_frozen = true;
}

void SoundServer::Thaw() {
    if (m_daemon && m_frozen) m_daemon->Signal(SIGCONT);
    m_frozen = false;
}

bool SoundServer::Restart(std::chrono::milliseconds away) {
    if (m_daemon) m_daemon->Stop(SIGKILL, milliseconds(0));
    std::error_code ignored;
    for (const char* stale : {"/runtime/native", "/runtime/pulse/native", "/runtime/pipewire-0", "/runtime/pipewire-0.lock"})
        fs::remove(m_folder + stale, ignored);
    std::this_thread::sleep_for(away);
    if (std::string failure = StartDaemon(); !failure.empty()) {
        m_lastError = failure;
        return false;
    }
    const std::vector<NullSink> sinks = std::exchange(m_sinks, {});
    for (const NullSink& s : sinks) {
        if (LoadNullSink(s.name, s.channels, s.channelMap, s.properties) < 0) return false;
    }
    return m_defaultSink.empty() || SetDefaultSink(m_defaultSink);
}

}  // namespace sound_testing
