// The seam between the feedback and run logic and the controls of the main window. Two
// backends: control_access_win32.cpp (window messages to the real dialog) and
// control_access_headless.cpp (an in-memory dialog for the command line and the tests).
// Every call is synchronous and safe from any thread.
#pragma once
#include <cstdint>

#include "ui/messages.h"

// Box styles and answers, as the Windows message box defines them.
constexpr uint32_t kBoxError = 0x10;
constexpr uint32_t kBoxInfo = 0x40;
constexpr uint32_t kBoxYesNo = 0x24;
constexpr int kAnswerOk = 1;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;

// Length in units of the control's text.
uint32_t ControlTextLength(int controlId);
// Copies at most capacity - 1 units and a terminator; returns the units copied.
uint32_t GetControlText(int controlId, char16_t* buffer, uint32_t capacity);
void SetControlText(int controlId, const char16_t* text);
bool IsControlChecked(int controlId);
void SetControlChecked(int controlId, bool checked);
void EnableControl(int controlId, bool enabled);
void SetProgressRange(uint32_t high);
void SetProgressPosition(uint32_t position);
// Shows a modal box with the message's text and kBoxCaption, owned by the main window, on the
// calling thread; returns the answer. A `detail` (a line the run composed, such as a command
// naming its file) follows the text on a line of its own.
int ShowBox(MessageId message, uint32_t style, const char16_t* detail = nullptr);
// AppendStatusLine has added the note's line to the status log. The window needs nothing more;
// the in-memory dialog tells its hook, so that nobody has to read notes back from the log.
void NoteAppended(MessageId note);
