// Running the real front end from the tests: arguments as UTF-8, standard input from a string,
// standard output and error captured through files (a pipe can block under Wine), CR LF as LF.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/test_files.h"

struct ZokResult {
    int exitCode = -1;  // -1: did not end within the time-out (it was killed)
    std::string out;
    std::string err;
};

// Settings "NAME=value" laid over the inherited environment. The program speaks the user's
// language; the tests name it rather than take the caller's.
using Settings = std::vector<std::string>;
inline const Settings kChinese = {"LC_ALL=zh_CN.UTF-8"};
inline const Settings kEnglish = {"LC_ALL=C.UTF-8"};

// The path of the program under test. Each test program that runs it defines this, from the
// ZOK_CLI_PATH its build gives it, so that one runner serves every test program.
extern const char* const kProgramUnderTest;

// Runs the program under test in `directory`, with no terminal anywhere.
ZokResult RunZok(const std::vector<std::string>& args, const std::string& input,
                 const std::filesystem::path& directory, const Settings& settings = kChinese);

// The files that stand for the program's standard input, output and error.
struct StreamFiles {
    std::filesystem::path in;
    std::filesystem::path out;
    std::filesystem::path err;
};

// The platform's part of RunZok: runs the program under test with its standard streams on
// `streams`; false when it could not be started. `*exitCode` is -1 when it did not end within
// the time-out (it was killed).
bool RunWithStreamFiles(const std::vector<std::string>& args, const StreamFiles& streams,
                        const std::filesystem::path& directory, const Settings& settings,
                        int* exitCode);

#ifdef _WIN32
// Sets the code page of the console the runs share, which their redirected output takes.
bool SharedConsoleIn(unsigned codePage);
// Starts the program under test with no arguments as Explorer starts it: alone in a console
// window made for it. Its standard output and error go to `output`; its standard input is a
// pipe whose writing end comes back in `*input`, and the process in `*process` (both handles,
// for the caller to close).
bool StartInConsoleOfItsOwn(const std::filesystem::path& output, const Settings& settings,
                            void** process, void** input);
#endif

#ifndef _WIN32
// execve's vectors for the program under test: its path and `args`, and this process's
// environment with `settings` laid over it. Built before a fork; the pointers point into the
// strings held here, so the object is neither copied nor moved.
class ExecVectors {
  public:
    ExecVectors(const std::vector<std::string>& args, const Settings& settings);
    ExecVectors(const ExecVectors&) = delete;
    ExecVectors& operator=(const ExecVectors&) = delete;
    char* const* Argv() const { return argv_.data(); }
    char* const* Envp() const { return envp_.data(); }

  private:
    std::vector<std::string> args_;
    std::vector<std::string> environment_;
    std::vector<char*> argv_;
    std::vector<char*> envp_;
};
#endif

// Whether the system itself refuses to open `path` for writing. Wine run by root does not
// (the read-only attribute is only a missing write permission there).
bool WritingIsRefused(const std::filesystem::path& path);
// Bytes of every value 0..255, `size` long, varied by `seed`.
std::string SampleBytes(size_t size, unsigned seed);
