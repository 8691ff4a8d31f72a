// Weaknesses of the container format that are kept for compatibility and stated in the user
// documentation. Shown here so that the documentation stays true.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "core/container.h"
#include "fileops/prepare.h"
#include "fileops/shred.h"
#include "tests/reliability/reliability_support.h"
#include "tests/support/containers.h"
#include "tests/support/run_harness.h"
#include "ui/control_ids.h"
#include "ui/messages.h"

namespace {

// C[i] = P[i] + P[i+1] + K + (i+1)·T with T in the header: one known plain word next to a known
// one (the last word is followed by zero) gives the key, and the key gives every word.
TEST(Weakness, OneKnownWordGivesTheWholeFile) {
    const std::string plain = RandomBytes(1000, 3) + "tail";  // a file ending in a known word
    const std::string container = MakeContainer(plain, u"a long and careful passphrase", 0x1234);
    const uint32_t salt = WordAt(container, 0);
    const uint32_t size = WordAt(container, 4) ^ salt;  // the size is readable by anyone
    ASSERT_EQ(size, plain.size());
    const uint32_t words = static_cast<uint32_t>(BodySizeFor(size) / 4);
    const uint32_t lastCipher = WordAt(container, 12 + 4 * (words - 1));
    const uint32_t key = lastCipher - WordAt("tail", 0) - words * salt;

    std::vector<uint8_t> buffer(8192, 0);
    std::copy(container.begin() + 12, container.end(), buffer.begin());
    std::atomic<uint32_t> counter{0};
    DecryptWords(buffer.data(), size, key, salt, counter);
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + size), plain);
}

// An ASCII character followed by one whose low byte is zero (一 is U+4E00) ends the password
// digests' walk: whatever follows does not count.
TEST(Weakness, PasswordsThatAgreeInTheirFirstTwoCharactersCanBeInterchangeable) {
    RunHarness run;
    const auto file = run.Write("w.txt", "kept secret?");
    run.SetInPlace(true);
    run.SetPath(file);
    run.SetPassword(u"a一 correct horse battery staple");
    run.Press(IDC_ENCRYPT);
    run.SetPassword(u"a一");
    run.Press(IDC_DECRYPT);
    EXPECT_EQ(run.OnlyBox().message, MessageId::kDone);
    EXPECT_EQ(RunHarness::Read(file), "kept secret?");
}

}  // namespace
