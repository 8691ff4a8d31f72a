#include "cli/console.h"

#include <mutex>
#include <string>

#include "cli/exit_status.h"
#include "cli/language.h"
#include "cli/terminal.h"
#include "fileops/system_reason.h"

#ifndef ZOK_PROGRAM_NAME
#error "ZOK_PROGRAM_NAME is the program's file name, which the build defines"
#endif

namespace {

constexpr std::u16string_view kProgram = ZOK_PROGRAM_NAME;
constexpr uint32_t kBarCells = 40;

// What is on the screen and how lines look. Guarded by `lock`.
struct Console {
    std::mutex lock;
    bool drawBar = false;
    bool nameLines = false;  // several FILEs: every status line names its FILE
    bool quiet = false;
    std::u16string displayName;  // the FILE as named on the command line
    bool barActive = false;      // a transform is running: progress goes to the bar
    bool barShown = false;
    uint32_t barPermille = 0;
};

Console g_console;

// Everything printed is in one language, chosen at the first word.
Language Speaking() {
    static const Language language = UserLanguage();
    return language;
}

// Caller holds the lock.
void EraseBarLocked() {
    if (!g_console.barShown)
        return;
    WriteStderr(BarEraser());
    g_console.barShown = false;
}

// Caller holds the lock.
void DrawBarLocked(uint32_t permille) {
    std::u16string bar = u"\r[";
    const uint32_t filled = permille * kBarCells / 1000;
    bar.append(filled, u'#');
    bar.append(kBarCells - filled, u'.');
    bar += u"] ";
    const std::u16string percent = Number(permille / 10);
    bar.append(3 - percent.size(), u' ').append(percent) += u'%';
    WriteStderr(bar);
    g_console.barShown = true;
    g_console.barPermille = permille;
}

// Caller holds the lock.
std::u16string FilePrefixLocked() {
    return std::u16string(kProgram) + u": " + g_console.displayName + u": ";
}

}  // namespace

std::u16string_view ProgramName() {
    return kProgram;
}

std::u16string_view Say(MessageId message) {
    return TextIn(Speaking(), message);
}

std::u16string_view Say(CliText text) {
    return TextIn(Speaking(), text);
}

std::u16string Say(CliText text, std::u16string_view value) {
    return Filled(Say(text), value);
}

void SetConsoleStyle(bool drawBar, bool nameLines, bool quiet) {
    std::lock_guard<std::mutex> hold(g_console.lock);
    g_console.drawBar = drawBar;
    g_console.nameLines = nameLines;
    g_console.quiet = quiet;
}

void SetConsoleFile(std::u16string_view displayName) {
    std::lock_guard<std::mutex> hold(g_console.lock);
    g_console.displayName = displayName;
    g_console.barActive = false;
}

void PrintLine(std::u16string_view line) {
    std::lock_guard<std::mutex> hold(g_console.lock);
    EraseBarLocked();
    WriteStderr(std::u16string(line) + u'\n');
}

void PrintFileMessage(std::u16string_view message) {
    std::lock_guard<std::mutex> hold(g_console.lock);
    EraseBarLocked();
    WriteStderr(FilePrefixLocked() + std::u16string(message) + u'\n');
}

void PrintMessageAbout(std::u16string_view name, std::u16string_view message) {
    PrintProgramMessage(std::u16string(name) + u": " + std::u16string(message));
}

void PrintProgramMessage(std::u16string_view message) {
    PrintLine(std::u16string(kProgram) + u": " + std::u16string(message));
}

void PrintStatusLine(std::u16string_view line, bool transformStarts) {
    std::lock_guard<std::mutex> hold(g_console.lock);
    g_console.barActive = transformStarts;
    if (g_console.quiet)
        return;
    EraseBarLocked();
    const std::u16string prefix = g_console.nameLines ? FilePrefixLocked() : std::u16string();
    WriteStderr(prefix + std::u16string(line) + u'\n');
}

void ShowProgress(uint32_t position, uint32_t high) {
    std::lock_guard<std::mutex> hold(g_console.lock);
    if (!g_console.drawBar || !g_console.barActive)
        return;
    uint64_t permille = high == 0 ? 0 : uint64_t{position} * 1000 / high;
    if (permille > 1000)
        permille = 1000;
    if (g_console.barShown && permille == g_console.barPermille)
        return;
    DrawBarLocked(static_cast<uint32_t>(permille));
}

std::u16string BarEraser() {
    std::u16string blank = u"\r";
    blank.append(kBarCells + 8, u' ');  // the bar and its percentage
    return blank + u'\r';
}

void EraseBar() {
    std::lock_guard<std::mutex> hold(g_console.lock);
    EraseBarLocked();
}

std::u16string ReasonSuffix() {
    const SystemReason reason = LastSystemReason();
    if (reason == SystemReason::kNone)
        return {};
    return Say(CliText::kReasonFrame, Say(ReasonTextOf(reason)));
}

std::u16string FailureText(MessageId failure) {
    const bool refused = failure == MessageId::kOpenFailed || failure == MessageId::kReadFailed ||
                         failure == MessageId::kWriteFailed || failure == MessageId::kDeleteFailed;
    return std::u16string(Say(failure)) + (refused ? ReasonSuffix() : std::u16string());
}

int UsageError(CliText problem, std::u16string_view named) {
    std::u16string text = std::u16string(kProgram) + u": " + Say(problem, named) + u"\n";
    text += Say(CliText::kTryHelp, kProgram) + u"\n";
    WriteStderr(text);
    return kExitUsage;
}
