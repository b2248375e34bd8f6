// Tests at other desktop DPIs. A program reads the desktop's DPI once, as it starts (Wine from its
// registry), so a test at another DPI runs in a program of its own: this test program again,
// started while the desktop is set to that DPI and given only the tests to run there.
#pragma once

#include <windows.h>

#include <string>

namespace wintest {

struct ChildRun {
    DWORD exitCode = 0;
    std::string output;  // what it printed, each line indented so that it reads as quoted
};

// Runs this program with --gtest_filter=filter while the desktop is at dpi, and puts the desktop's
// DPI back as it was. False (with the reason in run.output) when the program could not be started
// or the DPI could not be set.
bool RunAtDesktopDpi(UINT dpi, const std::string& filter, ChildRun& run);

// The DPI a test program was started at by RunAtDesktopDpi; 0 in a program started as usual.
UINT RequestedDesktopDpi();

}  // namespace wintest
