// The front end on a terminal: a pseudo-terminal stands in for the user, reading the prompts
// and typing the answers.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <string>
#include <vector>

#include "tests/support/zok_process.h"

const char* const kProgramUnderTest = ZOK_CLI_PATH;

namespace fs = std::filesystem;

namespace {

constexpr auto kTimeOut = std::chrono::seconds(30);

// One run of zok with the pseudo-terminal as its controlling terminal and all three streams.
class TerminalSession {
  public:
    TerminalSession(const std::vector<std::string>& args, const fs::path& directory,
                    const Settings& settings = kChinese) {
        const ExecVectors exec(args, settings);
        child_ = forkpty(&master_, nullptr, nullptr, nullptr);
        if (child_ == 0) {
            if (chdir(directory.c_str()) != 0)
                _exit(126);
            execve(kProgramUnderTest, exec.Argv(), exec.Envp());
            _exit(127);
        }
    }
    ~TerminalSession() {
        if (child_ > 0 && !ended_) {
            kill(child_, SIGKILL);
            waitpid(child_, nullptr, 0);
        }
        if (master_ >= 0)
            close(master_);
    }

    bool Started() const { return child_ > 0; }

    // Reads until `text` has appeared after everything consumed so far; false on time-out or
    // when the program's side closed first.
    bool WaitFor(const std::string& text) {
        const auto deadline = std::chrono::steady_clock::now() + kTimeOut;
        while (seen_.find(text, consumed_) == std::string::npos) {
            if (std::chrono::steady_clock::now() > deadline || !ReadSome(deadline))
                return false;
        }
        consumed_ = seen_.find(text, consumed_) + text.size();
        return true;
    }

