// The file is opened as a cipher run opens its source (read and write, held against other
// runs), read whole, checked against the old password and re-keyed in its buffer. It is closed
// before the save: Windows renames nothing over an open file.
#include "cli/passwd.h"

#include <algorithm>

#include "cli/console.h"
#include "cli/exit_status.h"
#include "core/container.h"
#include "core/recovery.h"
#include "fileops/file_data.h"
#include "fileops/file_open.h"
#include "fileops/output_name.h"
#include "fileops/run_buffers.h"
#include "fileops/run_layout.h"
#include "fileops/separate_save.h"
#include "fileops/system_reason.h"

namespace {

// A header the old password does not open: a wrong password or no container, unless the bytes
// are what an interrupted in-place save left, which decrypt names the same way.
int RefuseHeader(const uint8_t* file, uint32_t length, const RekeyDigests& digests) {
    const FileState state = AnalyseFile(file, length, digests.oldCheck, digests.oldKey).state;
    if (IsConfirmedWreck(state))
        PrintFileMessage(Filled(Say(CliText::kDecryptHint), ProgramName()));
    else
        PrintFileMessage(Say(CliText::kNotOpenedByPassword));
    return kExitWrongPassword;
}

// The container re-keyed in `buffer` and saved over the file at `native` with the file's facts;
// the file itself is closed by then.
int SaveRekeyed(const std::u16string& native, uint8_t* buffer, uint32_t length,
                const FileFacts& facts) {
    std::u16string unfinished(native.size() + kUnfinishedExtraUnits, u'\0');
    SaveKeeps keeps;
    keeps.facts = &facts;
    keeps.ownerAndMode = true;
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
    FileHandle file = 0;
    if (!OpenSourceForCipher(native.c_str(), &file)) {
        PrintFileMessage(FailureText(MessageId::kOpenFailed));
        return kExitCannotAccess;
    }
    FileFacts facts;
    uint64_t size = 0;
    MessageId failure = MessageId::kReadFailed;
    int status = kExitCannotAccess;
    uint8_t* buffer = nullptr;
    // Each step only once the one before passed; `failure` and `status` tell the first that did
    // not.
    bool read = QueryFileFacts(file, &facts) && QueryFileSize(file, &size);
    if (read && facts.names > 1) {
        CloseFile(file);
        PrintFileMessage(Say(CliText::kHasOtherNames));
        return kExitFailure;
    }
    if (read && size > kLargestFile) {
        failure = MessageId::kTooLarge;
        status = kExitTooLarge;
        read = false;
    }
    const auto length = static_cast<uint32_t>(size);
    // Zero-filled past the end: a file shorter than a header reads its missing bytes as zeros.
    uint32_t allocation = std::max(length, kContainerHeaderSize);
    if (read && !AllocateBuffer(&allocation, &buffer)) {
        failure = MessageId::kNoMemory;
        status = kExitTooLarge;
        read = false;
    }
    read = read && ReadWhole(file, buffer, length);
    CloseFile(file);
    if (!read) {
        PrintFileMessage(FailureText(failure));
        FreeBuffer(buffer);
        return status;
    }
    const ContainerHeader header = ReadHeader(buffer);
    if (header.checkDigest != digests.oldCheck || length < kContainerHeaderSize) {
        status = RefuseHeader(buffer, length, digests);
    } else if (!StoredSizeFits(header.originalSize, length)) {
        PrintFileMessage(FailureText(MessageId::kDamaged));
        status = kExitNotContainer;
    } else {
        RekeyContainer(buffer, digests.oldKey, digests.newKey, digests.newCheck);
        status = SaveRekeyed(native, buffer, length, facts);
    }
    FreeBuffer(buffer);
    return status;
}
