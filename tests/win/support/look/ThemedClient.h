#pragma once
// The resource of the test programs' common-controls 6 manifest; not 1, which the loader would
// take for the program's own.
#define SEARCH_TEST_CLIENT_MANIFEST 101
