// An in-memory main window for the command line and the tests: control texts, check states,
// enabled flags and the progress bar, with hooks that see each note and progress change and
// answer each box.
// Safe from any thread.
#pragma once
#include <cstdint>

#include "ui/messages.h"

struct HeadlessHooks {
    // Called for each box; returns the answer (kAnswerOk, kAnswerYes or kAnswerNo).
    int (*onBox)(MessageId message, uint32_t style, void* context);
    // Called after a note was added to the status log.
    void (*onNote)(MessageId note, void* context);
    // Called after the progress range or position changed.
    void (*onProgress)(uint32_t position, uint32_t high, void* context);
    void* context;
};

// Empty texts, nothing ticked, every control enabled, progress 0 of 100, no hooks.
void HeadlessReset();
// Unset hooks answer every box with OK, and No to questions.
void HeadlessSetHooks(const HeadlessHooks& hooks);
// Waits until the control is enabled; false on time-out (at once with 0 when it is not).
bool HeadlessWaitUntilEnabled(int controlId, uint32_t timeoutMs);
