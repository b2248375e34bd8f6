// The demo client: a small main window that opens the search window, signs in and out, and logs
// what the search window hands back. It is the SearchResultHandler the module calls.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "DemoDirectory.h"
#include "QZTransmit.h"
#include "Search.h"

namespace demo_ids {
enum : int {
    FindUsers = 101,
    FindZones = 102,
    SignInOut = 103,
    Log = 104,
    Account = 105,
    Status = 106,
    LogHeading = 107,
};
}

class DemoClient : public SearchResultHandler {
public:
    DemoClient(const DemoDirectory& directory, QZP::QZTransmit& transmit);
    ~DemoClient() override;
    DemoClient(const DemoClient&) = delete;
    DemoClient& operator=(const DemoClient&) = delete;

    // Creates and shows the main window; false when Windows refuses.
    bool Create(int nCmdShow);
    HWND Window() const { return m_hWnd; }
    HWND Control(int id) const { return GetDlgItem(m_hWnd, id); }
    // Ends the search window for good and destroys the main window.
    void Close();

    bool IsSignedIn() const;
    // The log pane's lines, oldest first.
    std::vector<std::wstring> LogLines() const;

    // SearchResultHandler
    void AddFriend(std::uint64_t userId, const std::wstring& account) override;
    void ViewUserInfo(std::uint64_t userId, const std::wstring& account) override;
    void JoinZone(std::uint64_t zoneId) override;
    void ViewZoneInfo(std::uint64_t zoneId) override;
    std::vector<std::wstring> GetIndustryList() override;
    bool IsFriend(std::uint64_t userId) override;
    bool IsZoneMember(std::uint64_t zoneId) override;

private:
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    void OnCommand(int id);
    void ToggleSignIn();
    void UpdateStatus();
    void AddLog(const std::wstring& line);
    std::wstring UserName(std::uint64_t userId, const std::wstring& account) const;

    const DemoDirectory& m_directory;
    QZP::QZTransmit& m_transmit;
    // Declared after the references it is built from; destroyed before the window goes.
    std::unique_ptr<Search> m_search;
    std::set<std::uint64_t> m_friends;
    std::set<std::uint64_t> m_zones;
    HWND m_hWnd = nullptr;
    HFONT m_font = nullptr;
};
