#include "fileops/whole_file.h"

#include "fileops/file_data.h"
#include "fileops/run_buffers.h"
#include "fileops/run_layout.h"
#include "fileops/system_reason.h"

bool LoadWholeFile(const char16_t* nativePath, WholeFile* file, MessageId* failure) {
    ClearSystemReason();
    uint64_t size = 0;
    *failure = MessageId::kOpenFailed;
    if (!OpenForReading(nativePath, &file->handle) || !QueryFileSize(file->handle, &size))
        return false;
    *failure = MessageId::kTooLarge;
    if (size > kLargestFile)
        return false;
    file->length = static_cast<uint32_t>(size);
    if (size == 0)
        return true;
    uint32_t allocation = file->length;
    *failure = MessageId::kNoMemory;
    if (!AllocateBuffer(&allocation, &file->buffer))
        return false;
    *failure = MessageId::kReadFailed;
    return ReadWhole(file->handle, file->buffer, file->length);
}

void ReleaseWholeFile(WholeFile* file) {
    if (file->handle != 0)
        CloseFile(file->handle);
    if (file->buffer != nullptr)
        FreeBuffer(file->buffer);
    *file = WholeFile{};
}
