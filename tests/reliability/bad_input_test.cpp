// Bad input through the in-memory dialog, as a user would give it to the window: files that are
// no containers, damaged containers, awkward paths, links and special files, files held by
// another run, and passwords at the field's limit. Each gives its message and loses nothing.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/container.h"
#include "fileops/app_state.h"
#include "fileops/prepare.h"
#include "fileops/shred.h"
#include "tests/reliability/reliability_support.h"
#include "tests/core/password_area.h"
#include "tests/support/containers.h"
#include "tests/support/run_harness.h"
#include "ui/control_access.h"
#include "ui/control_ids.h"
#include "ui/headless_dialog.h"
#include "ui/messages.h"

#ifdef ZOK_FAULT_INJECTION
#include "fileops/fault_injection.h"
#endif

namespace fs = std::filesystem;

namespace {

const std::u16string kPassword = u"pw";
const std::string kBystander = "a file nobody named";

// A harness with a bystander file beside the file under test.
struct RunWithBystander {
    RunHarness run;
    fs::path bystander;
    RunWithBystander() {
        bystander = run.Write("bystander.txt", kBystander);
        run.SetPassword(kPassword);
    }
    // Presses `command` on `path` and returns the one box's message: an error unless done. A
    // shred opens on its worker, so its buttons come back only after the box.
    MessageId Press(uint32_t command, const std::u16string& path, bool inPlace) {
        run.SetInPlace(inPlace);
        run.SetPathText(path);
        run.Press(command);
        EXPECT_EQ(RunHarness::Read(bystander), kBystander);
        const RecordedBox box = run.OnlyBox();
        EXPECT_EQ(box.style, box.message == MessageId::kDone ? kBoxInfo : kBoxError);
        EXPECT_FALSE(command == IDC_SHRED && box.buttonsEnabledWhileShown);
        return box.message;
    }
    MessageId Press(uint32_t command, const fs::path& file, bool inPlace) {
        return Press(command, Utf16(file.string()), inPlace);
    }
};

// Decrypts `bytes` as the file `name` beside a bystander and returns the one box's message; the
// file and its folder must be as they were.
MessageId DecryptKeepingAll(const std::string& name, const std::string& bytes, bool inPlace) {
    RunWithBystander trial;
    const fs::path file = trial.run.Write(name, bytes);
    const MessageId message = trial.Press(IDC_DECRYPT, file, inPlace);
    EXPECT_EQ(RunHarness::Read(file), bytes);
    EXPECT_EQ(Listing(trial.run.Dir()), (std::set<std::string>{name, "bystander.txt"}));
    return message;
}

TEST(BadInput, NonContainersOfEveryLength) {
    const uint32_t check = DigestsOf(kPassword).check;
    uint32_t tried = 0;
    for (size_t length = 0; length <= 40; ++length) {
        const std::string fillers[] = {
            std::string(length, '\0'), std::string(length, '\xFF'),
            RandomBytes(length, static_cast<uint32_t>(length)),
            std::string("ZOK ZOK ZOK ZOK ZOK ZOK ZOK ZOK ZOK ZOK ZOK ").substr(0, length)};
        for (const std::string& bytes : fillers) {
            ASSERT_NE(BufferWordAt(bytes, 8), check) << "not a container by chance";
            for (bool inPlace : {true, false}) {
                SCOPED_TRACE(testing::Message() << length << " bytes, in place " << inPlace);
                EXPECT_EQ(DecryptKeepingAll("x.bin", bytes, inPlace),
                          length == 0 ? MessageId::kDamaged : MessageId::kWrongPassword);
                ++tried;
            }
        }
        // The right check value, but a stored size the file cannot hold.
        if (length >= 12) {
            std::string forged = RandomBytes(length, 99);
            PutWord(&forged, 8, check);
            const uint32_t salt = WordAt(forged, 0);
            PutWord(&forged, 4, salt ^ static_cast<uint32_t>(length - 12 + 1 + length % 5));
            EXPECT_EQ(DecryptKeepingAll("x.bin", forged, false), MessageId::kDamaged);
            ++tried;
        }
    }
    ExpectNothingHeld();
    CountBadInputs(tried);
}

// There is no integrity check, and bytes after the body are none of it: the decryption takes
// the word after the last as zero, as the encryption had it, so no byte after changes a word.
TEST(BadInput, TrailingBytesAfterAContainer) {
    const std::string plain = RandomBytes(13, 5);
    const std::string container = MakeContainer(plain, kPassword, 0x1234567);
    uint32_t tried = 0;
    for (size_t extra = 1; extra <= 7; ++extra) {
        for (char fill : {'\0', '\x5A'}) {
            SCOPED_TRACE(testing::Message() << extra << " trailing bytes of " << int(fill));
            const std::string longer = container + std::string(extra, fill);
            RunWithBystander trial;
            const fs::path file = trial.run.Write("t.bin", longer);
            EXPECT_EQ(trial.Press(IDC_DECRYPT, file, false), MessageId::kDone);
            EXPECT_EQ(RunHarness::Read(file), longer);
            // Bytes after the container are no part of it: the original, whatever they are.
            EXPECT_EQ(RunHarness::Read(trial.run.Dir() / "t_ZOK.bin"), plain);
            ++tried;
        }
    }
    CountBadInputs(tried);
}

TEST(BadInput, BitFlipsInHeaderAndBody) {
    const std::string plain = RandomBytes(38, 6);  // ten body words, the last half padding
    const std::string container = MakeContainer(plain, kPassword, 0x9E3779B9u);
    uint32_t tried = 0;
    for (size_t bit = 0; bit < 8 * container.size(); ++bit) {
        SCOPED_TRACE(testing::Message() << "bit " << bit);
        std::string flipped = container;
        flipped[bit / 8] = static_cast<char>(flipped[bit / 8] ^ (1 << (bit % 8)));
        RunWithBystander trial;
        const fs::path file = trial.run.Write("b.bin", flipped);
        const MessageId message = trial.Press(IDC_DECRYPT, file, true);
        ++tried;
        if (bit >= 96) {
            // A body bit: the decryption completes, and the change runs down the chain.
            ASSERT_EQ(message, MessageId::kDone);
            const size_t word = (bit - 96) / 32;
            const uint32_t d = WordAt(flipped, 12 + 4 * word) - WordAt(container, 12 + 4 * word);
            EXPECT_EQ(RunHarness::Read(file), ExpectedPlain(plain, 38, {{word, d}}, 0));
        } else if (bit >= 64) {
            EXPECT_EQ(message, MessageId::kWrongPassword);
            EXPECT_EQ(RunHarness::Read(file), flipped);
        } else {
            // Salt or size: the stored size changes. It no longer fits, or it decrypts to
            // other bytes without a message; nothing else is possible.
            const uint32_t stored = WordAt(flipped, 0) ^ WordAt(flipped, 4);
            const bool fits = 12 + BodySizeFor(stored) <= flipped.size();
            EXPECT_EQ(message, fits ? MessageId::kDone : MessageId::kDamaged);
            if (fits) {
                EXPECT_EQ(fs::file_size(file), stored);
            } else {
                EXPECT_EQ(RunHarness::Read(file), flipped);
            }
        }
        EXPECT_EQ(Listing(trial.run.Dir()), (std::set<std::string>{"b.bin", "bystander.txt"}));
    }
    ExpectNothingHeld();
    CountBadInputs(tried);
}

TEST(BadInput, StoredSizesThatCannotBe) {
    const std::string container = MakeContainer(RandomBytes(100, 7), kPassword, 0xC0FFEEu);
    const uint32_t room = static_cast<uint32_t>(container.size() - 12);
    const uint32_t sizes[] = {1u << 31,    (1u << 31) + 1, (1u << 31) + 4, 0xFFFFFFFCu,
                              0xFFFFFFFDu, 0xFFFFFFFFu,    room + 1,       room + 4};
    uint32_t tried = 0;
    for (uint32_t size : sizes) {
        for (bool inPlace : {true, false}) {
            SCOPED_TRACE(testing::Message() << "stored size " << size << " in place " << inPlace);
            std::string forged = container;
            PutWord(&forged, 4, WordAt(forged, 0) ^ size);
            EXPECT_EQ(DecryptKeepingAll("s.bin", forged, inPlace), MessageId::kDamaged);
            ++tried;
        }
    }
    ExpectNothingHeld();
    CountBadInputs(tried);
}

// Names the file system accepts, however awkward, round-trip through a separate output.
TEST(BadInput, AwkwardButValidPaths) {
    const std::string names[] = {"with  spaces .txt", "测试 文件.文本", "\xF0\x9F\x98\x80 emoji",
                                 "line\nbreak.txt",   "-dash.txt",      " leading space"};
    const std::string outputs[] = {
        "with  spaces _ZOK.txt", "测试 文件_ZOK.文本", "\xF0\x9F\x98\x80 emoji_Adv",
        "line\nbreak_ZOK.txt",   "-dash_ZOK.txt",      " leading space_Adv"};
    uint32_t tried = 0;
    for (size_t i = 0; i < std::size(names); ++i) {
        SCOPED_TRACE(i);
        RunWithBystander trial;
        const fs::path file = trial.run.Write(names[i], "content " + names[i]);
        EXPECT_EQ(trial.Press(IDC_ENCRYPT, file, false), MessageId::kDone);
        const fs::path output = trial.run.Dir() / outputs[i];
        ASSERT_TRUE(fs::exists(output));
        fs::remove(file);
        fs::rename(output, file);
        EXPECT_EQ(trial.Press(IDC_DECRYPT, file, true), MessageId::kDone);
        EXPECT_EQ(RunHarness::Read(file), "content " + names[i]);
        EXPECT_EQ(trial.Press(IDC_SHRED, file, false), MessageId::kDone);
        EXPECT_EQ(Listing(trial.run.Dir()), std::set<std::string>{"bystander.txt"});
        tried += 3;
    }
    CountBadInputs(tried);
}

TEST(BadInput, PathsThatNameNoFile) {
    RunWithBystander trial;
    const fs::path file = trial.run.Write("real.txt", "real");
    const std::u16string dir = Utf16(trial.run.Dir().string());
    const std::u16string paths[] = {
        u"",                             // nothing typed
        dir + u"/missing.txt",           // no such file
        dir + u"/\xD800real.txt",        // a lone high surrogate
        dir + u"/real\xDC00.txt",        // a lone low surrogate
        dir + u"/real.txt/",             // a file taken for a folder
        u"/",                            // the root folder
        u"real.txt",                     // relative
        u"\\??\\" + dir + u"/real.txt",  // a native prefix typed by the user
    };
    uint32_t tried = 0;
    for (size_t i = 0; i < std::size(paths); ++i) {
        SCOPED_TRACE(i);
        for (uint32_t command : {IDC_ENCRYPT, IDC_DECRYPT, IDC_SHRED}) {
            EXPECT_EQ(trial.Press(command, paths[i], false), MessageId::kOpenFailed);
            ++tried;
        }
    }
    EXPECT_EQ(RunHarness::Read(file), "real");
    EXPECT_EQ(Listing(trial.run.Dir()), (std::set<std::string>{"real.txt", "bystander.txt"}));
    CountBadInputs(tried);
}

// Paths of 255, 256, 259 and 260 units. The output name is four units longer and must fit in
// 259; the field holds 259 units, so a longer text reaches the run cut short.
TEST(BadInput, PathsAtTheLengthLimits) {
    uint32_t tried = 0;
    for (size_t length : {255u, 256u, 259u}) {
        SCOPED_TRACE(length);
        RunWithBystander trial;
        const std::string folder = trial.run.Dir().string();
        const std::string name(length - folder.size() - 1 - 4, 'L');
        const fs::path file = trial.run.Write(name + ".txt", "limits");
        ASSERT_EQ(Utf16(file.string()).size(), length);
        const MessageId separate = trial.Press(IDC_ENCRYPT, file, false);
        EXPECT_EQ(separate, length <= 255 ? MessageId::kDone : MessageId::kOutputPathTooLong);
        std::set<std::string> left = {name + ".txt", "bystander.txt"};
        if (length <= 255)
            left.insert(name + "_ZOK.txt");
        EXPECT_EQ(Listing(trial.run.Dir()), left) << "nothing else created";
        EXPECT_EQ(trial.Press(IDC_ENCRYPT, file, true), MessageId::kDone);
        EXPECT_EQ(trial.Press(IDC_DECRYPT, file, true), MessageId::kDone);
        EXPECT_EQ(RunHarness::Read(file), "limits");
        EXPECT_EQ(trial.Press(IDC_SHRED, file, false), MessageId::kDone);
        EXPECT_FALSE(fs::exists(file));
        tried += 4;
    }
    // 260 units: the run sees the first 259 and never the file itself.
    RunWithBystander trial;
    const std::string folder = trial.run.Dir().string();
    const std::string name(260 - folder.size() - 1, 'M');
    const fs::path file = trial.run.Write(name, "too long");
    ASSERT_EQ(Utf16(file.string()).size(), 260u);
    for (uint32_t command : {IDC_ENCRYPT, IDC_DECRYPT, IDC_SHRED}) {
        EXPECT_EQ(trial.Press(command, file, true), MessageId::kOpenFailed);
        EXPECT_EQ(RunHarness::Read(file), "too long");
        ++tried;
    }
    CountBadInputs(tried);
}

// A link is never followed to its target: the user named the link, not the target.
TEST(BadInput, SymbolicLinksAreRefused) {
    RunWithBystander trial;
    const fs::path dir = trial.run.Dir();
    const std::string container = MakeContainer("target text", kPassword, 77);
    const fs::path target = trial.run.Write("target.bin", container);
    fs::create_symlink(target, dir / "link.bin");
    fs::create_symlink(dir / "nowhere", dir / "dangling.bin");
    uint32_t tried = 0;
    for (const char* link : {"link.bin", "dangling.bin"}) {
        for (uint32_t command : {IDC_ENCRYPT, IDC_DECRYPT, IDC_SHRED}) {
            for (bool inPlace : {true, false}) {
                EXPECT_EQ(trial.Press(command, dir / link, inPlace), MessageId::kOpenFailed);
                ++tried;
            }
        }
    }
    EXPECT_EQ(RunHarness::Read(target), container);
    EXPECT_EQ(fs::read_symlink(dir / "link.bin"), target);
    EXPECT_FALSE(fs::exists(dir / "nowhere"));
    EXPECT_EQ(Listing(dir),
              (std::set<std::string>{"target.bin", "link.bin", "dangling.bin", "bystander.txt"}));

    // The output name taken by a link: the run refuses to write through it, and a dangling
    // one does not create its target.
    const fs::path source = trial.run.Write("src.txt", "source");
    const fs::path victim = trial.run.Write("victim.txt", "victim");
    fs::create_symlink(victim, dir / "src_ZOK.txt");
    trial.run.AnswerQuestionsWith(kAnswerYes);
    EXPECT_EQ(trial.Press(IDC_ENCRYPT, source, false), MessageId::kWriteFailed);
    EXPECT_EQ(RunHarness::Read(victim), "victim");
    fs::remove(dir / "src_ZOK.txt");
    fs::create_symlink(dir / "created-through-link", dir / "src_ZOK.txt");
    EXPECT_EQ(trial.Press(IDC_ENCRYPT, source, false), MessageId::kWriteFailed);
    EXPECT_FALSE(fs::exists(dir / "created-through-link"));
    EXPECT_EQ(RunHarness::Read(source), "source");
    tried += 2;

    // A link to a folder inside the path is part of the name the user gave, and is followed.
    fs::create_directory(dir / "real-folder");
    fs::create_directory_symlink(dir / "real-folder", dir / "folder-link");
    const fs::path inside = trial.run.Write("real-folder/inside.txt", "inside");
    EXPECT_EQ(trial.Press(IDC_ENCRYPT, dir / "folder-link" / "inside.txt", true), MessageId::kDone);
    EXPECT_EQ(fs::file_size(inside), 12u + 8u);
    ++tried;
    CountBadInputs(tried);
}

// Shredding destroys the contents, whichever name reaches them; the other name stays, empty.
TEST(BadInput, ShredOfAFileWithASecondHardLink) {
    RunWithBystander trial;
    const fs::path file = trial.run.Write("named.txt", std::string(5000, 's'));
    fs::create_hard_link(file, trial.run.Dir() / "other-name.txt");
    EXPECT_EQ(trial.Press(IDC_SHRED, file, false), MessageId::kDone);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(fs::file_size(trial.run.Dir() / "other-name.txt"), 0u);
    CountBadInputs(1);
}

TEST(BadInput, SpecialFilesAreRefused) {
    RunWithBystander trial;
    const fs::path dir = trial.run.Dir();
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0666), 0);
    fs::create_directory(dir / "folder");
    const fs::path readOnly = trial.run.Write("ro.txt", "read only");
    chmod(readOnly.c_str(), 0444);
    uint32_t tried = 0;
    // A FIFO without a reader or writer must not block the run.
    for (const fs::path& path : {dir / "pipe", dir / "folder", fs::path("/dev/null"), readOnly}) {
        for (uint32_t command : {IDC_ENCRYPT, IDC_DECRYPT, IDC_SHRED}) {
            for (bool inPlace : {true, false}) {
                EXPECT_EQ(trial.Press(command, path, inPlace), MessageId::kOpenFailed) << path;
                ++tried;
            }
        }
    }
    EXPECT_TRUE(fs::is_fifo(dir / "pipe"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(RunHarness::Read(readOnly), "read only");

    // The output name taken by a folder or a read-only file.
    const fs::path source = trial.run.Write("src.txt", "source");
    fs::create_directory(dir / "src_ZOK.txt");
    EXPECT_EQ(trial.Press(IDC_ENCRYPT, source, false), MessageId::kWriteFailed);
    EXPECT_TRUE(fs::is_directory(dir / "src_ZOK.txt"));
    const fs::path other = trial.run.Write("other", "source");
    const fs::path readOnlyOutput = trial.run.Write("other_Adv", "keep me");
    chmod(readOnlyOutput.c_str(), 0444);
    trial.run.AnswerQuestionsWith(kAnswerYes);
    EXPECT_EQ(trial.Press(IDC_ENCRYPT, other, false), MessageId::kWriteFailed);
    EXPECT_EQ(RunHarness::Read(readOnlyOutput), "keep me");
    EXPECT_EQ(RunHarness::Read(source), "source");
    tried += 2;
    ExpectNothingHeld();
    CountBadInputs(tried);
}

// A file another run holds (the window of a second instance, or zok) cannot be opened.
TEST(BadInput, FilesHeldByAnotherRun) {
    RunWithBystander trial;
    const fs::path file = trial.run.Write("held.txt", "held");
    const std::u16string native = u"\\??\\" + Utf16(file.string());
    FileHandle held = 0;
    ASSERT_TRUE(OpenSourceForCipher(native.c_str(), &held));
    uint32_t tried = 0;
    for (uint32_t command : {IDC_ENCRYPT, IDC_DECRYPT, IDC_SHRED}) {
        EXPECT_EQ(trial.Press(command, file, true), MessageId::kOpenFailed);
        ++tried;
    }
    CloseFile(held);

    // The output held: refused before the overwrite question.
    const fs::path source = trial.run.Write("src.txt", "source");
    const fs::path output = trial.run.Write("src_ZOK.txt", "held output");
    const std::u16string nativeOutput = u"\\??\\" + Utf16(output.string());
    ASSERT_TRUE(OpenSourceForCipher(nativeOutput.c_str(), &held));
    trial.run.AnswerQuestionsWith(kAnswerYes);
    EXPECT_EQ(trial.Press(IDC_ENCRYPT, source, false), MessageId::kWriteFailed);
    CloseFile(held);
    EXPECT_EQ(RunHarness::Read(output), "held output");
    ++tried;

    // Held by another process, which keeps its lock until the pipe closes.
    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t child = fork();
    if (child == 0) {
        close(ready[0]);
        close(release[1]);
        const int fd = open(file.c_str(), O_RDWR);
        char byte = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 ? 'y' : 'n';
        if (write(ready[1], &byte, 1) != 1)
            _exit(1);
        while (read(release[0], &byte, 1) > 0) {
        }
        _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    ASSERT_GT(child, 0);
    char locked = 0;
    const bool reported = read(ready[0], &locked, 1) == 1;
    close(ready[0]);
    if (reported && locked == 'y') {
        for (uint32_t command : {IDC_ENCRYPT, IDC_DECRYPT, IDC_SHRED}) {
            EXPECT_EQ(trial.Press(command, file, false), MessageId::kOpenFailed);
            ++tried;
        }
    }
    close(release[1]);  // the child's read ends, and with it the child and its lock
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(reported && locked == 'y') << "the child could not lock the file";
    EXPECT_EQ(RunHarness::Read(file), "held");
    EXPECT_EQ(trial.Press(IDC_ENCRYPT, file, true), MessageId::kDone) << "free again";
    ExpectNothingHeld();
    CountBadInputs(tried);
}

// Passwords of 1, 128, 129 and 130 units; the field cuts the last to 129.
TEST(BadInput, PasswordsAtTheFieldLimit) {
    const std::u16string cjk129(129, u'\u5BC6');  // the key digest reads the trailing byte
    const std::u16string emoji130 = std::u16string(128, u'e') + u"\U0001F511";  // cut mid-pair
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"1", u"1"},
        {std::u16string(128, u'a'), std::u16string(128, u'a')},
        {std::u16string(129, u'b'), std::u16string(129, u'b')},
        {std::u16string(130, u'c'), std::u16string(129, u'c')},
        {cjk129, cjk129},
        {emoji130, emoji130.substr(0, 129)},
    };
    uint32_t tried = 0;
    for (const auto& [typed, effective] : cases) {
        SCOPED_TRACE(testing::Message() << typed.size() << " units");
        RunWithBystander trial;
        const fs::path file = trial.run.Write("p.txt", "password limits");
        trial.run.SetPassword(typed);
        EXPECT_EQ(trial.Press(IDC_ENCRYPT, file, true), MessageId::kDone);
        const std::string sealed = RunHarness::Read(file);
        // One unit less does not open it.
        trial.run.SetPassword(effective.substr(0, effective.size() - 1));
        if (effective.size() > 1) {
            EXPECT_EQ(trial.Press(IDC_DECRYPT, file, true), MessageId::kWrongPassword);
            EXPECT_EQ(RunHarness::Read(file), sealed);
        }
        // The typed text and what the field kept both do.
        trial.run.SetPassword(effective);
        EXPECT_EQ(trial.Press(IDC_DECRYPT, file, false), MessageId::kDone);
        EXPECT_EQ(RunHarness::Read(trial.run.Dir() / "p_ZOK.txt"), "password limits");
        trial.run.SetPassword(typed);
        EXPECT_EQ(trial.Press(IDC_DECRYPT, file, true), MessageId::kDone);
        EXPECT_EQ(RunHarness::Read(file), "password limits");
        tried += 4;
    }
    // Entries that differ only after unit 129 agree as far as the run can tell.
    RunWithBystander trial;
    const fs::path file = trial.run.Write("q.txt", "cut");
    trial.run.SetPasswords(std::u16string(129, u'd') + u"1", std::u16string(129, u'd') + u"2");
    EXPECT_EQ(trial.Press(IDC_ENCRYPT, file, true), MessageId::kDone);
    CountBadInputs(tried + 1);
}

}  // namespace
