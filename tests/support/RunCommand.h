// Test support: runs a command line through the shell, as an administrator would type it, and
// keeps its exit status and what it wrote on standard output (add "2>&1" for its errors too).
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace testsupport {

struct CommandOutcome {
    int status = -1;  // -1 when the command could not run or did not exit by itself
    std::string output;
};

inline CommandOutcome RunCommand(const std::string& command) {
    CommandOutcome run;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.output.append(buffer, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace testsupport
