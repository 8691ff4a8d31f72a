// Feedback over the in-memory dialog: log lines, boxes, buttons and the progress reporter.
#include "ui/feedback.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fileops/app_state.h"
#include "ui/control_access.h"
#include "ui/control_ids.h"
#include "ui/headless_dialog.h"
#include "ui/messages.h"

namespace {

struct Seen {
    std::mutex mutex;
    std::vector<std::u16string> boxTexts;
    std::vector<std::u16string> captions;
    std::vector<uint32_t> styles;
    std::vector<uint32_t> positions;
    int answer = kAnswerYes;
};

int RecordBox(const char16_t* text, const char16_t* caption, uint32_t style, void* context) {
    auto* seen = static_cast<Seen*>(context);
    std::lock_guard<std::mutex> lock(seen->mutex);
    seen->boxTexts.push_back(text);
    seen->captions.push_back(caption);
    seen->styles.push_back(style);
    return style == kBoxYesNo ? seen->answer : kAnswerOk;
}

void RecordProgress(uint32_t position, uint32_t, void* context) {
    auto* seen = static_cast<Seen*>(context);
    std::lock_guard<std::mutex> lock(seen->mutex);
    seen->positions.push_back(position);
}

class FeedbackTest : public testing::Test {
  protected:
    void SetUp() override {
        HeadlessReset();
        HeadlessSetHooks({RecordBox, nullptr, RecordProgress, &seen});
    }
    void TearDown() override { HeadlessReset(); }
    Seen seen;
};

TEST_F(FeedbackTest, LogLinesEndInCrLf) {
    AppendStatusLine(kNoteReadingFile);
    AppendStatusLine(u"second");
    EXPECT_EQ(HeadlessText(IDC_STATUS_LOG), std::u16string(kNoteReadingFile) + u"\r\nsecond\r\n");
    ClearStatusLog();
    EXPECT_EQ(HeadlessText(IDC_STATUS_LOG), u"");
    AppendStatusLine(u"");
    EXPECT_EQ(HeadlessText(IDC_STATUS_LOG), u"\r\n");
}

TEST_F(FeedbackTest, LogGrowsPast64KiB) {
    std::u16string line(1000, u'字');
    for (int i = 0; i < 80; ++i) AppendStatusLine(line.c_str());
    std::u16string log = HeadlessText(IDC_STATUS_LOG);
    EXPECT_EQ(log.size(), 80u * 1002u);
    EXPECT_EQ(log.substr(log.size() - 1002), line + u"\r\n");
}

TEST_F(FeedbackTest, BoxesCarryCaptionStyleAndAnswer) {
    ShowError(kMsgOpenFailed);
    ShowInfo(kMsgDone);
    seen.answer = kAnswerNo;
    EXPECT_TRUE(AskYesNo(kMsgOverwriteQuestion));
    seen.answer = kAnswerYes;
    EXPECT_FALSE(AskYesNo(kMsgOverwriteQuestion));
    EXPECT_EQ(seen.styles, (std::vector<uint32_t>{0x10, 0x40, 0x24, 0x24}));
    EXPECT_EQ(seen.boxTexts[0], kMsgOpenFailed);
    for (const std::u16string& caption : seen.captions) {
        EXPECT_EQ(caption, u"ZOK（Torvel File Encryptor - 青禾文件加密机）");
    }
}

TEST_F(FeedbackTest, ActionButtonsOnlyAreSwitched) {
    SetActionButtonsEnabled(false);
    for (int id : {IDC_ENCRYPT, IDC_DECRYPT, IDC_SHRED}) EXPECT_FALSE(HeadlessIsEnabled(id));
    for (int id : {IDC_BROWSE, IDC_WEBSITE, IDC_EXIT, IDC_PASSWORD, IDC_OVERWRITE_SOURCE}) {
        EXPECT_TRUE(HeadlessIsEnabled(id));
    }
    SetActionButtonsEnabled(true);
    for (int id : {IDC_ENCRYPT, IDC_DECRYPT, IDC_SHRED}) EXPECT_TRUE(HeadlessIsEnabled(id));
}

TEST_F(FeedbackTest, ReporterFollowsTheCounterAndStopsBeforeTheFinalPosition) {
    SetProgressRangeTo(1000);
    g_app.progressCounter.store(0);
    ASSERT_TRUE(StartProgressReporter());
    g_app.progressCounter.store(420);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (bool shown = false; !shown;) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the bar never showed 420";
        std::this_thread::yield();
        std::lock_guard<std::mutex> lock(seen.mutex);
        shown = !seen.positions.empty() && seen.positions.back() == 420;
    }
    StopProgressReporter();
    EXPECT_EQ(g_app.reporterThread, 0u);
    g_app.progressCounter.store(7);  // a late reporter update would show this
    SetProgressPositionTo(1000);
    // The reporter was joined: nothing of it can follow the final position.
    EXPECT_EQ(HeadlessProgressPosition(), 1000u);
    std::lock_guard<std::mutex> lock(seen.mutex);
    EXPECT_EQ(seen.positions.back(), 1000u);
}

}  // namespace
