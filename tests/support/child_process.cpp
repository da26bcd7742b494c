#include "tests/support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <thread>

extern char** environ;

namespace test_support {
namespace {

using Clock = std::chrono::steady_clock;

std::string NameOf(const std::string& entry) { return entry.substr(0, entry.find('=')); }

std::vector<std::string> Environment(const ChildOptions& options) {
    std::vector<std::string> result;
    if (options.cleanEnvironment) {
        if (const char* path = std::getenv("PATH")) result.push_back(std::string("PATH=") + path);
    } else {
        for (char** e = environ; *e; ++e) result.emplace_back(*e);
    }
    for (const std::string& entry : options.environment) {
        const std::string name = NameOf(entry);
        for (auto it = result.begin(); it != result.end();) {
            it = NameOf(*it) == name ? result.erase(it) : it + 1;
        }
        result.push_back(entry);
    }
    return result;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings) pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

int StatusOf(int raw) {
    if (WIFEXITED(raw)) return WEXITSTATUS(raw);
    if (WIFSIGNALED(raw)) return 128 + WTERMSIG(raw);
    return 255;
}

}  // namespace

std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const ChildOptions& options) {
    if (argv.empty()) {
        m_error = "nothing to run";
        return;
    }
    const std::string program = argv[0].find('/') != std::string::npos ? argv[0] : FindOnPath(argv[0]);
    if (program.empty()) {
        m_error = argv[0] + " is not installed (not found on PATH)";
        return;
    }
    // Everything the child needs is prepared here: between fork and exec a threaded
    // parent's child may only make plain system calls.
    std::vector<std::string> args = argv;
    std::vector<std::string> env = Environment(options);
    std::vector<char*> argp = Pointers(args);
    std::vector<char*> envp = Pointers(env);
    const int output = options.outputFd >= 0 ? options.outputFd : open("/dev/null", O_WRONLY | O_CLOEXEC);
    const pid_t parent = getpid();

    m_pid = fork();
    if (m_pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(125);
        if (options.ownGroup) setpgid(0, 0);
        const int input = open("/dev/null", O_RDONLY);
        if (input >= 0) dup2(input, STDIN_FILENO);
        dup2(output, STDOUT_FILENO);
        dup2(options.errorFd >= 0 ? options.errorFd : output, STDERR_FILENO);
        if (!options.directory.empty() && chdir(options.directory.c_str()) != 0) _exit(126);
        execve(program.c_str(), argp.data(), envp.data());
        _exit(127);
    }
    if (options.outputFd < 0 && output >= 0) close(output);
    if (m_pid < 0) m_error = std::string("fork failed: ") + std::strerror(errno);
    m_group = options.ownGroup;
    // Set from both sides, so that no signal can come before the group exists.
    if (m_group && m_pid > 0) setpgid(m_pid, m_pid);
}

ChildProcess::~ChildProcess() {
    if (Started() && (!m_status || m_group)) Stop(SIGKILL, std::chrono::milliseconds(0));
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds timeout) {
    if (m_status || !Started()) return m_status;
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        int raw = 0;
        const pid_t done = waitpid(m_pid, &raw, WNOHANG);
        if (done == m_pid) {
            m_status = StatusOf(raw);
            return m_status;
        }
        if (done < 0 && errno != EINTR) {
            m_status = 255;
            return m_status;
        }
        if (Clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void ChildProcess::Signal(int signal) {
    if (Started() && !m_status) kill(m_group ? -m_pid : m_pid, signal);
}

int ChildProcess::Stop(int signal, std::chrono::milliseconds grace) {
    if (!Started()) return 255;
    Signal(signal);
    if (!Wait(grace)) {
        Signal(SIGKILL);
        // A killed child is gone at once; waiting without limit only reaps it.
        int raw = 0;
        while (waitpid(m_pid, &raw, 0) < 0 && errno == EINTR) {
        }
        m_status = StatusOf(raw);
    }
    // What the child started goes with it.
    if (m_group) kill(-m_pid, SIGKILL);
    return *m_status;
}

}  // namespace test_support
