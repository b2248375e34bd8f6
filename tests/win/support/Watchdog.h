// Ends the process when a test stops making progress, naming what it was doing: a hang must fail
// the run, not stall it. A Win32 event rather than a condition variable: timed waits of the latter
// are not reliable in this runtime.
#pragma once

#include <windows.h>

#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

namespace wintest {

class Watchdog {
public:
    // limitMs: the longest one step may take.
    explicit Watchdog(DWORD limitMs)
        : m_limit(limitMs), m_done(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          m_last(::GetTickCount64()), m_thread([this] { Watch(); }) {}
    ~Watchdog() {
        ::SetEvent(m_done);
        m_thread.join();
        ::CloseHandle(m_done);
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // A new step begins: the clock starts again, and a hang from here on is reported under `name`.
    void Step(std::string name) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_step = std::move(name);
        m_last = ::GetTickCount64();
    }

private:
    void Watch() {
        while (::WaitForSingleObject(m_done, 250) == WAIT_TIMEOUT) {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (::GetTickCount64() - m_last > m_limit) {
                std::fprintf(stderr, "watchdog: no progress for %lu ms in: %s\n",
                             static_cast<unsigned long>(m_limit), m_step.c_str());
                std::fflush(stderr);
                ::ExitProcess(3);
            }
        }
    }

    const DWORD m_limit;
    HANDLE m_done;
    std::mutex m_mutex;
    std::string m_step = "start";
    ULONGLONG m_last;
    std::thread m_thread;
};

}  // namespace wintest
