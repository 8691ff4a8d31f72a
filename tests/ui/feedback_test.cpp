// Feedback over the in-memory dialog: log lines, boxes, buttons and the progress reporter.
#include "ui/feedback.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "fileops/app_state.h"
#include "tests/support/run_harness.h"
#include "tests/support/vectors.h"
#include "ui/control_access.h"
#include "ui/control_ids.h"
#include "ui/headless_dialog.h"
#include "ui/messages.h"

namespace {

struct Seen {
    std::mutex mutex;
    std::vector<MessageId> boxMessages;
    std::vector<MessageId> notes;
    std::vector<uint32_t> styles;
    std::vector<uint32_t> positions;
    int answer = kAnswerYes;
};

int RecordBox(MessageId message, uint32_t style, void* context) {
    auto* seen = static_cast<Seen*>(context);
    std::lock_guard<std::mutex> lock(seen->mutex);
    seen->boxMessages.push_back(message);
    seen->styles.push_back(style);
    return style == kBoxYesNo ? seen->answer : kAnswerOk;
}

void RecordNote(MessageId note, void* context) {
    auto* seen = static_cast<Seen*>(context);
    std::lock_guard<std::mutex> lock(seen->mutex);
    seen->notes.push_back(note);
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
        HeadlessSetHooks({RecordBox, RecordNote, RecordProgress, &seen});
    }
    void TearDown() override { HeadlessReset(); }
    Seen seen;
};

TEST_F(FeedbackTest, LogLinesEndInCrLf) {
    AppendStatusLine(MessageId::kReadingFile);
    AppendStatusLine(MessageId::kSaving);
    EXPECT_EQ(HeadlessText(IDC_STATUS_LOG),
              std::u16string(u"正在读取文件……\r\n正在保存文件……\r\n"));
    EXPECT_EQ(seen.notes, (std::vector<MessageId>{MessageId::kReadingFile, MessageId::kSaving}));
    ClearStatusLog();
    EXPECT_EQ(HeadlessText(IDC_STATUS_LOG), u"");
    AppendStatusLine(MessageId::kDone);
    EXPECT_EQ(HeadlessText(IDC_STATUS_LOG), u"操作完毕。\r\n");
}

TEST_F(FeedbackTest, LogGrowsPast64KiB) {
    std::u16string earlier;
    for (int i = 0; i < 80; ++i) earlier += std::u16string(1000, u'字') + u"\r\n";
    SetControlText(IDC_STATUS_LOG, earlier.c_str());
    AppendStatusLine(MessageId::kShredding);
    EXPECT_EQ(HeadlessText(IDC_STATUS_LOG), earlier + TextOf(MessageId::kShredding) + u"\r\n");
}

TEST_F(FeedbackTest, BoxesCarryMessageStyleAndAnswer) {
    ShowError(MessageId::kOpenFailed);
    ShowInfo(MessageId::kDone);
    // Only an explicit Yes is consent: not No, not a box that could not be shown (0), not an
    // answer a Yes/No box should never give.
    for (int answer : {kAnswerYes, kAnswerNo, 0, kAnswerOk, 2}) {
        seen.answer = answer;
        EXPECT_EQ(AnsweredYes(MessageId::kOverwriteQuestion), answer == kAnswerYes) << answer;
    }
    EXPECT_EQ(seen.styles, (std::vector<uint32_t>{0x10, 0x40, 0x24, 0x24, 0x24, 0x24, 0x24}));
    EXPECT_EQ(seen.boxMessages[0], MessageId::kOpenFailed);
    EXPECT_EQ(seen.boxMessages[1], MessageId::kDone);
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
    SetProgressRange(1000);
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
    SetProgressPosition(1000);
    // The reporter was joined: nothing of it can follow the final position.
    std::lock_guard<std::mutex> lock(seen.mutex);
    EXPECT_EQ(seen.positions.back(), 1000u);
}

// A text copied to the wrong row would show one message for another. English texts are plain
// ASCII, so an English terminal shows no CJK. The window's fixed texts are the design's, kept
// as data apart from the program's table.
TEST(Messages, EveryIdentifierHasATextOfItsOwnInEveryLanguage) {
    const MessageId fixed[] = {MessageId::kNoMemory,          MessageId::kReadFailed,
                               MessageId::kDamaged,           MessageId::kDeleteFailed,
                               MessageId::kOutputPathTooLong, MessageId::kThreadFailed};
    const std::vector<Vector> design = ReadVectors("window_messages.txt", 1);
    ASSERT_EQ(design.size(), std::size(fixed));
    for (size_t i = 0; i < design.size(); ++i) EXPECT_EQ(TextOf(fixed[i]), Utf16(design[i][0]));
    for (size_t language = 0; language < kLanguageCount; ++language) {
        std::set<std::u16string> texts;
        for (size_t i = 0; i < kMessageCount; ++i) {
            const std::u16string text =
                TextIn(static_cast<Language>(language), static_cast<MessageId>(i));
            EXPECT_FALSE(text.empty()) << language << ":" << i;
            EXPECT_TRUE(texts.insert(text).second)
                << language << ":" << i << " repeats another text";
            if (static_cast<Language>(language) == Language::kEnglish) {
                for (char16_t unit : text) EXPECT_LT(unit, 0x80) << i;
            }
        }
    }
}

}  // namespace
