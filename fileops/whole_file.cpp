#include "fileops/whole_file.h"

#include "fileops/file_data.h"
#include "fileops/run_buffers.h"
#include "fileops/run_layout.h"
#include "fileops/system_reason.h"

bool OpenWholeFile(const char16_t* nativePath, WholeFileUse use, WholeFile* file,
                   MessageId* failure) {
    uint64_t size = 0;
    *failure = MessageId::kOpenFailed;
    const bool opened = use == WholeFileUse::kLook ? OpenForReading(nativePath, &file->handle)
                                                   : OpenSourceForCipher(nativePath, &file->handle);
    if (!opened || !QueryFileSize(file->handle, &size))
        return false;
    *failure = MessageId::kTooLarge;
    if (size > (use == WholeFileUse::kEncrypt ? kLargestPlainFile : kLargestFile))
        return false;
    file->length = static_cast<uint32_t>(size);
    const uint32_t room = use == WholeFileUse::kEncrypt ? kPlainReadOffset : 0;
    file->allocation = file->length + room;
    if (file->allocation == 0)
        return true;
    *failure = MessageId::kNoMemory;
    if (!AllocateBuffer(&file->allocation, &file->base))
        return false;
    file->buffer = file->base + room;
    return true;
}

bool LoadWholeFile(const char16_t* nativePath, WholeFile* file, MessageId* failure) {
    ClearSystemReason();
    if (!OpenWholeFile(nativePath, WholeFileUse::kLook, file, failure))
        return false;
    *failure = MessageId::kReadFailed;
    return file->length == 0 || ReadWhole(file->handle, file->buffer, file->length);
}

void ReleaseWholeFile(WholeFile* file) {
    CloseFile(file->handle);
    FreeBuffer(file->base);
    *file = WholeFile{};
}
