// check and recover in the real front end: the status of each wreck, and what is restored.
#include <gtest/gtest.h>

#include <string>

#include "cli/exit_status.h"
#include "tests/cli/cli_fixture.h"
#include "tests/support/containers.h"

namespace {

// Wrecks of in-place saves, made from a known container as a cut save leaves them, through
// check and recover: the status of each, FILE never changed, and the restored file exact but for
// the bytes the message names. Under Wine, one row.
TEST_F(CliTest, CheckAndRecoverTellWrecksApartAndRestoreThem) {
    std::string plain;
    for (unsigned i = 0; plain.size() < 40001; i = i * 7 + 3)
        plain += "word" + std::to_string(i % 97) + (i % 5 == 0 ? "\n" : " ");
    plain.resize(40001);
    // A chosen salt: with a run's own, the rows below hold for most salts but not all. A cut
    // encryption's pages outvote its plain ones for most (0.5 to 2 in a hundred leave the cut
    // unlocated), and the container's byte where a decryption had its length left to cut is
    // zero for one in 256, which makes the length a range.
    const std::string container = MakeContainer(plain, u"pw", 0x2545F491u);
    WriteBytes(At("container"), container);
    const size_t length = container.size();
    // Encryption: the plain file grown by zeros, the body over it from 12 up to `at`.
    // Decryption: the container, its first `at` bytes replaced by the plain file's.
    const auto encryptionCutAt = [&](size_t at) {
        std::string wreck = plain + std::string(length - plain.size(), '\0');
        return wreck.replace(12, at - 12, container, 12, at - 12);
    };
    const auto decryptionCutAt = [&](size_t at) {
        return std::string(container).replace(0, at, plain, 0, at);
    };
    // The plain size is no multiple of 4: without the header, its last word's three zero bytes
    // may be padding, so recover writes the longest length and names the range with status 8;
    // only a decryption that had the length left to cut shows it. A cut encryption's zeros may
    // be a grown reservation's or the original's own. Text (no NUL): doubtful bytes named by line.
    const struct {
        const char* name;
        std::string file;
        std::string password;
        int status;           // of check
        int recoverStatus;    // of recover
        size_t unknownAt;     // recover: 8 bytes unknown before it, or 0
        const char* lengths;  // recover: the lengths it names; it writes the longest
        bool onWine;
        const char* word;  // check's word on standard output
        const char* unknownLine = "";
        const char* tornLines = "";
        const char* recoverSays = "";  // in recover's messages
    } rows[] = {
        {"encryption, body whole", encryptionCutAt(length), "pw\n", kExitWreck, kExitWreck, 0,
         "40001-40004", false, "recoverable"},
        {"encryption cut at the first page", encryptionCutAt(4096), "pw\n", kExitWreck, kExitWreck,
         4096, "40001-40016", false, "recoverable", "114", "2-228"},
        {"encryption cut at a middle page", encryptionCutAt(5 * 4096), "pw\n", kExitWreck,
         kExitWreck, 5 * 4096, "40001-40016", true, "recoverable", "597", "482-707"},
        {"decryption cut at its first block", decryptionCutAt(4096), "pw\n", kExitWreck, kExitWreck,
         0, "40001-40004", false, "recoverable"},
        {"decryption before the length was cut", decryptionCutAt(plain.size()), "pw\n", kExitWreck,
         kExitSuccess, 0, nullptr, false, "recoverable"},
        {"sound container", container, "pw\n", kExitSuccess, kExitSuccess, 0, nullptr, false,
         "encrypted", "", "", "；无需恢复（请解密）"},
        {"a power cut's mixed pages",
         decryptionCutAt(4 * 4096).replace(4096, 4096, container, 4096, 4096), "pw\n",
         kExitNotContainer, kExitNotContainer, 0, nullptr, false, "unrecoverable", "", "",
         "新旧内容次序错乱"},
        {"wrong password", decryptionCutAt(4096), "other\n", kExitWrongPassword, kExitWrongPassword,
         0, nullptr, false, "wrong-password-or-not-encrypted"},
        {"random file", SampleBytes(40001, 5), "pw\n", kExitNotContainer, kExitNotContainer, 0,
         nullptr, false, "not-encrypted-or-damaged"},
        {"plain file, a container's length", plain.substr(0, 40000), "pw\n", kExitWrongPassword,
         kExitWrongPassword, 0, nullptr, false, "wrong-password-or-not-encrypted"},
    };
    for (const auto& row : rows) {
#ifdef _WIN32
        if (!row.onWine)
            continue;
#endif
        SCOPED_TRACE(row.name);
        fs::remove(At("wreck.recovered"));
        WriteBytes(At("wreck"), row.file);
        const ZokResult checked = Zok({"check", "--password-stdin", "wreck"}, row.password);
        EXPECT_EQ(checked.exitCode, row.status) << checked.err;
        EXPECT_EQ(Count(checked.err, "\n"), 1u) << checked.err;
        EXPECT_EQ(checked.out, std::string("wreck: ") + row.word + "\n");
        // -q hides nothing that is unknown.
        const ZokResult recovered =
            Zok({"recover", "-q", "--password-stdin", "wreck"}, row.password);
        EXPECT_EQ(ReadBytes(At("wreck")), row.file);
        EXPECT_EQ(recovered.exitCode, row.recoverStatus) << recovered.err;
        EXPECT_TRUE(Contains(recovered.err, row.recoverSays)) << recovered.err;
        if (row.status != kExitWreck) {
            EXPECT_FALSE(fs::exists(At("wreck.recovered")));
            continue;
        }
        std::string expected = plain;
        if (row.lengths != nullptr)
            expected.resize(std::stoul(std::string(row.lengths).substr(6)), '\0');
        if (row.unknownAt != 0) {
            expected.replace(row.unknownAt - 8, 8, 8, '\0');
            const std::string range =
                std::to_string(row.unknownAt - 8) + "-" + std::to_string(row.unknownAt - 1);
            EXPECT_TRUE(
                Contains(recovered.err, range + " 字节（从 0 数起），在第 " + row.unknownLine))
                << recovered.err;
            EXPECT_TRUE(
                Contains(recovered.err, std::string("有误，在第 ") + row.tornLines + " 行"));
        }
        if (row.lengths != nullptr) {
            EXPECT_TRUE(Contains(recovered.err, row.lengths)) << recovered.err;
        } else {
            EXPECT_EQ(recovered.err, "");
        }
        EXPECT_EQ(ReadBytes(At("wreck.recovered")), expected);
    }
#ifndef _WIN32
    // Decryption points the way; an existing OUT is replaced only with --yes; never FILE itself,
    // however it is named, and never standard output.
    WriteBytes(At("wreck"), decryptionCutAt(4096));
    ZokResult result = Zok({"decrypt", "--password-stdin", "wreck"});
    const std::u16string verdict =
        Filled(TextIn(Language::kChinese, CliText::kCheckInterruptedDecryption), u"4096") +
        TextIn(Language::kChinese, CliText::kCheckRestoresAll) +
        Filled(TextIn(Language::kChinese, CliText::kCheckLengthRange), u"40001-40004");
    EXPECT_EQ(result.exitCode, kExitWrongPassword);
    EXPECT_EQ(result.err, Lines({MessageId::kReadingPasswords, MessageId::kReadingFile,
                                 MessageId::kDecrypting}) +
                              kProgram + "wreck: " + Said(CliText::kDecryptHint, u"zok") +
                              Said(CliText::kReasonFrame, verdict) + "\n");
    EXPECT_FALSE(Contains(result.err, kWrongPassword)) << result.err;
    // The restored file keeps the extension last (the last dot of the file's own name), so that
    // it opens with its program; check names every FILE on standard output, also one it cannot
    // read.
    fs::create_directory(At("v1.2"));
    WriteBytes(At("客户名单.csv"), decryptionCutAt(plain.size()));
    WriteBytes(At("v1.2/wreck"), decryptionCutAt(plain.size()));
    EXPECT_EQ(Zok({"recover", "--password-stdin", "客户名单.csv"}).exitCode, kExitSuccess);
    EXPECT_EQ(ReadBytes(At("客户名单.recovered.csv")), plain);
    EXPECT_EQ(Zok({"recover", "--password-stdin", "v1.2/wreck"}).exitCode, kExitSuccess);
    EXPECT_EQ(ReadBytes(At("v1.2/wreck.recovered")), plain);
    result = Zok({"check", "--password-stdin", "客户名单.csv", "missing", "container"});
    EXPECT_EQ(result.exitCode, kExitWreck);
    EXPECT_EQ(result.out, "客户名单.csv: recoverable\nmissing: unreadable\ncontainer: encrypted\n");
    EXPECT_EQ(Count(result.err, "\n"), 3u) << result.err;
    WriteBytes(At("out"), "kept");
    EXPECT_EQ(Zok({"recover", "--password-stdin", "-o", "out", "wreck"}).exitCode, kExitDeclined);
    EXPECT_EQ(ReadBytes(At("out")), "kept");
    EXPECT_EQ(Zok({"recover", "--password-stdin", "-y", "-o", "out", "wreck"}).exitCode,
              kExitWreck);
    EXPECT_EQ(ReadBytes(At("out")), plain + std::string(3, '\0'));
    for (const char* over : {"wreck", "./wreck", ".//wreck"}) {
        result = Zok({"recover", "--password-stdin", "-y", "-o", over, "wreck"});
        EXPECT_EQ(result.exitCode, kExitUsage) << over;
        EXPECT_TRUE(Contains(result.err,
                             Utf16ToUtf8(TextIn(Language::kChinese, CliText::kRecoverOverSource))))
            << result.err;
    }
    result = Zok({"recover", "--password-stdin", "-o", "-", "wreck"});
    EXPECT_EQ(result.exitCode, kExitUsage);
    EXPECT_TRUE(Contains(
        result.err, Utf16ToUtf8(TextIn(Language::kChinese, CliText::kRecoverToStandardOutput))))
        << result.err;
    EXPECT_EQ(Zok({"recover", "--password-stdin", "wreck", "out"}).exitCode, kExitUsage);
    EXPECT_EQ(ReadBytes(At("wreck")), decryptionCutAt(4096));
    WriteBytes(At("binary"), encryptionCutAt(5 * 4096).replace(30000, 1, 1, '\0'));
    result = Zok({"recover", "--password-stdin", "binary"});
    EXPECT_TRUE(Contains(result.err, "20472-20479 字节（从 0 数起）；如果")) << result.err;
#endif
}

}  // namespace
