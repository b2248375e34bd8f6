// Drives Search.dll as a client does: a scripted protocol service behind a real transport, a
// recording SearchResultHandler, Search::StartSearch/StopSearch on this thread, and the window
// found and worked only through its control IDs and messages, with the window driver.
//
// Every action is a step a user could take; a step that cannot be taken (a hidden or disabled
// control, a query nobody sent) ends the test there, with the reason.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "QZTransmit.h"
#include "RecordBuilders.h"
#include "Search.h"
#include "SearchWindow.h"
#include "SkinMessageBox.h"

namespace ids = windriver::search_ids;

// What the module handed back to the client, in order.
struct HandlerCall {
    std::string op;
    std::uint64_t id = 0;
    std::wstring account;
    bool operator==(const HandlerCall& o) const {
        return op == o.op && id == o.id && account == o.account;
    }
};
void PrintTo(const HandlerCall& call, std::ostream* os);

class RecordingHandler : public SearchResultHandler {
public:
    std::vector<std::wstring> industries;
    std::vector<std::uint64_t> friends;
    std::vector<std::uint64_t> memberships;
    std::vector<HandlerCall> calls;
    int industryRequests = 0;
    // Run inside each call after it is recorded, as a client's own loop would run (a box of its own).
    std::function<void(const HandlerCall&)> during;

    void AddFriend(std::uint64_t id, const std::wstring& account) override;
    void ViewUserInfo(std::uint64_t id, const std::wstring& account) override;
    void JoinZone(std::uint64_t id) override;
    void ViewZoneInfo(std::uint64_t id) override;
    std::vector<std::wstring> GetIndustryList() override;
    bool IsFriend(std::uint64_t id) override;
    bool IsZoneMember(std::uint64_t id) override;

private:
    void Record(const HandlerCall& call);
};

struct ShownBox {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
};

// Message boxes go to a recorder for the life of the fixture.
std::vector<ShownBox>& RecordedBoxes();

// The clipboard's Unicode text, and putting some there, as another program would.
std::wstring ClipboardText();
void PutOnClipboard(const std::wstring& text);

class SearchWindowTest : public ::testing::Test {
protected:
    SearchWindowTest();
    ~SearchWindowTest() override;

    // The search window of this thread, or null.
    HWND Dialog() const;
    HWND Control(int id) const;

    void Start(bool bUserTab = true, HWND hParent = nullptr);
    void Stop();

    // Runs every message waiting on this thread, including the result messages of callbacks that
    // have finished on the protocol thread.
    void Pump();
    // Hands the oldest pending query its answer on the protocol thread, then pumps.
    void AnswerUsers(const UserInfoSet& batch, bool ok = true);
    void AnswerZones(const ZoneInfoSet& batch, bool ok = true);

    // As a user would: the control must be shown and enabled, or the step ends the test.
    void Click(int id);
    void Type(int id, const std::wstring& text);
    void ChooseIndustry(int item);
    void SelectRow(int row);
    void ClickTab(int index);
    // The focus put on the control, then the key pressed there.
    void PressKey(int id, WPARAM vk);
    // The keyboard alone: the key, or the characters, go to the control that has the focus.
    void PressKey(WPARAM vk);
    void TypeKeys(const std::wstring& text);
    // The ID of the window's control that has the focus; 0 when none of them has it.
    int FocusedId() const { return m_driver.FocusedId(); }

    bool Shown(int id) const { return m_driver.Shown(id); }
    bool Enabled(int id) const { return m_driver.Enabled(id); }
    bool Checked(int id) const { return m_driver.Checked(id); }
    std::wstring Text(int id) const { return m_driver.Text(id); }
    int RowCount(int listId) const { return m_driver.RowCount(listId); }
    std::wstring Cell(int listId, int row, int column) const { return m_driver.Cell(listId, row, column); }
    // The first column of every row of a list.
    std::vector<std::wstring> FirstColumn(int listId) const { return m_driver.FirstColumn(listId); }
    RECT ClientRect(int id) const { return m_driver.ClientRect(id); }  // in the dialog's client coordinates

    // With SEARCH_PICTURES set to a folder, writes a PNG of the window there under this name.
    void Snapshot(const std::wstring& name) const;

    // A nickname query from the users tab's form, sent and left waiting for its answer.
    void SendNickSearch(const std::wstring& nick);
    // The same, answered with the given batch.
    void SearchByNick(const std::wstring& nick, const UserInfoSet& firstBatch);

    QZP::ScriptedService m_service;
    std::unique_ptr<QZP::QZTransmit> m_transmit;
    RecordingHandler m_handler;
    std::unique_ptr<Search> m_search;
    // Works the search window of this thread; each of its actions ends with Pump.
    windriver::DialogDriver m_driver;

private:
    SkinMessageBoxPresenter m_previousPresenter;
};
