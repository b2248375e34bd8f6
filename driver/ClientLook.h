// Which client a program of ours plays. A modern client carries a common-controls 6 manifest, and
// its windows (the search window, made on its thread, among them) are drawn by the desktop's visual
// style. An older client carries none and runs on a desktop without a visual style: every control
// is classic. Themed unless SEARCH_CLIENT_LOOK is "classic" (cmake/wine-run and scripts/demo then
// turn the desktop's visual style off for the run).
#pragma once

#include <cstdlib>
#include <cstring>

namespace windriver {

inline bool ClassicClient() {
    const char* look = std::getenv("SEARCH_CLIENT_LOOK");
    return look && std::strcmp(look, "classic") == 0;
}

}  // namespace windriver
