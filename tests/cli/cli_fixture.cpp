#include "tests/cli/cli_fixture.h"

const char* const kProgramUnderTest = ZOK_CLI_PATH;
