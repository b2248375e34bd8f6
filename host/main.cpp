// SearchDemo.exe: a small client around Search.dll. With --tour it walks the search window by
// script and writes pictures; without it, it is an ordinary window for a person to try.
#include <windows.h>
#include <commctrl.h>

#include <fcntl.h>
#include <io.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "DemoClient.h"
#include "DemoDirectory.h"
#include "Options.h"
#include "QZTransmit.h"
#include "Tour.h"
#include "WindowDriver.h"

namespace {

void PrintUtf8(FILE* stream, const std::wstring& text) {
    const std::string bytes = windriver::Utf8(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

// A tour that stops making progress (a box nobody closes, a window that never answers) must not
// hold a test run for long: end the process with a message instead.
DWORD WINAPI Watchdog(LPVOID param) {
    const DWORD limitMs = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(param));
    Sleep(limitMs);
    std::fprintf(stderr, "tour gave up after %lu s\n", static_cast<unsigned long>(limitMs / 1000));
    std::fflush(stderr);
    ExitProcess(3);
}

int RunInteractive() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // UTF-8 bytes exactly as written, without the runtime's text-mode translation.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);

    DemoOptions options;
    std::wstring error;
    if (!ParseOptions(std::vector<std::wstring>(argv + 1, argv + argc), options, error)) {
        PrintUtf8(stderr, L"SearchDemo: " + error + L"\n" + UsageText());
        return 2;
    }
    if (options.help) {
        PrintUtf8(stdout, UsageText());
        return 0;
    }

    // A client that draws itself at the desktop's DPI, as clients on 125 % to 200 % desktops do:
    // the search window then lays itself out at that DPI too.
    SetProcessDPIAware();

    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);

    DemoDirectory directory;
    QZP::DirectoryService service(directory.Users(), directory.Zones());
    // The tour holds every query until it has looked at the busy window, then lets the directory
    // answer it; a person gets the directory's answers straight away.
    QZP::ScriptedService held;
    const bool tour = !options.tourDir.empty();
    QZP::TransportSettings settings;
    settings.batchSize = options.batch;
    settings.overlap = options.overlap;
    settings.latency = std::chrono::milliseconds(options.latencyMs);
    settings.failureRate = options.failureRate;
    settings.selfId = directory.SelfId();
    settings.signedIn = true;
    QZP::QZTransmit transmit(tour ? static_cast<QZP::SearchService&>(held) : service, settings);

    int result = 0;
    {
        DemoClient client(directory, transmit);
        if (!client.Create(tour ? SW_SHOWNOACTIVATE : SW_SHOWNORMAL)) {
            PrintUtf8(stderr, L"SearchDemo: the main window could not be created\n");
            return 1;
        }
        if (!tour) {
            result = RunInteractive();
        } else {
            const DWORD limitMs = 120000 + 40 * options.latencyMs;
            CloseHandle(CreateThread(nullptr, 0, &Watchdog, reinterpret_cast<LPVOID>(static_cast<UINT_PTR>(limitMs)), 0, nullptr));
            result = RunTour(client, directory, TourServices{held, service}, transmit, options);
            client.Close();
        }
    }
    return result;
}
