// Other programs run by a test: a server, a recorder, the player itself. A child never
// outlives its test: it is killed with the object, and with the test process if that
// dies first.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace test_support {

// The full path of a program on PATH, or empty.
std::string FindOnPath(const std::string& name);

struct ChildOptions {
    // NAME=value entries that replace or add to the test's own environment, or, with
    // cleanEnvironment, make up all of it besides PATH.
    std::vector<std::string> environment;
    bool cleanEnvironment = false;
    std::string directory;  // working folder; the test's own when empty
    int outputFd = -1;      // receives stdout; /dev/null when -1
    int errorFd = -1;       // receives stderr; the same as stdout when -1
    // The child leads a process group of its own, and signals reach everything it started.
    bool ownGroup = false;
};

class ChildProcess {
public:
    // argv[0] is looked up on PATH unless it holds a slash.
    ChildProcess(const std::vector<std::string>& argv, const ChildOptions& options);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_pid > 0; }
    const std::string& Error() const { return m_error; }
    pid_t Pid() const { return m_pid; }

    // The exit status (128 + signal when killed), or nullopt while it still runs after
    // the timeout.
    std::optional<int> Wait(std::chrono::milliseconds timeout);
    bool Running() { return !Wait(std::chrono::milliseconds(0)).has_value(); }
    void Signal(int signal);
    // Asks it to end with the signal, and kills it when it has not after the grace time.
    int Stop(int signal, std::chrono::milliseconds grace);

private:
    pid_t m_pid = -1;
    bool m_group = false;
    std::optional<int> m_status;
    std::string m_error;
};

}  // namespace test_support
