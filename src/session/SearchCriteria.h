// What the two criteria forms hold, read by the window in one place, and what a Find makes of it:
// one query of the search command, a refusal to show the user, or nothing at all.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The two tabs of the search window, in the order of the tab control's items.
enum class SearchTab { Users = 0, Zones = 1 };

// The forms as the user left them. A radio counts only when it reads checked.
struct SearchCriteria {
    // Users tab: the first checked radio in the order nickname, account, company, online decides.
    bool byNick = false;
    bool byAccount = false;
    bool byCompany = false;
    bool online = false;
    std::wstring nick;
    std::wstring account;
    std::wstring company;

    // Zones tab: by ID when its radio is checked, otherwise by name and industry.
    bool zoneById = false;
    bool zoneByName = false;
    std::wstring zoneIdText;
    std::wstring zoneName;
    int industryItem = 0;  // selection of the industry box; item 0 is any industry, -1 none
};

// One operation of the search command with its arguments.
struct OutgoingQuery {
    enum class Kind { OnlineUsers, UsersByCompany, UsersByAccount, UsersByNick, ZoneById, Zone };
    Kind kind = Kind::OnlineUsers;
    std::wstring text;           // the company, account, nickname or zone name
    std::uint64_t zoneId = 0;    // ZoneById
    std::uint16_t industry = 0;  // Zone: index into the client's industry list, 65535 for any

    bool operator==(const OutgoingQuery& o) const {
        return kind == o.kind && text == o.text && zoneId == o.zoneId && industry == o.industry;
    }
};

// A message box: its text under its caption.
struct SearchBox {
    const wchar_t* text = nullptr;
    const wchar_t* caption = nullptr;
    bool operator==(const SearchBox& o) const;
};

// A Find on one tab's form: the query to send, or the box that refuses it, or neither when no
// radio of the tab is checked.
struct FindDecision {
    std::optional<OutgoingQuery> query;
    std::optional<SearchBox> refusal;
};

FindDecision DecideFind(SearchTab tab, const SearchCriteria& criteria);
