#include "ui/feedback.h"

#include <algorithm>
#include <string>

#include "fileops/run_buffers.h"
#include "ui/control_access.h"
#include "ui/control_ids.h"

void AppendStatusLine(MessageId note, const char16_t* detail, DetailPlace place) {
    const char16_t* text = TextOf(note);
    uint32_t oldLength = ControlTextLength(IDC_STATUS_LOG);
    uint32_t textLength = static_cast<uint32_t>(std::char_traits<char16_t>::length(text));
    uint32_t detailLength =
        detail == nullptr ? 0 : static_cast<uint32_t>(std::char_traits<char16_t>::length(detail));
    // Old text, new text, CR, LF and the terminator, in a fresh zero-filled block; a detail
    // with its own CR LF.
    uint32_t size = 2 * (oldLength + textLength + 3 + (detail == nullptr ? 0 : detailLength + 2));
    uint8_t* scratch = nullptr;
    // From the run allocator, so that the fault sweep fails it in turn with the run buffer
    // (losing only this line).
    if (!AllocateBuffer(&size, &scratch))
        return;  // the note is lost, the run goes on
    char16_t* log = reinterpret_cast<char16_t*>(scratch);
    char16_t* end =
        std::copy_n(text, textLength, log + GetControlText(IDC_STATUS_LOG, log, oldLength + 1));
    if (detail != nullptr) {
        if (place == DetailPlace::kOwnLine)
            end = std::copy_n(u"\r\n", 2, end);
        end = std::copy_n(detail, detailLength, end);
    }
    std::copy_n(u"\r\n", 3, end);  // and the terminator
    SetControlText(IDC_STATUS_LOG, log);
    FreeBuffer(scratch);
    NoteAppended(note);
}

void ClearStatusLog() {
    SetControlText(IDC_STATUS_LOG, u"");
}

void ShowError(MessageId message, const char16_t* detail) {
    ShowBox(message, kBoxError, detail);
}

void ShowInfo(MessageId message) {
    ShowBox(message, kBoxInfo);
}

bool AnsweredYes(MessageId question) {
    // A box that could not be shown (0) or any answer but Yes is no consent.
    return ShowBox(question, kBoxYesNo) == kAnswerYes;
}

void SetActionButtonsEnabled(bool enabled) {
    EnableControl(IDC_ENCRYPT, enabled);
    EnableControl(IDC_DECRYPT, enabled);
    EnableControl(IDC_SHRED, enabled);
}
