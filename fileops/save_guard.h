// A save writes a file over, sets its length, flushes it and gives it its name. Cut short, it
// can cost the user the file, so a request to end the program (a signal, Ctrl-C, Exit, the
// close box) that arrives during a save is held until the save has ended, and carried out then.
// Outside a save the requester ends the program at once.
#pragma once

using EndProgramRoutine = void (*)(int status);

// How a held request ends the program; EndProgram (status 0) until set. Set once, at start.
void SetHeldEndRoutine(EndProgramRoutine routine);

// Called by the worker around every save, failed ones included. EndSave carries out a request
// held meanwhile through the held-end routine, which does not return in the programs but while
// the command line walks a folder: that end comes once the file under way is done.
void BeginSave();
void EndSave();

// A walk counts each file once its save has ended. While saves are kept (true), EndSave leaves
// the save under way, so that a request that comes after it is held too, until the walk has
// counted the file and calls EndKeptSave, which ends it as EndSave would.
void KeepSaves(bool keep);
void EndKeptSave();

// Asks to end the program with `status`. False when no save is under way: the caller ends the
// program itself. True when the request is held for the save's end; of several requests the
// first one's status counts. Async-signal-safe.
bool HoldEndUntilSaved(int status);

// Whether a save is under way now.
bool SaveUnderWay();
