#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "tests/support/zok_process.h"

namespace fs = std::filesystem;

extern char** environ;

namespace {
constexpr auto kTimeOut = std::chrono::seconds(60);
}

ExecVectors::ExecVectors(const std::vector<std::string>& args, const Settings& settings)
    : args_(args) {
    args_.insert(args_.begin(), kProgramUnderTest);
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        bool replaced = false;
        for (const std::string& setting : settings) {
            const size_t nameEnd = setting.find('=') + 1;
            replaced = replaced || text.compare(0, nameEnd, setting, 0, nameEnd) == 0;
        }
        if (!replaced)
            environment_.push_back(text);
    }
    environment_.insert(environment_.end(), settings.begin(), settings.end());
    for (std::string& arg : args_) argv_.push_back(arg.data());
    argv_.push_back(nullptr);
    for (std::string& entry : environment_) envp_.push_back(entry.data());
    envp_.push_back(nullptr);
}

bool WritingIsRefused(const fs::path& path) {
    const int fd = open(path.c_str(), O_WRONLY);
    if (fd < 0)
        return true;
    close(fd);
    return false;
}

bool RunWithStreamFiles(const std::vector<std::string>& args, const StreamFiles& streams,
                        const fs::path& directory, const Settings& settings, int* exitCode) {
    const ExecVectors exec(args, settings);

    const pid_t child = fork();
    if (child == 0) {
        setsid();  // no controlling terminal: /dev/tty does not open
        const int inFd = open(streams.in.c_str(), O_RDONLY);
        const int outFd = open(streams.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int errFd = open(streams.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (inFd < 0 || outFd < 0 || errFd < 0 || dup2(inFd, 0) < 0 || dup2(outFd, 1) < 0 ||
            dup2(errFd, 2) < 0 || chdir(directory.c_str()) != 0) {
            _exit(126);
        }
        execve(kProgramUnderTest, exec.Argv(), exec.Envp());
        _exit(127);
    }
    if (child < 0)
        return false;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + kTimeOut;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            status = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    *exitCode = -1;
    if (status != -1 && WIFEXITED(status))
        *exitCode = WEXITSTATUS(status);
    if (status != -1 && WIFSIGNALED(status))
        *exitCode = 128 + WTERMSIG(status);
    return true;
}
