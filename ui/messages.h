// Everything the program tells the user in words: the box messages and the status-log notes,
// each named by an identifier. Code that must recognise a message compares identifiers; only
// what shows a message turns it into text.
#pragma once
#include <cstddef>
#include <cstdint>

enum class MessageId : uint8_t {
    // Error boxes.
    kPasswordMismatch,
    kOpenFailed,
    kNoMemory,
    kReadFailed,
    kWriteFailed,
    kWrongPassword,
    kDamaged,
    kTooLarge,
    kDeleteFailed,
    kOutputPathTooLong,
    kThreadFailed,
    // Decryption refused a wreck of an interrupted save of this password (one that recover
    // restores, or one it names and refuses); the box and the log add the recover command.
    kInterruptedSave,
    // Question box.
    kOverwriteQuestion,
    kOverwriteEmptyQuestion,  // the same, when the existing file is empty
    // Completion: a log line, then an information box.
    kDone,
    // Status-log notes, one per phase.
    kReadingPasswords,
    kReadingFile,
    kEncrypting,
    kDecrypting,
    kSaving,
    kShredding,
    // The one extra line of a failed save in place that wrote part of the file: what it holds
    // now is restored by the command line's recover (only after "写入文件出错！").
    kPartlyWritten,
    // The one extra line of a save in place whose last flush alone failed: the file holds the
    // whole result (only after "写入文件出错！").
    kWrittenNotFlushed,
    // The log line after a wreck's command: what recover gives back of it, as check says.
    kWreckRestoresAll,
    kWreckRestoresAllButNamed,
    kWreckNotRestored,
    // A saved result that could not be given its source's dates: a note, the run is done.
    kDatesNotKept,
    // After "操作完毕。" of a separate output, the output's full path on the same line.
    kOutputFile,
};
constexpr size_t kMessageCount = static_cast<size_t>(MessageId::kOutputFile) + 1;

// The languages the texts are written in. The window speaks Chinese only; the command line
// speaks the user's language. Another language is one more entry here and one more table.
enum class Language : uint8_t {
    kChinese,
    kEnglish,
};
constexpr size_t kLanguageCount = static_cast<size_t>(Language::kEnglish) + 1;

// The caption of every box: "ZOK（Torvel File Encryptor - 青禾文件加密机）".
extern const char16_t kBoxCaption[];

// The command that restores a wreck, as the window names it: the file's full path follows in
// double quotes.
inline constexpr char16_t kRecoverCommand[] = u"zok-cli.exe recover ";

// The text the window shows for the message: its Chinese text.
const char16_t* TextOf(MessageId message);
// The message's text in `language`.
const char16_t* TextIn(Language language, MessageId message);
