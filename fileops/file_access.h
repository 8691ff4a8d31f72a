// System access for the run logic: files, memory and threads, one seam header for each concern,
// each implemented by a _win32 backend on the Windows native services and a _posix one. This
// header gathers them for callers that use several.
#pragma once
#include "fileops/file_data.h"
#include "fileops/file_naming.h"
#include "fileops/file_open.h"
#include "fileops/run_buffers.h"
#include "fileops/space_reservation.h"
#include "fileops/threads.h"
