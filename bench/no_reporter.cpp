// Stands in for ui/progress_reporter.cpp in zok_run_speed_no_reporter: the runs go on without
// a reporter, as they do when its thread cannot be started. Linked as an object before the run
// library, whose reporter is then never taken from the archive.
#include "ui/feedback.h"

bool StartProgressReporter() {
    return false;
}

void StopProgressReporter() {}
