// Command line of SearchDemo.exe.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct DemoOptions {
    std::size_t batch = 13;    // not a multiple of ten, so paging past the cache asks the server again
    unsigned latencyMs = 150;
    std::size_t overlap = 3;
    double failureRate = 0.0;
    std::wstring tourDir;      // empty: interactive
    bool help = false;
};

// Fills options from the arguments after the program name. On a bad argument returns false and
// puts a one-line reason in error.
bool ParseOptions(const std::vector<std::wstring>& args, DemoOptions& options, std::wstring& error);

const wchar_t* UsageText();
