// Runs started from the window's buttons, end to end: the files they leave, the boxes they
// show, the status log and the action buttons around a run.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/window/window_driver.h"

namespace {

constexpr int kPath = 1, kPassword = 3, kConfirm = 4, kOverwrite = 6, kLog = 7, kEncrypt = 9,
              kDecrypt = 10, kShred = 11, kBrowse = 2, kExit = 14;

const std::wstring kDone = L"操作完毕。";

// One program and a folder of the test's own.
class Runs : public testing::Test {
  protected:
    void SetUp() override {
        folder_ = TestFolder();
        ASSERT_TRUE(StartProgram(QuotedProgram(), &program_));
        dialog_ = program_.dialog;
    }

    void Prepare(const std::wstring& path, const std::wstring& password,
                 const std::wstring& confirmation, bool overwriteSource) {
        SetFieldText(dialog_, kPath, path);
        SetFieldText(dialog_, kPassword, password);
        SetFieldText(dialog_, kConfirm, confirmation);
        SetTicked(dialog_, kOverwrite, overwriteSource);
    }

    // Presses the button and returns the text of the box the run shows.
    std::wstring PressAndReadBox(int button, HWND* box) {
        Click(dialog_, button);
        *box = WaitForBox(dialog_, kTimeoutMs);
        if (*box == nullptr)
            return L"<no box>";
        wchar_t caption[128] = {};
        GetWindowTextW(*box, caption, 128);
        EXPECT_STREQ(caption, kBoxCaption);
        return BoxText(*box);
    }

    // A run that ends with a box: answers it and waits until the buttons are usable again.
    std::wstring Run(int button) {
        HWND box = nullptr;
        std::wstring text = PressAndReadBox(button, &box);
        if (box != nullptr) {
            EXPECT_TRUE(AnswerBox(box, IDOK));
            EXPECT_TRUE(WaitUntilEnabled(dialog_, kEncrypt, kTimeoutMs));
        }
        return text;
    }

    std::wstring Log() { return FieldText(dialog_, kLog); }