    void Type(const std::string& text) {
        ASSERT_EQ(write(master_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    // Reads everything up to the program's end and returns its exit status (-1 on time-out).
    int Finish() {
        const auto deadline = std::chrono::steady_clock::now() + kTimeOut;
        while (std::chrono::steady_clock::now() < deadline && ReadSome(deadline)) {
        }
        int status = 0;
        while (waitpid(child_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline)
                return -1;
            poll(nullptr, 0, 1);
        }
        ended_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    const std::string& Seen() const { return seen_; }

  private:
    bool ReadSome(std::chrono::steady_clock::time_point deadline) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd ready = {master_, POLLIN, 0};
        if (poll(&ready, 1, static_cast<int>(std::max<int64_t>(left.count(), 0))) <= 0) {
            return false;
        }
        char buffer[4096];
        const ssize_t count = read(master_, buffer, sizeof buffer);
        if (count <= 0)
            return false;  // EIO once the program's side has closed
        seen_.append(buffer, static_cast<size_t>(count));
        return true;
    }

    int master_ = -1;
    pid_t child_ = -1;
    bool ended_ = false;
    std::string seen_;
    size_t consumed_ = 0;
};

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class CliTerminalTest : public ::testing::Test {
  protected:
    std::string Full(const std::string& name) const { return (folder_.Root() / name).string(); }
    ScratchFolder folder_;
};

TEST_F(CliTerminalTest, PasswordIsAskedTwiceWithoutEcho) {
    const std::string original = SampleBytes(70000, 5);
    WriteBytes(folder_ / "doc.bin", original);
    TerminalSession session({"encrypt", "--in-place", "doc.bin"}, folder_.Root());
    ASSERT_TRUE(session.Started());
    ASSERT_TRUE(session.WaitFor("加密密码:")) << session.Seen();
    session.Type("Geheimnis-1\n");
    ASSERT_TRUE(session.WaitFor("确认密码:")) << session.Seen();
    session.Type("Geheimnis-1\n");
    EXPECT_EQ(session.Finish(), 0) << session.Seen();
    EXPECT_FALSE(Contains(session.Seen(), "Geheimnis")) << session.Seen();
    EXPECT_TRUE(Contains(session.Seen(), "操作完毕。"));
    // Standard error is the terminal: the transform draws its bar.
    EXPECT_TRUE(Contains(session.Seen(), "] 100%")) << session.Seen();

    // The typed password is the one the container holds.
    ZokResult back = RunZok({"decrypt", "--in-place", "--password-stdin", "doc.bin"},
                            "Geheimnis-1\n", folder_.Root());
    ASSERT_EQ(back.exitCode, 0) << back.err;
    EXPECT_EQ(ReadBytes(folder_ / "doc.bin"), original);
    EXPECT_FALSE(Contains(back.err, "%"));  // no bar when standard error is a file
}

// Differing entries are asked again, three tries in all; the third pair goes to the run.
TEST_F(CliTerminalTest, DifferingEntriesAreAskedAgainThenFailTheRun) {
    for (int agreeingTry : {2, 3, 0}) {
        SCOPED_TRACE(agreeingTry);
        WriteBytes(folder_ / "doc.bin", "unchanged");
        TerminalSession session({"encrypt", "--in-place", "doc.bin"}, folder_.Root());
        for (int attempt = 1; attempt <= 3; ++attempt) {
            ASSERT_TRUE(session.WaitFor("加密密码:")) << session.Seen();
            session.Type("first\n");
            ASSERT_TRUE(session.WaitFor("确认密码:")) << session.Seen();
            session.Type(attempt == agreeingTry ? "first\n" : "second\n");
            if (attempt == agreeingTry)
                break;
            if (attempt < 3) {
                ASSERT_TRUE(session.WaitFor("两次输入不一致，请重新输入。")) << session.Seen();
            }
        }
        const int status = session.Finish();
        if (agreeingTry == 0) {
            EXPECT_EQ(status, 3);
            EXPECT_TRUE(Contains(session.Seen(), "两次输入密码不一致或为空！")) << session.Seen();
            EXPECT_EQ(ReadBytes(folder_ / "doc.bin"), "unchanged");
        } else {
            EXPECT_EQ(status, 0) << session.Seen();
            EXPECT_EQ(ReadBytes(folder_ / "doc.bin").size(), 24u);
        }
    }
}

// Only encryption asks twice: a typing error there would lock the file away. Decryption, check
// and recover ask once, under the plain label.
TEST_F(CliTerminalTest, EveryCommandButEncryptAsksOnce) {
    const std::string original = SampleBytes(5000, 9);
    WriteBytes(folder_ / "doc.bin", original);
    ASSERT_EQ(
        RunZok({"encrypt", "--in-place", "--password-stdin", "doc.bin"}, "pw\n", folder_.Root())
            .exitCode,
        0);
    const struct {
        std::vector<std::string> args;
        Settings settings;
        const char* prompt;
        const char* twice;  // a prompt only encryption shows
    } rows[] = {
        {{"check", "doc.bin"}, kChinese, "密码:", "加密密码:"},
        {{"check", "doc.bin"}, kEnglish, "Password: ", "Confirm password: "},
        {{"recover", "doc.bin"}, kChinese, "密码:", "加密密码:"},
        {{"decrypt", "--in-place", "doc.bin"}, kEnglish, "Password: ", "Confirm password: "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args.front() + " " + row.prompt);
        TerminalSession session(row.args, folder_.Root(), row.settings);
        ASSERT_TRUE(session.WaitFor(row.prompt)) << session.Seen();
        session.Type("pw\n");
        EXPECT_EQ(session.Finish(), 0) << session.Seen();
        EXPECT_FALSE(Contains(session.Seen(), row.twice)) << session.Seen();
        EXPECT_FALSE(Contains(session.Seen(), "确认密码:")) << session.Seen();
    }
    EXPECT_EQ(ReadBytes(folder_ / "doc.bin"), original) << "decrypt took the one entry";
}

// With "-" the data comes on standard input and the password from the terminal; encrypted
// bytes are never written to the terminal.
TEST_F(CliTerminalTest, DashRefusesToEncryptToTheTerminal) {
    TerminalSession session({"encrypt", "-"}, folder_.Root(), kEnglish);
    EXPECT_EQ(session.Finish(), 2);
    EXPECT_TRUE(Contains(session.Seen(), "encrypted data is not written to a terminal"))
        << session.Seen();
}

TEST_F(CliTerminalTest, OverwriteIsAskedOnTheTerminalInTheUsersLanguage) {
    struct Case {
        Settings settings;
        const char* answer;
        const char* prompt;
        const char* confirm;
        const char* question;
        const char* declined;  // the note after a no
    };
    const Case chinese = {
        kChinese, "", "加密密码:", "确认密码:", "与输出文件同名的文件已经存在，是否覆盖？ [y/N]",
        "未覆盖"};
    const Case english = {kEnglish,
                          "",
                          "Password: ",
                          "Confirm password: ",
                          "The output file already exists. Overwrite it? [y/N]",
                          "not overwritten"};
    std::vector<Case> cases;
    // The window's buttons say 是 and 否: typed, they answer as y and n do.
    for (const char* answer : {"n\n", "\n", "y\n", "是\n", "否\n"}) {
        cases.push_back(chinese);
        cases.back().answer = answer;
    }
    for (const char* answer : {"n\n", "y\n"}) {
        cases.push_back(english);
        cases.back().answer = answer;
    }
    WriteBytes(folder_ / "a.txt", "fresh");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.prompt) + c.answer);
        WriteBytes(folder_ / "a_ZOK.txt", "old");
        TerminalSession session({"encrypt", "a.txt"}, folder_.Root(), c.settings);
        ASSERT_TRUE(session.WaitFor(c.prompt)) << session.Seen();
        session.Type("pw\n");
        ASSERT_TRUE(session.WaitFor(c.confirm)) << session.Seen();
        session.Type("pw\n");
        ASSERT_TRUE(session.WaitFor(c.question)) << session.Seen();
        session.Type(c.answer);
        const bool yes = c.answer[0] == 'y' || std::string(c.answer) == "是\n";
        EXPECT_EQ(session.Finish(), yes ? 0 : 7) << session.Seen();
        EXPECT_EQ(Contains(session.Seen(), c.declined), !yes) << session.Seen();
        EXPECT_EQ(ReadBytes(folder_ / "a_ZOK.txt").size(), yes ? 20u : 3u);
    }
}

}  // namespace
