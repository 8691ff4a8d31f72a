// Decryption of arbitrary container bytes, twice: once through the core calls the worker makes
// (header, check, size test, backward pass) on a heap buffer laid out like a run buffer, where
// the address sanitizer sees any access outside it; and once as a real Decrypt run in place over
// the in-memory dialog, on a file in /dev/shm. The run must give the message the core path
// predicts and leave exactly the predicted bytes.
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "core/container.h"
#include "core/digests.h"
#include "core/recovery.h"
#include "fileops/prepare.h"
#include "fileops/shred.h"
#include "fuzz/require.h"
#include "ui/control_access.h"
#include "ui/control_ids.h"
#include "ui/headless_dialog.h"
#include "ui/messages.h"

const char kFuzzTarget[] = "decrypt_run";

namespace {

constexpr char16_t kPassword[] = u"pw";
constexpr size_t kPage = 4096;

struct Seen {
    std::mutex mutex;
    std::vector<MessageId> boxes;
};
Seen g_seen;
std::string g_file;

int OnBox(MessageId message, uint32_t style, void*) {
    std::lock_guard<std::mutex> lock(g_seen.mutex);
    g_seen.boxes.push_back(message);
    return style == kBoxYesNo ? kAnswerNo : kAnswerOk;
}

struct Prediction {
    MessageId message;
    std::string result;  // the file after the run
};

// The worker's decision and transform, on a buffer of exactly the run buffer's size.
Prediction Predict(const uint8_t* data, size_t size) {
    if (size == 0)
        return {MessageId::kDamaged, {}};
    uint8_t area[520] = {};
    std::memcpy(area, kPassword, sizeof kPassword - 2);
    std::memcpy(area + 260, kPassword, sizeof kPassword - 2);
    const uint32_t check = PasswordCheckDigest(area);
    const uint32_t key = PasswordKeyDigest(area);

    const size_t allocation = (size + kPage - 1) / kPage * kPage;
    uint8_t* buffer = new uint8_t[allocation]();
    std::memcpy(buffer, data, size);
    Prediction prediction{MessageId::kDone, {}};
    const ContainerHeader header = ReadHeader(buffer);
    if (header.checkDigest != check) {
        // What an interrupted save left is named as such; anything else is a wrong password.
        const FileState state = AnalyseFile(buffer, static_cast<uint32_t>(size), check, key).state;
        const bool wreck = IsConfirmedWreck(state);
        prediction = {wreck ? MessageId::kInterruptedSave : MessageId::kWrongPassword,
                      std::string(reinterpret_cast<const char*>(data), size)};
    } else if (header.originalSize >= (uint32_t{1} << 31) ||
               kContainerHeaderSize + BodySizeFor(header.originalSize) > size) {
        prediction = {MessageId::kDamaged, std::string(reinterpret_cast<const char*>(data), size)};
    } else {
        std::atomic<uint32_t> counter{static_cast<uint32_t>(BodySizeFor(size))};
        DecryptWords(buffer + kContainerHeaderSize, header.originalSize, key, header.salt, counter);
        prediction.result.assign(reinterpret_cast<const char*>(buffer + kContainerHeaderSize),
                                 header.originalSize);
    }
    delete[] buffer;
    return prediction;
}

std::u16string Utf16(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

std::string ReadFile() {
    std::string bytes;
    const int fd = open(g_file.c_str(), O_RDONLY);
    Require(fd >= 0, "the file is gone");
    char chunk[65536];
    for (ssize_t n; (n = read(fd, chunk, sizeof chunk)) > 0;) bytes.append(chunk, n);
    close(fd);
    return bytes;
}

// The folder of its own that a run by hand makes.
std::string g_ownFolder;

void RemoveOwnFolder() {
    unlink(g_file.c_str());
    rmdir(g_ownFolder.c_str());
}

}  // namespace

// The file lives in ZOK_FUZZ_SCRATCH, a folder that scripts/fuzz.sh makes and removes however
// the run ends. Run by hand, the target makes a folder of its own and removes it when libFuzzer
// ends normally; a crash, a time-out or Ctrl-C ends through _Exit and leaves it.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* scratch = std::getenv("ZOK_FUZZ_SCRATCH");
    if (scratch != nullptr && *scratch != 0) {
        g_file = std::string(scratch) + "/c.bin";
    } else {
        char folder[] = "/dev/shm/zok-fuzz-XXXXXX";
        if (mkdtemp(folder) == nullptr) {
            std::strcpy(folder, "/tmp/zok-fuzz-XXXXXX");
            if (mkdtemp(folder) == nullptr)
                std::abort();
        }
        g_ownFolder = folder;
        g_file = g_ownFolder + "/c.bin";
        std::atexit(RemoveOwnFolder);
    }
    HeadlessReset();
    HeadlessSetHooks({OnBox, nullptr, nullptr, nullptr});
    SetControlText(IDC_PASSWORD, kPassword);
    SetControlText(IDC_CONFIRM, kPassword);
    SetControlChecked(IDC_OVERWRITE_SOURCE, true);
    SetControlText(IDC_PATH, Utf16(g_file).c_str());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Prediction prediction = Predict(data, size);

    const int fd = open(g_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    Require(fd >= 0 && write(fd, data, size) == static_cast<ssize_t>(size), "cannot write");
    close(fd);
    {
        std::lock_guard<std::mutex> lock(g_seen.mutex);
        g_seen.boxes.clear();
    }
    PrepareCipherRun(IDC_DECRYPT, RunThread::kCaller);
    Require(HeadlessWaitUntilEnabled(IDC_SHRED, 60000), "the run did not end");

    std::lock_guard<std::mutex> lock(g_seen.mutex);
    Require(g_seen.boxes.size() == 1, "not exactly one box");
    Require(g_seen.boxes[0] == prediction.message, "another message than predicted");
    Require(ReadFile() == prediction.result, "other bytes than predicted");
    return 0;
}