    std::wstring folder_;
    Program program_;
    HWND dialog_ = nullptr;
};

std::wstring Lines(std::initializer_list<const wchar_t*> lines) {
    std::wstring text;
    for (const wchar_t* line : lines) text += std::wstring(line) + L"\r\n";
    return text;
}

// The file's last access and last write dates; `set` gives it these first.
bool FileDates(const std::wstring& path, FILETIME* accessed, FILETIME* written, bool set) {
    const HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    const bool done =
        file != INVALID_HANDLE_VALUE && (set ? SetFileTime(file, nullptr, accessed, written)
                                             : GetFileTime(file, nullptr, accessed, written));
    CloseHandle(file);
    return done;
}

TEST_F(Runs, EncryptThenDecryptInPlaceRestoresTheFile) {
    const std::wstring file = folder_ + L"\\report.txt";
    const std::string original = "quarterly figures\r\n\x01\x02\xff tail";
    ASSERT_TRUE(WriteWholeFile(file, original));
    FILETIME accessed = {0x12345670, 0x01D5C0E0}, written = {0x89ABCDE0, 0x01D5C0D0};
    ASSERT_TRUE(FileDates(file, &accessed, &written, true));

    Prepare(file, L"s3cret密码", L"s3cret密码", true);
    EXPECT_EQ(Run(kEncrypt), kDone);
    EXPECT_EQ(Log(), Lines({L"正在读取输入密码……", L"正在读取文件……", L"正在加密……",
                            L"正在保存文件……", L"操作完毕。"}));
    FILETIME nowAccessed = {}, nowWritten = {};
    ASSERT_TRUE(FileDates(file, &nowAccessed, &nowWritten, false));
    EXPECT_EQ(CompareFileTime(&nowWritten, &written), 0) << "in place, the dates are kept too";
    EXPECT_EQ(CompareFileTime(&nowAccessed, &accessed), 0);
    std::string encrypted;
    ASSERT_TRUE(ReadWholeFile(file, &encrypted));
    EXPECT_EQ(encrypted.size(), 12 + (original.size() + 3) / 4 * 4);
    EXPECT_NE(encrypted.substr(12, original.size()), original);

    EXPECT_EQ(Run(kDecrypt), kDone);
    EXPECT_EQ(Log(), Lines({L"正在读取输入密码……", L"正在读取文件……", L"正在解密……",
                            L"正在保存文件……", L"操作完毕。"}));
    std::string restored;
    ASSERT_TRUE(ReadWholeFile(file, &restored));
    EXPECT_EQ(restored, original);
}

TEST_F(Runs, SeparateOutputGoesBesideTheSourceAndDecryptsBack) {
    const std::wstring file = folder_ + L"\\photo.raw";
    const std::string original(10000, 'p');
    ASSERT_TRUE(WriteWholeFile(file, original));
    FILETIME accessed = {0x12345670, 0x01D5C0E0}, written = {0x89ABCDE0, 0x01D5C0D0};
    ASSERT_TRUE(FileDates(file, &accessed, &written, true));

    Prepare(file, L"pw", L"pw", false);
    EXPECT_EQ(Run(kEncrypt), kDone);
    const std::wstring encrypted = folder_ + L"\\photo_ZOK.raw";
    EXPECT_EQ(Log(),
              Lines({L"正在读取输入密码……", L"正在读取文件……", L"正在加密……", L"正在保存文件……",
                     L"操作完毕。", (L"输出文件：" + encrypted).c_str()}));
    FILETIME outputAccessed = {}, outputWritten = {};
    ASSERT_TRUE(FileDates(encrypted, &outputAccessed, &outputWritten, false));
    EXPECT_EQ(CompareFileTime(&outputWritten, &written), 0) << "the source's dates are kept";
    EXPECT_EQ(CompareFileTime(&outputAccessed, &accessed), 0);
    std::string source;
    ASSERT_TRUE(ReadWholeFile(file, &source));
    EXPECT_EQ(source, original) << "the source stays as it was";
    ASSERT_TRUE(FileExists(encrypted));

    SetFieldText(dialog_, kPath, encrypted);
    EXPECT_EQ(Run(kDecrypt), kDone);
    std::string decrypted;
    ASSERT_TRUE(ReadWholeFile(folder_ + L"\\photo_ZOK_ZOK.raw", &decrypted));
    EXPECT_EQ(decrypted, original);
}

TEST_F(Runs, WrongPasswordIsReportedAndTheFileKept) {
    const std::wstring file = folder_ + L"\\notes.txt";
    ASSERT_TRUE(WriteWholeFile(file, "some notes"));
    Prepare(file, L"right", L"right", true);
    ASSERT_EQ(Run(kEncrypt), kDone);
    std::string encrypted;
    ASSERT_TRUE(ReadWholeFile(file, &encrypted));

    Prepare(file, L"wrong", L"wrong", true);
    EXPECT_EQ(Run(kDecrypt), L"密码错误！");
    EXPECT_EQ(Log(), Lines({L"正在读取输入密码……", L"正在读取文件……", L"正在解密……"}));
    std::string after;
    ASSERT_TRUE(ReadWholeFile(file, &after));
    EXPECT_EQ(after, encrypted);
}

// Decrypt refuses what an in-place save cut short left, as it refuses a wrong password; but the
// box and the log say what the file is, that it is unchanged, and the command that restores it,
// by the file's full path. A wrong password and a file never encrypted still get "密码错误！".
TEST_F(Runs, AWreckIsToldApartFromAWrongPassword) {
    const std::wstring file = folder_ + L"\\客户名单 v2.csv";
    std::string original;
    for (int i = 0; original.size() < 9000; ++i) original += "row " + std::to_string(i) + ",";
    ASSERT_TRUE(WriteWholeFile(file, original));
    Prepare(file, L"pw", L"pw", true);
    ASSERT_EQ(Run(kEncrypt), kDone);
    std::string container;
    ASSERT_TRUE(ReadWholeFile(file, &container));
    // A decryption in place stopped after its first block: plain bytes, then the container's.
    const std::string wreck = std::string(container).replace(0, 4096, original, 0, 4096);

    const std::wstring explanation =
        L"密码没有错：这个文件是一次被中断的保存留下的，它仍保持原样，没有被改动。"
        L"在“ZOK 命令行”中输入下面的命令，恢复出的文件另存在它旁边：通常每个字节都能恢复；"
        L"照片、视频等数据若在一段的写入中途被打断，有不超过 64 KB 的一段无法得知，命令会指明位置；"
        L"断电留下的个别文件无法恢复，命令会说明。";
    // What recover gives back of this wreck, as the log's last line says.
    const std::wstring restores =
        L"recover 能恢复它，但有一段（不超过 64 KB）或确切长度无法得知，恢复时会指明。";
    const std::wstring command = L"zok-cli.exe recover \"" + file + L"\"";
    const struct {
        const char* name;
        std::string bytes;
        const wchar_t* password;
        bool overwriteSource;
        bool wreck;
    } rows[] = {
        {"wreck, separate output", wreck, L"pw", false, true},
        {"wreck, in place", wreck, L"pw", true, true},
        {"wreck, wrong password", wreck, L"other", true, false},
        {"plain file", original, L"pw", false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(WriteWholeFile(file, row.bytes));
        Prepare(file, row.password, row.password, row.overwriteSource);
        const std::wstring start = Lines({L"正在读取输入密码……", L"正在读取文件……", L"正在解密……"});
        if (row.wreck) {
            EXPECT_EQ(Run(kDecrypt), explanation + L"\r\n" + command);
            EXPECT_EQ(Log(),
                      start + explanation + L"\r\n" + command + L"\r\n" + restores + L"\r\n");
        } else {
            EXPECT_EQ(Run(kDecrypt), L"密码错误！");
            EXPECT_EQ(Log(), start);
        }
        std::string after;
        ASSERT_TRUE(ReadWholeFile(file, &after));
        EXPECT_EQ(after, row.bytes);
        EXPECT_FALSE(FileExists(folder_ + L"\\客户名单 v2_ZOK.csv"));
    }
}

TEST_F(Runs, MismatchedOrEmptyPasswordsAreRefusedBeforeAnyRun) {
    const std::wstring file = folder_ + L"\\a.txt";
    ASSERT_TRUE(WriteWholeFile(file, "abc"));
    Prepare(file, L"one", L"two", true);
    EXPECT_EQ(Run(kEncrypt), L"两次输入密码不一致或为空！");
    Prepare(file, L"", L"", true);
    EXPECT_EQ(Run(kEncrypt), L"两次输入密码不一致或为空！");
    std::string after;
    ASSERT_TRUE(ReadWholeFile(file, &after));
    EXPECT_EQ(after, "abc");
}

TEST_F(Runs, OverwriteQuestionNoKeepsTheOutputAndYesReplacesIt) {
    const std::wstring file = folder_ + L"\\data.bin";
    const std::wstring output = folder_ + L"\\data_ZOK.bin";
    ASSERT_TRUE(WriteWholeFile(file, "payload"));
    ASSERT_TRUE(WriteWholeFile(output, "already here"));
    Prepare(file, L"pw", L"pw", false);

    HWND box = nullptr;
    EXPECT_EQ(PressAndReadBox(kEncrypt, &box), L"与输出文件同名的文件已经存在，是否覆盖？");
    ASSERT_NE(box, nullptr);
    // While the run waits for the answer, only the three action buttons are disabled.
    EXPECT_FALSE(IsEnabled(dialog_, kEncrypt));
    EXPECT_FALSE(IsEnabled(dialog_, kDecrypt));
    EXPECT_FALSE(IsEnabled(dialog_, kShred));
    EXPECT_TRUE(IsEnabled(dialog_, kBrowse));
    EXPECT_TRUE(IsEnabled(dialog_, kExit));
    ASSERT_TRUE(AnswerBox(box, IDNO));
    ASSERT_TRUE(WaitUntilEnabled(dialog_, kShred, kTimeoutMs));
    EXPECT_EQ(WaitForBox(dialog_, 0), nullptr) << "No ends the run without a message";
    std::string kept;
    ASSERT_TRUE(ReadWholeFile(output, &kept));
    EXPECT_EQ(kept, "already here");

    EXPECT_EQ(PressAndReadBox(kEncrypt, &box), L"与输出文件同名的文件已经存在，是否覆盖？");
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(AnswerBox(box, IDYES));
    HWND done = WaitForBox(dialog_, kTimeoutMs);
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(BoxText(done), kDone);
    ASSERT_TRUE(AnswerBox(done, IDOK));
    ASSERT_TRUE(WaitUntilEnabled(dialog_, kEncrypt, kTimeoutMs));
    std::string replaced;
    ASSERT_TRUE(ReadWholeFile(output, &replaced));
    EXPECT_EQ(replaced.size(), 12u + 8u) << "container of the 7-byte source";
}

TEST_F(Runs, ShredRemovesTheFileWithoutAPassword) {
    const std::wstring file = folder_ + L"\\secret.doc";
    ASSERT_TRUE(WriteWholeFile(file, "0123456789"));
    Prepare(file, L"", L"", false);
    EXPECT_EQ(Run(kShred), kDone);
    EXPECT_FALSE(FileExists(file));
    EXPECT_EQ(Log(), Lines({L"正在读取文件……", L"正在粉碎……", L"操作完毕。"}));

    // A second press names no file any more.
    EXPECT_EQ(Run(kShred), L"打开文件出错！");
}

TEST_F(Runs, ExitDuringAQuestionEndsTheProcessAtOnce) {
    const std::wstring file = folder_ + L"\\q.txt";
    ASSERT_TRUE(WriteWholeFile(file, "q"));
    ASSERT_TRUE(WriteWholeFile(folder_ + L"\\q_ZOK.txt", "existing"));
    Prepare(file, L"pw", L"pw", false);
    HWND box = nullptr;
    PressAndReadBox(kEncrypt, &box);
    ASSERT_NE(box, nullptr);
    // The box makes the window ignore input; the close command still ends the program.
    PostMessageW(dialog_, WM_CLOSE, 0, 0);
    DWORD code = 1;
    ASSERT_TRUE(WaitForExit(program_, kTimeoutMs, &code));
    EXPECT_EQ(code, 0u);
}

}  // namespace
