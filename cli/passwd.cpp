// The file is opened as a cipher run opens its source (read and write, held against other
// runs), read whole (fileops/whole_file.h), checked against the old password and re-keyed in
// its buffer, then saved under its own name as a separate output is.
#include "cli/passwd.h"

#include "cli/console.h"
#include "cli/exit_status.h"
#include "core/container.h"
#include "core/recovery.h"
#include "fileops/file_data.h"
#include "fileops/file_open.h"
#include "fileops/output_name.h"
#include "fileops/run_layout.h"
#include "fileops/separate_save.h"
#include "fileops/system_reason.h"
#include "fileops/whole_file.h"

namespace {

// A header the old password does not open: a wrong password or no container, unless the bytes
// are what an interrupted in-place save left, which decrypt names the same way.
int RefuseHeader(const uint8_t* file, uint32_t length, const RekeyDigests& digests) {
    const FileState state = AnalyseFile(file, length, digests.oldCheck, digests.oldKey).state;
    if (IsConfirmedWreck(state))
        PrintFileMessage(Say(CliText::kDecryptHint, ProgramName()));
    else
        PrintFileMessage(Say(CliText::kNotOpenedByPassword));
    return kExitWrongPassword;
}

// The container re-keyed in `buffer` and saved over the file at `native` with the file's facts;
// the file itself is closed by then.
int SaveRekeyed(const std::u16string& native, uint8_t* buffer, uint32_t length,
                const FileFacts& facts) {
    std::u16string unfinished(native.size() + kUnfinishedExtraUnits, u'\0');
    const SaveKeeps keeps{.facts = &facts, .ownerAndMode = true};
    bool datesKept = false;
    ClearSystemReason();
    if (!SaveSeparately(native.c_str(), 0, buffer, length, true, unfinished.data(), keeps,
                        &datesKept)) {
        PrintFileMessage(FailureText(MessageId::kWriteFailed));
        return kExitCannotAccess;
    }
    if (!datesKept)
        PrintStatusLine(Say(MessageId::kDatesNotKept), false);
    PrintStatusLine(Say(CliText::kRekeyed), false);
    return kExitSuccess;
}

}  // namespace

int RekeyFile(const std::u16string& full, const RekeyDigests& digests) {
    const std::u16string native = kNativePrefix + full;
    ClearSystemReason();
    WholeFile file;
    FileFacts facts;
    MessageId failure = MessageId::kOpenFailed;
    bool read = OpenWholeFile(native.c_str(), WholeFileUse::kDecrypt, &file, &failure);
    if (read && !QueryFileFacts(file.handle, &facts)) {
        failure = MessageId::kReadFailed;
        read = false;
    }
    if (read && facts.names > 1) {
        ReleaseWholeFile(&file);
        PrintFileMessage(Say(CliText::kHasOtherNames));
        return kExitFailure;
    }
    if (read && file.length > 0 && !ReadWhole(file.handle, file.buffer, file.length)) {
        failure = MessageId::kReadFailed;
        read = false;
    }
    // Closed before the save: Windows renames nothing over an open file.
    CloseFile(file.handle);
    file.handle = 0;
    int status = ExitStatusOf(failure);
    if (!read) {
        PrintFileMessage(FailureText(failure));
    } else if (file.length < kContainerHeaderSize ||
               ReadHeader(file.buffer).checkDigest != digests.oldCheck) {
        status = RefuseHeader(file.buffer, file.length, digests);
    } else if (!StoredSizeFits(ReadHeader(file.buffer).originalSize, file.length)) {
        PrintFileMessage(FailureText(MessageId::kDamaged));
        status = kExitNotContainer;
    } else {
        RekeyContainer(file.buffer, digests.oldKey, digests.newKey, digests.newCheck);
        status = SaveRekeyed(native, file.buffer, file.length, facts);
    }
    ReleaseWholeFile(&file);
    return status;
}
