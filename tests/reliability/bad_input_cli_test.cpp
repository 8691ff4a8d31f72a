// The bad-input catalogue through the zok program, as a script would meet it: many files per
// call, each its own run. Every file gets its own message, and nothing the user did not name
// is touched.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>

#include "cli/exit_status.h"
#include "cli/texts.h"
#include "core/container.h"
#include "fileops/utf.h"
#include "tests/reliability/reliability_support.h"
#include "tests/support/run_harness.h"
#include "tests/support/zok_process.h"
#include "ui/messages.h"

const char* const kProgramUnderTest = ZOK_CLI_PATH;

namespace fs = std::filesystem;

namespace {

const std::string kPasswordLine = "pw\n";

const std::string kDone = Utf16ToUtf8(TextOf(MessageId::kDone));
const std::string kOpenFailed = Utf16ToUtf8(TextOf(MessageId::kOpenFailed));
const std::string kWrong = Utf16ToUtf8(TextOf(MessageId::kWrongPassword));
const std::string kDamaged = Utf16ToUtf8(TextOf(MessageId::kDamaged));
const std::string kPathTooLong = Utf16ToUtf8(TextOf(MessageId::kPathTooLong));

// "打开文件出错！（是一个目录）": the run's message with the system's reason, as zok prints it.
std::string WithReason(const std::string& message, CliText reason) {
    const std::u16string frame = TextIn(Language::kChinese, CliText::kReasonFrame);
    return message + Utf16ToUtf8(Filled(frame, TextIn(Language::kChinese, reason)));
}

// The exit status of a run that failed with `message` (without its reason).
int StatusOf(const std::string& message) {
    if (message.rfind(kOpenFailed, 0) == 0 || message == kPathTooLong)
        return kExitCannotAccess;
    if (message == kWrong)
        return kExitWrongPassword;
    if (message == kDamaged)
        return kExitNotContainer;
    return kExitFailure;
}

// "n104" and the like. (Built by appending: gcc 12 warns falsely on "n" + std::to_string(...).)
std::string Numbered(char prefix, uint64_t number) {
    std::string name(1, prefix);
    name += std::to_string(number);
    return name;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

class BadInputCli : public testing::Test {
  protected:
    fs::path At(const std::string& name) const { return folder_ / name; }
    std::string Full(const std::string& name) const {
        const std::u8string text = At(name).u8string();
        return std::string(text.begin(), text.end());
    }
    ZokResult Zok(std::vector<std::string> args, const std::string& input = kPasswordLine) {
        return RunZok(args, input, folder_.Root());
    }
    // Writes each file, runs zok on all of them at once, and checks that each named file gave
    // `expected[name]` ("" for a completed run) and that the folder holds `after`.
    ZokResult RunAll(const std::vector<std::string>& options,
                     const std::map<std::string, std::string>& files,
                     const std::map<std::string, std::string>& expected) {
        std::vector<std::string> args = options;
        for (const auto& [name, bytes] : files) {
            WriteBytes(At(name), bytes);
            args.push_back(name);
        }
        ZokResult result = Zok(args);
        size_t completed = 0;
        for (const auto& [name, message] : expected) {
            if (message.empty()) {
                ++completed;
            } else {
                EXPECT_EQ(Count(result.err, "zok: " + name + ": " + message + "\n"), 1u)
                    << name << "\n"
                    << result.err;
            }
        }
        EXPECT_EQ(Count(result.err, kDone), completed) << result.err;
        // Every file was tried; the first failure in the order given decides the status.
        int status = kExitSuccess;
        for (const auto& [name, message] : expected) {
            if (!message.empty() && status == kExitSuccess)
                status = StatusOf(message);
        }
        EXPECT_EQ(result.exitCode, status);
        CountBadInputs(static_cast<uint32_t>(files.size()));
        return result;
    }
    std::set<std::string> Names() const { return Listing(folder_.Root()); }

    ScratchFolder folder_;
};

TEST_F(BadInputCli, NonContainersOfEveryLength) {
    const uint32_t check = CheckDigestOf(u"pw");
    std::map<std::string, std::string> files, expected;
    for (size_t length = 0; length <= 40; ++length) {
        const std::string name = Numbered('n', 100 + length);
        files[name] = RandomBytes(length, static_cast<uint32_t>(length) + 500);
        ASSERT_NE(BufferWordAt(files[name], 8), check);
        expected[name] = length == 0 ? kDamaged : kWrong;
    }
    for (const char* mode : {"--in-place", "--yes"}) {
        RunAll({"decrypt", mode, "--password-stdin"}, files, expected);
        for (const auto& [name, bytes] : files) EXPECT_EQ(ReadBytes(At(name)), bytes) << name;
        EXPECT_EQ(Names().size(), files.size()) << "no output left behind";
    }
}

TEST_F(BadInputCli, DamagedContainers) {
    const std::string plain = RandomBytes(38, 8);
    const std::string container = MakeContainer(plain, u"pw", 0x31415926u);
    std::map<std::string, std::string> files, expected;
    // Trailing bytes: the word after the body enters the backward pass.
    for (size_t extra = 1; extra <= 7; ++extra) {
        const std::string name = Numbered('t', extra);
        files[name] = container + RandomBytes(extra, static_cast<uint32_t>(extra));
        expected[name] = "";
    }
    // Stored sizes that cannot be.
    const uint32_t sizes[] = {1u << 31, 0x80000001u, 0xFFFFFFFCu, 0xFFFFFFFFu, 41u, 44u};
    for (uint32_t size : sizes) {
        const std::string name = Numbered('s', size);
        files[name] = container;
        PutWord(&files[name], 4, WordAt(container, 0) ^ size);
        expected[name] = kDamaged;
    }
    // Every bit of the header flipped.
    for (size_t bit = 0; bit < 96; ++bit) {
        const std::string name = Numbered('h', 100 + bit);
        std::string flipped = container;
        flipped[bit / 8] = static_cast<char>(flipped[bit / 8] ^ (1 << (bit % 8)));
        const uint32_t stored = WordAt(flipped, 0) ^ WordAt(flipped, 4);
        const bool fits = 12 + BodySizeFor(stored) <= flipped.size();
        files[name] = flipped;
        expected[name] = bit >= 64 ? kWrong : fits ? "" : kDamaged;
    }
    RunAll({"decrypt", "--password-stdin"}, files, expected);
    std::set<std::string> names;
    for (const auto& [name, message] : expected) {
        names.insert(name);
        EXPECT_EQ(ReadBytes(At(name)), files[name]) << "the container is kept: " << name;
        if (message.empty()) {
            names.insert(name + "_Adv");
        }
    }
    EXPECT_EQ(Names(), names);
    for (size_t extra = 1; extra <= 7; ++extra) {
        const std::string name = Numbered('t', extra);
        EXPECT_EQ(ReadBytes(At(name + "_Adv")),
                  ExpectedPlain(plain, 38, {}, BufferWordAt(files[name], container.size())));
    }
}

TEST_F(BadInputCli, AwkwardNamesRoundTrip) {
    const std::string names[] = {"测试 文件.txt", "\xF0\x9F\x98\x80 emoji", "two  spaces.txt",
                                 "line\nbreak"};
    std::map<std::string, std::string> files, expected;
    for (const std::string& name : names) {
        files[name] = "content of " + name;
        expected[name] = "";
    }
    RunAll({"encrypt", "--password-stdin"}, files, expected);
    ASSERT_TRUE(fs::exists(At("测试 文件_ZOK.txt")));
    ASSERT_TRUE(fs::exists(At("\xF0\x9F\x98\x80 emoji_Adv")));
    std::vector<std::string> all = {"shred"};
    for (const std::string& name : Names()) all.push_back(name);
    EXPECT_EQ(Zok(all, "").exitCode, 0);
    EXPECT_TRUE(Names().empty());
}

// The field holds 259 units: a longer path would reach the run cut short, naming another file,
// so zok refuses it before anything is opened, even when that other file exists.
TEST_F(BadInputCli, PathsAtTheLengthLimits) {
    const size_t folder = Utf16(Full("")).size();
    const std::string name259(259 - folder, 'x');
    const std::string name260 = name259 + "y";
    ASSERT_EQ(Utf16(Full(name259)).size(), 259u);
    WriteBytes(At(name259), "259 units");
    WriteBytes(At(name260), "260 units");
    for (const char* command : {"shred", "encrypt", "decrypt"}) {
        std::vector<std::string> args = {command, Full(name260)};
        if (std::string(command) != "shred")
            args.insert(args.begin() + 1, {"--in-place", "--password-stdin"});
        ZokResult result = Zok(args);
        EXPECT_EQ(result.exitCode, kExitCannotAccess);
        EXPECT_EQ(Count(result.err, "正在"), 0u) << "no run started: " << result.err;
    }
    EXPECT_EQ(ReadBytes(At(name259)), "259 units");
    EXPECT_EQ(ReadBytes(At(name260)), "260 units");
    CountBadInputs(3);

    // 259 units work in place; their output name would not fit.
    EXPECT_EQ(Zok({"encrypt", "--in-place", "--password-stdin", name259}).exitCode, 0);
    ZokResult separate = Zok({"decrypt", "--password-stdin", name259});
    EXPECT_EQ(separate.exitCode, kExitCannotAccess);
    EXPECT_EQ(Count(separate.err, kPathTooLong), 1u) << separate.err;
    EXPECT_EQ(Zok({"decrypt", "--in-place", "--password-stdin", name259}).exitCode, 0);
    EXPECT_EQ(ReadBytes(At(name259)), "259 units");
    CountBadInputs(3);
}

TEST_F(BadInputCli, LinksSpecialFilesAndHeldFiles) {
    WriteBytes(At("target"), MakeContainer("target", u"pw", 1));
    const std::string target = ReadBytes(At("target"));
    fs::create_symlink(At("target"), At("link"));
    fs::create_symlink(At("nowhere"), At("dangling"));
    ASSERT_EQ(mkfifo(At("pipe").c_str(), 0666), 0);
    fs::create_directory(At("folder"));
    WriteBytes(At("readonly"), "read only");
    MakeReadOnly(At("readonly"));
    WriteBytes(At("held"), "held");
    const int holder = open(At("held").c_str(), O_RDWR);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);

    const std::vector<std::string> names = {"link",     "dangling", "pipe",     "folder",
                                            "readonly", "held",     "/dev/null"};
    // Each refusal with the system's reason, as the command line adds it.
    const std::map<std::string, CliText> reasons = {
        {"link", CliText::kReasonSymbolicLink},         {"dangling", CliText::kReasonSymbolicLink},
        {"pipe", CliText::kReasonNotRegularFile},       {"folder", CliText::kReasonIsDirectory},
        {"readonly", CliText::kReasonPermissionDenied}, {"held", CliText::kReasonInUse},
        {"/dev/null", CliText::kReasonNotRegularFile},
    };
    for (const char* command : {"encrypt", "decrypt", "shred"}) {
        for (const char* mode : {"--in-place", "--yes"}) {
            const bool shred = std::string(command) == "shred";
            if (shred && std::string(mode) != "--in-place")
                continue;
            std::vector<std::string> args = {command};
            if (!shred) {
                args.push_back(mode);
                args.push_back("--password-stdin");
            }
            args.insert(args.end(), names.begin(), names.end());
            ZokResult result = Zok(args);
            EXPECT_EQ(result.exitCode, kExitCannotAccess);
            for (const std::string& name : names) {
                const std::string message = WithReason(kOpenFailed, reasons.at(name));
                EXPECT_EQ(Count(result.err, "zok: " + name + ": " + message + "\n"), 1u)
                    << name << "\n"
                    << result.err;
            }
            CountBadInputs(static_cast<uint32_t>(names.size()));
        }
    }
    close(holder);
    EXPECT_EQ(ReadBytes(At("target")), target);
    EXPECT_EQ(fs::read_symlink(At("link")), At("target"));
    EXPECT_FALSE(fs::exists(At("nowhere")));
    EXPECT_TRUE(fs::is_fifo(At("pipe")));
    EXPECT_EQ(ReadBytes(At("readonly")), "read only");
    EXPECT_EQ(ReadBytes(At("held")), "held");
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(Names(), (std::set<std::string>{"target", "link", "dangling", "pipe", "folder",
                                              "readonly", "held"}));
}

// Passwords of 1, 128, 129 and 130 units on standard input; only 129 units count.
TEST_F(BadInputCli, PasswordsAtTheFieldLimit) {
    const std::string cjk129 = Utf16ToUtf8(std::u16string(129, u'\u5BC6'));
    const std::pair<std::string, std::string> cases[] = {
        {"1", ""},
        {std::string(128, 'a'), std::string(127, 'a')},
        {std::string(129, 'b'), std::string(128, 'b')},
        {std::string(130, 'c'), std::string(128, 'c')},
        {cjk129, Utf16ToUtf8(std::u16string(128, u'\u5BC6'))},
    };
    for (const auto& [typed, shorter] : cases) {
        SCOPED_TRACE(typed.size());
        WriteBytes(At("p.txt"), "password limits");
        ASSERT_EQ(
            Zok({"encrypt", "--in-place", "--password-stdin", "p.txt"}, typed + "\n").exitCode, 0);
        const std::string sealed = ReadBytes(At("p.txt"));
        if (!shorter.empty()) {
            ZokResult wrong =
                Zok({"decrypt", "--in-place", "--password-stdin", "p.txt"}, shorter + "\n");
            EXPECT_EQ(Count(wrong.err, kWrong), 1u) << wrong.err;
            EXPECT_EQ(ReadBytes(At("p.txt")), sealed);
        }
        // 130 typed units open with their first 129.
        const std::string effective = typed.size() == 130 ? typed.substr(0, 129) : typed;
        ZokResult right =
            Zok({"decrypt", "--in-place", "--password-stdin", "p.txt"}, effective + "\n");
        EXPECT_EQ(right.exitCode, 0) << right.err;
        EXPECT_EQ(ReadBytes(At("p.txt")), "password limits");
        CountBadInputs(shorter.empty() ? 2 : 3);
    }
}

}  // namespace
