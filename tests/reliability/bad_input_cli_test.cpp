// The bad-input catalogue through the zok program, as a script would meet it: one row per kind
// of input, many files per call, each its own run. Every file gets its own message, the first
// failure decides the status, and nothing the user did not name is touched.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <optional>

#include "cli/exit_status.h"
#include "cli/texts.h"
#include "core/container.h"
#include "fileops/utf.h"
#include "tests/reliability/reliability_support.h"
#include "tests/core/password_area.h"
#include "tests/support/containers.h"
#include "tests/support/run_harness.h"
#include "tests/support/zok_process.h"
#include "ui/messages.h"

const char* const kProgramUnderTest = ZOK_CLI_PATH;

namespace fs = std::filesystem;

namespace {

const std::string kDone = Utf16ToUtf8(TextOf(MessageId::kDone));
const std::string kOpenFailed = Utf16ToUtf8(TextOf(MessageId::kOpenFailed));
// The format cannot tell a wrong password from a file never encrypted: decrypt says both.
const std::string kWrong = Utf16ToUtf8(TextIn(Language::kChinese, CliText::kNotOpenedByPassword));
const std::string kDamaged = Utf16ToUtf8(TextOf(MessageId::kDamaged));
const std::string kOutputPathTooLong = Utf16ToUtf8(TextOf(MessageId::kOutputPathTooLong));
const std::string kFieldWouldCut =
    Utf16ToUtf8(TextIn(Language::kChinese, CliText::kPathTooLongForField));
// A folder is not opened: the message names the option that walks it.
const std::string kFolderNamesR =
    Utf16ToUtf8(TextIn(Language::kChinese, CliText::kFolderNeedsRecursive));
// Beside every row's files, and the target of its links.
const std::string kBystander = "bystander";

// "打开文件出错！（是一个目录）": the run's message with the system's reason, as zok prints it.
std::string OpenFailed(CliText reason) {
    const std::u16string frame = TextIn(Language::kChinese, CliText::kReasonFrame);
    return kOpenFailed + Utf16ToUtf8(Filled(frame, TextIn(Language::kChinese, reason)));
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

// How a file of a row is made. A device is the system's own; a bare name makes nothing.
enum class Made { kFile, kReadOnly, kHeld, kLink, kHardLink, kFolder, kPipe, kDevice, kName };

struct File {
    std::string name;
    std::string bytes;         // its contents; for a link, the name it links to
    std::string message = {};  // what zok says of it; "" when its run is done
    Made made = Made::kFile;
    bool named = true;  // on the command line, or only beside the named ones
};

// One kind of input through one call of zok.
struct Row {
    std::string kind;
    std::vector<std::string> args;  // the command and its options; the named files follow
    int status;
    std::vector<File> files = {};
    // What the call leaves besides the files as they were: name -> the plain bytes it holds
    // (an encryption's output: a container of them; nullopt: any bytes). A shredded file goes.
    std::map<std::string, std::optional<std::string>> written = {};
    std::string input = "pw\n";
};

// Every row: the file names of the path rows fill the field from a folder of `folderUnits`.
std::vector<Row> Catalogue(size_t folderUnits) {
    const std::vector<std::string> decrypt = {"decrypt", "--password-stdin"};
    const std::vector<std::string> encryptInPlace = {"encrypt", "--in-place", "--password-stdin"};
    const std::vector<std::string> decryptInPlace = {"decrypt", "--in-place", "--password-stdin"};
    std::vector<Row> rows;
    // Files too short to be a container, or whose check word is not the password's.
    for (const char* mode : {"--in-place", "--yes"}) {
        rows.push_back({"no container", {"decrypt", mode, "--password-stdin"}, kExitNotContainer});
        for (size_t length = 0; length <= 40; ++length) {
            const std::string bytes = RandomBytes(length, static_cast<uint32_t>(length) + 500);
            EXPECT_NE(BufferWordAt(bytes, 8), DigestsOf(u"pw").check) << length;
            rows.back().files.push_back(
                {Numbered('n', 100 + length), bytes, length == 0 ? kDamaged : kWrong});
        }
    }
    // Bytes after the body are no part of the container: the original comes back.
    const std::string plain = RandomBytes(38, 8);
    const std::string container = MakeContainer(plain, u"pw", 0x31415926u);
    rows.push_back({"trailing bytes", decrypt, kExitSuccess});
    for (size_t extra = 1; extra <= 7; ++extra) {
        const std::string bytes = container + RandomBytes(extra, static_cast<uint32_t>(extra));
        rows.back().files.push_back({Numbered('t', extra), bytes});
        rows.back().written[Numbered('t', extra) + "_Adv"] = plain;
    }
    // Stored sizes that cannot be, and a body cut short by a word.
    rows.push_back(
        {"impossible sizes", decrypt, kExitNotContainer, {{"cut", container, kDamaged}}});
    rows.back().files[0].bytes.resize(container.size() - 4);
    for (uint32_t size : {1u << 31, 0x80000001u, 0xFFFFFFFCu, 0xFFFFFFFFu, 41u, 44u}) {
        std::string forged = container;
        PutWord(&forged, 4, WordAt(container, 0) ^ size);
        rows.back().files.push_back({Numbered('s', size), forged, kDamaged});
    }
    // Every bit of the header flipped, the check word's first (a wrong password decides the
    // status): a changed salt or size decrypts to other bytes where the stored size still fits.
    rows.push_back({"header bits", decrypt, kExitWrongPassword});
    for (size_t i = 64; i < 64 + 96; ++i) {
        const size_t bit = i % 96;
        std::string flipped = container;
        flipped[bit / 8] = static_cast<char>(flipped[bit / 8] ^ (1 << (bit % 8)));
        const bool fits =
            12 + BodySizeFor(WordAt(flipped, 0) ^ WordAt(flipped, 4)) <= container.size();
        const std::string message = bit >= 64 ? kWrong : fits ? "" : kDamaged;
        rows.back().files.push_back({Numbered('h', 100 + bit), flipped, message});
        if (message.empty())
            rows.back().written[Numbered('h', 100 + bit) + "_Adv"] = std::nullopt;
    }
    // Names the file system takes, however awkward.
    const std::string emoji = "\xF0\x9F\x98\x80 emoji";
    const std::map<std::string, std::string> awkward = {{"测试 文件.txt", "测试 文件_ZOK.txt"},
                                                        {emoji, emoji + "_Adv"},
                                                        {"two  spaces.txt", "two  spaces_ZOK.txt"},
                                                        {"line\nbreak", "line\nbreak_Adv"}};
    rows.push_back({"awkward names", {"encrypt", "--password-stdin"}, kExitSuccess});
    for (const auto& [name, sealed] : awkward) {
        rows.back().files.push_back({name, "content of " + name});
        rows.back().written[sealed] = "content of " + name;
    }
    rows.push_back({"awkward names", {"shred"}, kExitSuccess, rows.back().files});
    // The field holds 259 units: a longer path would reach the run cut short and name another
    // file, so it is refused before anything opens. 259 units work in place; their output name
    // would not fit.
    const std::string name259(259 - folderUnits, 'x'), name260 = name259 + "y";
    const std::string sealed259 = MakeContainer("259", u"pw", 259);
    const File beside259 = {name259, "259", "", Made::kFile, false};
    for (const auto& args : {std::vector<std::string>{"shred"}, encryptInPlace, decryptInPlace}) {
        rows.push_back(
            {"260 units", args, kExitCannotAccess, {{name260, "260", kFieldWouldCut}, beside259}});
    }
    rows.push_back({"259 units", encryptInPlace, 0, {{name259, "259"}}, {{name259, "259"}}});
    rows.push_back(
        {"259 units", decrypt, kExitCannotAccess, {{name259, sealed259, kOutputPathTooLong}}});
    rows.push_back({"259 units", decryptInPlace, 0, {{name259, sealed259}}, {{name259, "259"}}});
    // Links, special files, files held by another run and names of no file, refused with the
    // system's reason.
    const std::vector<File> special = {
        {"link", kBystander, OpenFailed(ReasonTextOf(SystemReason::kSymbolicLink)), Made::kLink},
        {"dangling", "nowhere", OpenFailed(ReasonTextOf(SystemReason::kSymbolicLink)), Made::kLink},
        {"pipe", "", OpenFailed(ReasonTextOf(SystemReason::kNotRegularFile)), Made::kPipe},
        {"folder", "", kFolderNamesR, Made::kFolder},
        {"readonly", "read only", OpenFailed(ReasonTextOf(SystemReason::kPermissionDenied)),
         Made::kReadOnly},
        {"held", "held", OpenFailed(ReasonTextOf(SystemReason::kInUse)), Made::kHeld},
        {"/dev/null", "", OpenFailed(ReasonTextOf(SystemReason::kNotRegularFile)), Made::kDevice},
        {"real", "real", "", Made::kFile, false},
        {"real/", "", OpenFailed(ReasonTextOf(SystemReason::kNotDirectory)),
         Made::kName},  // a file as a folder
        {"/", "", kFolderNamesR, Made::kName},
    };
    for (const char* command : {"encrypt", "decrypt"}) {
        for (const char* mode : {"--in-place", "--yes"}) {
            rows.push_back(
                {"special files", {command, mode, "--password-stdin"}, kExitCannotAccess, special});
        }
    }
    rows.push_back({"special files", {"shred"}, kExitCannotAccess, special});
    // Shredding destroys the contents whichever name reaches them; the other name stays, empty.
    const File other = {"other", "named", "", Made::kHardLink, false};
    rows.push_back({"hard link", {"shred"}, 0, {{"named", "secret"}, other}, {{"other", ""}}});
    // Passwords of 1, 128, 129 and 130 units on standard input: only 129 units count, and one
    // unit less does not open what they sealed.
    const std::string cjk129 = Utf16ToUtf8(std::u16string(129, u'\u5BC6'));
    const std::pair<std::string, std::string> passwords[] = {
        {"1", ""},
        {std::string(128, 'a'), std::string(127, 'a')},
        {std::string(129, 'b'), std::string(128, 'b')},
        {std::string(130, 'c'), std::string(128, 'c')},
        {cjk129, Utf16ToUtf8(std::u16string(128, u'\u5BC6'))},
    };
    for (const auto& [typed, shorter] : passwords) {
        const std::string sealed = MakeContainer("limits", Utf16(typed).substr(0, 129), 129);
        rows.push_back({"password", encryptInPlace, 0, {{"p", "limits"}}, {{"p", "limits"}}});
        rows.push_back({"password", decryptInPlace, 0, {{"p", sealed}}, {{"p", "limits"}}});
        rows.end()[-1].input = rows.end()[-2].input = typed + "\n";
        if (!shorter.empty()) {
            rows.push_back(
                {"password", decryptInPlace, kExitWrongPassword, {{"p", sealed, kWrong}}});
            rows.back().input = shorter + "\n";
        }
    }
    return rows;
}

class BadInputCli : public testing::Test {
  protected:
    fs::path At(const std::string& name) const { return folder_ / name; }
    // Makes the row's files beside the bystander; returns the arguments of the call.
    std::vector<std::string> Make(const Row& row) {
        WriteBytes(At(kBystander), bystander_.bytes);
        std::vector<std::string> args = row.args;
        for (const File& file : row.files) {
            const fs::path path = At(file.name);
            if (file.made == Made::kLink) {
                fs::create_symlink(At(file.bytes), path);
            } else if (file.made == Made::kHardLink) {
                fs::create_hard_link(At(file.bytes), path);
            } else if (file.made == Made::kFolder) {
                fs::create_directory(path);
            } else if (file.made == Made::kPipe) {
                EXPECT_EQ(mkfifo(path.c_str(), 0666), 0);
            } else if (InFolder(file)) {
                WriteBytes(path, file.bytes);
            }
            if (file.made == Made::kReadOnly)
                MakeReadOnly(path);
            if (file.made == Made::kHeld) {
                held_.push_back(open(path.c_str(), O_RDWR));
                EXPECT_EQ(flock(held_.back(), LOCK_EX | LOCK_NB), 0);
            }
            if (file.named)
                args.push_back(file.name);
        }
        return args;
    }
    static bool InFolder(const File& file) {
        return file.made != Made::kDevice && file.made != Made::kName;
    }
    // Expects `file` as it was made. (A device's name is a full path: At gives it back.)
    void ExpectKept(const File& file) const {
        const fs::path path = At(file.name);
        if (file.made == Made::kLink) {
            EXPECT_EQ(fs::read_symlink(path), At(file.bytes)) << file.name;
        } else if (file.made == Made::kFolder) {
            EXPECT_TRUE(fs::is_directory(path)) << file.name;
        } else if (file.made == Made::kPipe) {
            EXPECT_TRUE(fs::is_fifo(path)) << file.name;
        } else if (file.made == Made::kDevice) {
            EXPECT_TRUE(fs::is_character_file(path)) << file.name;
        } else if (InFolder(file)) {
            EXPECT_EQ(ReadBytes(path), file.bytes) << "kept: " << file.name;
        }
    }
    void Empty() {
        for (int fd : held_) close(fd);
        held_.clear();
        for (const auto& entry : fs::directory_iterator(folder_.Root())) fs::remove_all(entry);
    }

    ScratchFolder folder_;
    const File bystander_ = {kBystander, MakeContainer("by", u"pw", 1), "", Made::kFile, false};
    std::vector<int> held_;
};

TEST_F(BadInputCli, EveryKindOfInputGivesEachFileItsMessageAndTouchesNothingElse) {
    const std::u8string folder = folder_.Root().u8string() + u8"/";
    for (const Row& row : Catalogue(Utf16(std::string(folder.begin(), folder.end())).size())) {
        const std::vector<std::string> args = Make(row);
        std::string call = row.kind + ":";
        for (const std::string& arg : row.args) call += " " + arg;
        SCOPED_TRACE(call);
        const ZokResult result = RunZok(args, row.input, folder_.Root());
        EXPECT_EQ(result.exitCode, row.status) << result.err;
        std::set<std::string> left = {kBystander};
        ExpectKept(bystander_);
        size_t done = 0;
        for (const File& file : row.files) {
            done += file.named && file.message.empty();
            const std::string line = "zok: " + file.name + ": " + file.message + "\n";
            if (file.named && !file.message.empty()) {
                EXPECT_EQ(Count(result.err, line), 1u) << result.err;
            }
            const bool shredded = file.named && file.message.empty() && row.args[0] == "shred";
            if (InFolder(file) && !shredded)
                left.insert(file.name);
            if (!shredded && !row.written.contains(file.name))
                ExpectKept(file);
        }
        EXPECT_EQ(Count(result.err, kDone), done) << result.err;
        for (const auto& [name, plain] : row.written) {
            left.insert(name);
            const std::string bytes = ReadBytes(At(name));
            // An encryption's container, salt and all, is the one its salt gives.
            if (plain && row.args[0] == "encrypt") {
                const std::u16string password = Utf16(row.input.substr(0, row.input.size() - 1));
                EXPECT_EQ(bytes, MakeContainer(*plain, password.substr(0, 129), WordAt(bytes, 0)))
                    << name;
            } else if (plain) {
                EXPECT_EQ(bytes, *plain) << name;
            }
        }
        EXPECT_EQ(Listing(folder_.Root()), left);
        CountBadInputs(static_cast<uint32_t>(args.size() - row.args.size()));
        Empty();
    }
}

}  // namespace
