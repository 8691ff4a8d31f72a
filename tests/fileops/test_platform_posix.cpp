#include "tests/fileops/test_folder.h"

// The backend itself refuses files without a write bit, also for root.
bool ReadOnlyFilesAreEnforced() {
    return true;
}
