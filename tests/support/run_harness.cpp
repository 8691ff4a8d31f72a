#include "tests/support/run_harness.h"

#include <gtest/gtest.h>

#include <random>

#include "fileops/app_state.h"
#include "fileops/prepare.h"
#include "fileops/shred.h"
#include "fileops/utf.h"
#include "ui/control_access.h"
#include "ui/control_ids.h"
#include "ui/headless_dialog.h"

namespace fs = std::filesystem;

std::u16string Utf16(const std::string& utf8) {
    std::u16string out;
    EXPECT_TRUE(Utf8ToUtf16(utf8, &out)) << "not UTF-8: " << utf8;
    return out;
}

void PrintTo(MessageId message, std::ostream* out) {
    *out << "MessageId " << static_cast<int>(message);
}

std::string RandomBytes(size_t size, uint32_t seed) {
    std::mt19937 rng(seed);
    std::string bytes(size, '\0');
    for (char& b : bytes) b = static_cast<char>(rng());
    return bytes;
}

RunHarness::RunHarness() : answer_(kAnswerNo) {
    HeadlessReset();
    HeadlessSetHooks({&RunHarness::OnBox, nullptr, &RunHarness::OnProgress, this});
}

RunHarness::~RunHarness() {
    HeadlessReset();
}

fs::path RunHarness::Write(const std::string& name, const std::string& bytes) {
    fs::path file = folder_ / name;
    WriteBytes(file, bytes);
    return file;
}

void RunHarness::SetPath(const fs::path& file) {
    SetPathText(Utf16(file.string()));
}

void RunHarness::SetPathText(const std::u16string& text) {
    SetControlText(IDC_PATH, text.c_str());
}

void RunHarness::SetPasswords(const std::u16string& password, const std::u16string& confirm) {
    SetControlText(IDC_PASSWORD, password.c_str());
    SetControlText(IDC_CONFIRM, confirm.c_str());
}

void RunHarness::SetInPlace(bool inPlace) {
    SetControlChecked(IDC_OVERWRITE_SOURCE, inPlace);
}

void RunHarness::Press(uint32_t command) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        boxes_.clear();
    }
    ASSERT_TRUE(HeadlessIsEnabled(IDC_ENCRYPT));
    if (command == IDC_SHRED) {
        StartShredRun(RunThread::kWorker);
    } else {
        PrepareCipherRun(command, RunThread::kWorker);
    }
    ASSERT_TRUE(HeadlessWaitUntilEnabled(IDC_SHRED, 60000)) << "the run did not end";
    EXPECT_TRUE(HeadlessIsEnabled(IDC_ENCRYPT));
    EXPECT_TRUE(HeadlessIsEnabled(IDC_DECRYPT));
}

std::vector<RecordedBox> RunHarness::Boxes() {
    std::lock_guard<std::mutex> lock(mutex_);
    return boxes_;
}

RecordedBox RunHarness::OnlyBox() {
    std::vector<RecordedBox> boxes = Boxes();
    EXPECT_EQ(boxes.size(), 1u);
    return boxes.empty() ? RecordedBox{} : boxes.back();
}

std::vector<std::u16string> RunHarness::LogLines() {
    std::u16string log = HeadlessText(IDC_STATUS_LOG);
    std::vector<std::u16string> lines;
    size_t start = 0;
    for (size_t end; (end = log.find(u"\r\n", start)) != std::u16string::npos; start = end + 2) {
        lines.push_back(log.substr(start, end - start));
    }
    EXPECT_EQ(start, log.size()) << "the log must end with CR LF";
    return lines;
}

std::vector<std::u16string> RunHarness::LinesOf(std::initializer_list<MessageId> notes) {
    std::vector<std::u16string> lines;
    for (MessageId note : notes) lines.push_back(TextOf(note));
    return lines;
}

void RunHarness::OnProgress(uint32_t position, uint32_t high, void* self) {
    static_cast<RunHarness*>(self)->position_ = position;
    static_cast<RunHarness*>(self)->high_ = high;
}

std::u16string HeadlessText(int controlId) {
    std::u16string text(ControlTextLength(controlId) + 1, u'\0');
    text.resize(GetControlText(controlId, text.data(), static_cast<uint32_t>(text.size())));
    return text;
}

bool HeadlessIsEnabled(int controlId) {
    return HeadlessWaitUntilEnabled(controlId, 0);
}

int RunHarness::OnBox(MessageId message, uint32_t style, void* self) {
    auto* harness = static_cast<RunHarness*>(self);
    std::lock_guard<std::mutex> lock(harness->mutex_);
    harness->boxes_.push_back(
        {message, style, HeadlessIsEnabled(IDC_SHRED), g_app.reporterThread != 0});
    return style == kBoxYesNo ? harness->answer_ : kAnswerOk;
}
