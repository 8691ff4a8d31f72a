// Everything the program tells the user: status log lines, message boxes, the progress bar and
// its reporter, and the enabling of the three action buttons. Callable from the user-interface
// thread and from workers alike.
#pragma once
#include <cstdint>

#include "ui/messages.h"

// Where a status line's detail goes: on a line of its own, or right after the note's text.
enum class DetailPlace : uint8_t { kOwnLine, kSameLine };

// Appends the note's text and CR LF to the status log, and a `detail` where `place` says.
void AppendStatusLine(MessageId note, const char16_t* detail = nullptr,
                      DetailPlace place = DetailPlace::kOwnLine);
void ClearStatusLog();
// An error box; a `detail` follows the message's text on a line of its own.
void ShowError(MessageId message, const char16_t* detail = nullptr);
void ShowInfo(MessageId message);
// Asks a yes/no question; true only for an explicit Yes.
bool AnsweredYes(MessageId question);
// Encrypt, Decrypt and Shred, in that order.
void SetActionButtonsEnabled(bool enabled);

// Starts the reporter, which copies g_app.progressCounter to the bar about 50 times a second.
// False when its thread could not be started (the run goes on without it).
bool StartProgressReporter();
// Stops the reporter and waits for it, so no update of it follows the caller's own.
void StopProgressReporter();
