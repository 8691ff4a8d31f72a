// Drives the runs through the in-memory dialog, as a user drives the window: fill the fields,
// press a button, answer the boxes, wait until the buttons come back.
#pragma once
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/test_files.h"
#include "ui/messages.h"

struct RecordedBox {
    MessageId message;
    uint32_t style;
    bool buttonsEnabledWhileShown;
    bool reporterRunningWhileShown;
};

class RunHarness {
  public:
    RunHarness();   // fresh dialog and a fresh temporary folder
    ~RunHarness();  // the folder goes with the harness

    std::filesystem::path Dir() const { return folder_.Root(); }
    std::filesystem::path Write(const std::string& name, const std::string& bytes);
    static std::string Read(const std::filesystem::path& file) { return ReadBytes(file); }

    void SetPath(const std::filesystem::path& file);
    void SetPathText(const std::u16string& text);
    void SetPasswords(const std::u16string& password, const std::u16string& confirm);
    void SetPassword(const std::u16string& password) { SetPasswords(password, password); }
    void SetInPlace(bool inPlace);
    // Answer to the overwrite question: kAnswerYes, kAnswerNo, or 0 for a box that failed.
    void AnswerQuestionsWith(int answer) { answer_ = answer; }

    // Presses Encrypt (9), Decrypt (10) or Shred (11) and waits until the run has ended.
    void Press(uint32_t command);

    std::vector<RecordedBox> Boxes();
    // The single box of the last press (fails the test when there was not exactly one).
    RecordedBox OnlyBox();
    std::vector<std::u16string> LogLines();
    // The bar as the last progress report left it (0 of 100 until one comes).
    uint32_t ProgressPosition() const { return position_; }
    uint32_t ProgressHigh() const { return high_; }
    // The log lines the notes make, for comparison with LogLines().
    static std::vector<std::u16string> LinesOf(std::initializer_list<MessageId> notes);

  private:
    static int OnBox(MessageId message, uint32_t style, void* self);
    static void OnProgress(uint32_t position, uint32_t high, void* self);
    ScratchFolder folder_;
    std::mutex mutex_;
    std::vector<RecordedBox> boxes_;
    int answer_;
    std::atomic<uint32_t> position_{0}, high_{100};
};

// The in-memory dialog read back through the seam, as only the tests need it.
std::u16string HeadlessText(int controlId);
bool HeadlessIsEnabled(int controlId);

// Test paths and texts, given in UTF-8.
std::u16string Utf16(const std::string& utf8);
// Failure output names the message by its number.
void PrintTo(MessageId message, std::ostream* out);
std::string RandomBytes(size_t size, uint32_t seed);
