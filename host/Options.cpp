#include "Options.h"

#include <cerrno>
#include <cwchar>

namespace {

bool ParseCount(const std::wstring& text, unsigned long long max, unsigned long long& value) {
    if (text.empty() || text[0] < L'0' || text[0] > L'9') return false;
    wchar_t* end = nullptr;
    errno = 0;
    value = std::wcstoull(text.c_str(), &end, 10);
    return errno == 0 && *end == L'\0' && value <= max;
}

bool ParseRate(const std::wstring& text, double& value) {
    if (text.empty()) return false;
    wchar_t* end = nullptr;
    errno = 0;
    value = std::wcstod(text.c_str(), &end);
    // The negated comparison also turns NaN away.
    return errno == 0 && *end == L'\0' && value >= 0.0 && value <= 1.0;
}

}  // namespace

const wchar_t* UsageText() {
    return L"usage: SearchDemo.exe [--batch N] [--latency MS] [--overlap N] [--failure-rate R] [--tour OUTDIR]\n"
           L"  --batch N         records per server answer, 1..500 (default 13)\n"
           L"  --latency MS      delay of every answer in milliseconds, 0..10000 (default 150)\n"
           L"  --overlap N       records of one answer repeated at the start of the next, below N of --batch (default 3)\n"
           L"  --failure-rate R  share of queries that fail, 0..1 (default 0)\n"
           L"  --tour OUTDIR     walk through the search window by script, writing pictures and tour.log to OUTDIR\n";
}

bool ParseOptions(const std::vector<std::wstring>& args, DemoOptions& options, std::wstring& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& name = args[i];
        if (name == L"--help" || name == L"-h" || name == L"/?") {
            options.help = true;
            continue;
        }
        if (name != L"--batch" && name != L"--latency" && name != L"--overlap" &&
            name != L"--failure-rate" && name != L"--tour") {
            error = L"unknown option " + name;
            return false;
        }
        if (i + 1 >= args.size()) {
            error = name + L" needs a value";
            return false;
        }
        const std::wstring& value = args[++i];
        unsigned long long number = 0;
        if (name == L"--batch") {
            if (!ParseCount(value, 500, number) || number == 0) {
                error = L"--batch wants a whole number from 1 to 500, not \"" + value + L"\"";
                return false;
            }
            options.batch = static_cast<std::size_t>(number);
        } else if (name == L"--latency") {
            if (!ParseCount(value, 10000, number)) {
                error = L"--latency wants milliseconds from 0 to 10000, not \"" + value + L"\"";
                return false;
            }
            options.latencyMs = static_cast<unsigned>(number);
        } else if (name == L"--overlap") {
            if (!ParseCount(value, 499, number)) {
                error = L"--overlap wants a whole number from 0 to 499, not \"" + value + L"\"";
                return false;
            }
            options.overlap = static_cast<std::size_t>(number);
        } else if (name == L"--failure-rate") {
            if (!ParseRate(value, options.failureRate)) {
                error = L"--failure-rate wants a number from 0 to 1, not \"" + value + L"\"";
                return false;
            }
        } else {
            if (value.empty()) {
                error = L"--tour wants a folder";
                return false;
            }
            options.tourDir = value;
        }
    }
    if (options.overlap >= options.batch) {
        error = L"--overlap (" + std::to_wstring(options.overlap) + L") must be below --batch (" +
                std::to_wstring(options.batch) + L")";
        return false;
    }
    return true;
}
