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

std::vector<std::string> EnvironmentWith(const Settings& settings) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        bool replaced = false;
        for (const std::string& setting : settings) {
            const size_t nameEnd = setting.find('=') + 1;
            replaced = replaced || text.compare(0, nameEnd, setting, 0, nameEnd) == 0;
        }
        if (!replaced)
            environment.push_back(text);
    }
    environment.insert(environment.end(), settings.begin(), settings.end());
    return environment;
}

bool WritingIsRefused(const fs::path& path) {
    const int fd = open(path.c_str(), O_WRONLY);
    if (fd < 0)
        return true;
    close(fd);
    return false;
}

ZokResult RunZok(const std::vector<std::string>& args, const std::string& input,
                 const fs::path& directory, const Settings& settings) {
    // Standard streams through files in a folder of their own, beside nothing under test.
    ScratchFolder streams;
    const fs::path in = streams.Root() / "in", out = streams.Root() / "out",
                   err = streams.Root() / "err";
    WriteBytes(in, input);
    std::vector<char*> argv;
    std::string program = kProgramUnderTest;
    argv.push_back(program.data());
    std::vector<std::string> copies(args);
    for (std::string& arg : copies) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment = EnvironmentWith(settings);
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);

    const pid_t child = fork();
    if (child == 0) {
        setsid();  // no controlling terminal: /dev/tty does not open
        const int inFd = open(in.c_str(), O_RDONLY);
        const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (inFd < 0 || outFd < 0 || errFd < 0 || dup2(inFd, 0) < 0 || dup2(outFd, 1) < 0 ||
            dup2(errFd, 2) < 0 || chdir(directory.c_str()) != 0) {
            _exit(126);
        }
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    ZokResult result;
    if (child < 0)
        return result;
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
    if (status != -1 && WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    if (status != -1 && WIFSIGNALED(status))
        result.exitCode = 128 + WTERMSIG(status);
    result.out = ReadBytes(out);
    result.err = ReadBytes(err);
    return result;
}
