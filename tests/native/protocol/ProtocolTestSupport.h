// Shared by the protocol tests: a handler that records every callback, and record builders.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "QZTransmit.h"
#include "RecordBuilders.h"

namespace protocol_test {

using namespace std::chrono_literals;
constexpr auto kWait = std::chrono::seconds(10);  // generous: only reached when something is broken

struct Callback {
    bool user = false;
    bool ok = false;
    std::vector<std::uint64_t> ids;  // batch in arrival order
    std::thread::id thread;
    bool onWorker = false;
    std::chrono::steady_clock::time_point at;
};

class Recorder : public QZP::QZCommandSearchHandler {
public:
    explicit Recorder(const QZP::QZTransmit* transport = nullptr) : m_transport(transport) {}

    void OnSearchUserResult(bool ok, const UserInfoSet& batch) override {
        Callback c = Begin(true, ok);
        for (const auto& user : batch) c.ids.push_back(user.id);
        End(std::move(c));
    }
    void OnSearchZoneResult(bool ok, const ZoneInfoSet& batch) override {
        Callback c = Begin(false, ok);
        for (const auto& zone : batch) c.ids.push_back(zone.id);
        End(std::move(c));
    }

    bool WaitFor(std::size_t n) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, kWait, [&] { return m_calls.size() >= n; });
    }
    std::vector<Callback> Calls() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_calls;
    }
    std::size_t Count() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_calls.size();
    }

private:
    Callback Begin(bool user, bool ok) {
        Callback c;
        c.user = user;
        c.ok = ok;
        c.thread = std::this_thread::get_id();
        c.onWorker = m_transport && m_transport->IsWorkerThread();
        c.at = std::chrono::steady_clock::now();
        return c;
    }
    void End(Callback c) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_calls.push_back(std::move(c));
        }
        m_changed.notify_all();
    }

    const QZP::QZTransmit* m_transport;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Callback> m_calls;
};

// A one-shot gate a callback can block on until the test opens it.
class Gate {
public:
    void Open() {
        { std::lock_guard<std::mutex> lock(m_mutex); m_open = true; }
        m_cv.notify_all();
    }
    bool Wait() {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_cv.wait_for(lock, kWait, [&] { return m_open; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_open = false;
};

}  // namespace protocol_test
