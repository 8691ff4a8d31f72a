// The runs of single files: a FILE named alone, one file of a walk, and a file read into memory
// for standard output. Each run is one request pressed on the in-memory dialog; its outcome
// gives the exit status and the lines said after it.
#include <string>

#include "cli/arguments.h"
#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/folder_listing.h"
#include "cli/front_end_state.h"
#include "cli/full_path.h"
#include "cli/linux_streams.h"
#include "cli/passwd.h"
#include "cli/recovery.h"
#include "cli/verdicts.h"
#include "cli/walk.h"
#include "core/container.h"
#include "fileops/file_open.h"
#include "fileops/prepare.h"
#include "fileops/run_layout.h"
#include "fileops/system_reason.h"

namespace {

// What is said after a run, from its outcome; returns its exit status.
int ReportOutcome(const RunOutcome& outcome) {
    if (outcome.partlyWritten)
        PrintFileMessage(Say(CliText::kPartlyWritten, RecoverCommand(g_cli.fileName)));
    if (outcome.notFlushed)
        PrintFileMessage(Say(MessageId::kWrittenNotFlushed));
    if (!outcome.done) {
        if (outcome.declined)
            return kExitDeclined;
        return outcome.failure == MessageId::kDone ? kExitFailure : ExitStatusOf(outcome.failure);
    }
    // A separate output is named: a dot in a folder name can put it far from the source. A
    // result for standard output is done once it is there (RunFromMemory).
    if (WritesSeparateOutput())
        PrintStatusLine(Say(CliText::kOutputWritten, outcome.output), false);
    else if (!g_cli.options.toStandardOutput)
        PrintStatusLine(Say(MessageId::kDone), false);
    if (outcome.bytesAfterContainer > 0) {
        PrintFileMessage(Say(CliText::kDecryptBytesAfter, Number(outcome.bytesAfterContainer)));
    }
    return kExitSuccess;
}

// False, after the error naming -r was reported, for a FILE that is a folder.
bool IsNotFolder(const std::u16string& full) {
    EntryType type = EntryType::kFile;
    FolderIdentity identity;
    const bool folder = LookAtOperand(full, &type, &identity) &&
                        (type == EntryType::kFolder || type == EntryType::kOtherFileSystem);
    ClearSystemReason();
    if (folder)
        PrintFileMessage(Say(CliText::kFolderNeedsRecursive));
    return !folder;
}

// encrypt of a FILE that this password already opens, as -r skips it: a second layer is seldom
// meant, and the first decryption would give back a container. --force encrypts it anyway.
bool RefusesOwnContainer(const std::u16string& full) {
    const Options& options = g_cli.options;
    uint64_t size = 0;
    uint8_t header[kContainerHeaderSize] = {};
    // Entries that differ, or a file that cannot be read, are left to the run, which says so.
    const bool own = options.command == kEncrypt && !options.force && TakeDigests() &&
                     GlanceAtFile((kNativePrefix + full).c_str(), header, sizeof header, &size) &&
                     OpensWithThisPassword(header, size, g_cli.check);
    ClearSystemReason();
    if (!own)
        return false;
    PrintFileMessage(Say(CliText::kAlreadyOwnContainer));
    return true;
}

}  // namespace

void BeginRun(std::u16string_view displayName) {
    SetConsoleFile(displayName);
    g_cli.fileName = displayName;
    ClearSystemReason();
}

bool WritesSeparateOutput() {
    const Options& options = g_cli.options;
    return options.command != kShred && options.command != kPasswd && !options.inPlace &&
           !options.toStandardOutput;
}

bool TakeDigests() {
    return DigestsOfEntries(g_cli.password.c_str(), g_cli.confirmation.c_str(), &g_cli.check,
                            &g_cli.key);
}

int RunOnPath(const std::u16string& full) {
    const Options& options = g_cli.options;
    g_cli.path = full;
    if (options.command == kPasswd)
        return RekeyFile(full, {g_cli.check, g_cli.key, g_cli.newCheck, g_cli.newKey});
    // A result for standard output is made in place, in the memory file.
    const RunOutcome outcome =
        RunPress({.command = options.command,
                  .path = full.c_str(),
                  .inPlace = options.inPlace || options.toStandardOutput,
                  .output = g_cli.output.empty() ? nullptr : g_cli.output.c_str(),
                  .password = g_cli.password.c_str(),
                  .confirmation = g_cli.confirmation.c_str()});
    EraseBar();
    return ReportOutcome(outcome);
}

bool OpensWithThisPassword(const uint8_t* header, uint64_t size, uint32_t check) {
    const ContainerHeader read = ReadHeader(header);
    return size > kContainerHeaderSize && size <= kLargestFile && read.checkDigest == check &&
           StoredSizeFits(read.originalSize, static_cast<uint32_t>(size));
}

int RunOneFile(const std::u16string& name) {
    BeginRun(Printable(name));
    std::u16string full;
    if (!FullPathFor(name, &full) || !FitsPathField(full) || !IsNotFolder(full))
        return kExitCannotAccess;
    if (RefusesOwnContainer(full))
        return kExitFailure;
    return RunOnPath(full);
}

// The input, standard input for FILE "-" or the named FILE, read whole into memory, runs in
// place there (or into --output); without --output the result then goes to standard output,
// and only then is the run done.
int RunFromMemory(const std::u16string& name) {
    if constexpr (!HasDashAndDescriptors()) {
        return kExitUsage;  // never: "-" and "-o -" are usage errors there
    } else {
        BeginRun(Printable(name));
        const uint64_t limit = g_cli.options.command == kEncrypt ? kLargestPlainFile : kLargestFile;
        std::u16string path;
        if (g_cli.options.standardInput) {
            if (!LoadStandardInput(limit, &path)) {
                PrintProgramMessage(std::u16string(Say(CliText::kStandardInputUnreadable)) +
                                    ReasonSuffix());
                return kExitCannotAccess;
            }
        } else if (!IsTextName(name)) {
            return kExitCannotAccess;
        } else if (!LoadNamedFile(name, limit, &path)) {
            PrintFileMessage(FailureText(MessageId::kReadFailed));
            return kExitCannotAccess;
        }
        const int status = RunOnPath(path);
        if (status != kExitSuccess || !g_cli.options.toStandardOutput)
            return status;
        ClearSystemReason();
        if (!CopyMemoryFileToStdout()) {
            PrintProgramMessage(std::u16string(Say(CliText::kStandardOutputUnwritable)) +
                                ReasonSuffix());
            return kExitCannotAccess;
        }
        PrintStatusLine(Say(MessageId::kDone), false);
        return kExitSuccess;
    }
}
