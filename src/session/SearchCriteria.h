// What the two criteria forms hold, read by the window in one place, and what a Find makes of it:
// one query of the search command, a refusal to show the user, or nothing at all.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "SearchStrings.h"

// The two tabs of the search window, in the order of the tab control's items.
enum class SearchTab { Users = 0, Zones = 1 };

// The radio buttons of the two forms: how a tab's query is chosen.
enum class SearchBy { Company, Online, Nick, Account, ZoneId, ZoneName };
inline constexpr int kSearchByCount = 6;

// The forms, a row per radio button in SearchBy order: its tab, its caption (which also names its
// edit for screen readers), whether a reset checks it, whether a reset keeps the text of its edit,
// and how many characters its edit takes (0: it has none).
struct SearchForm {
    SearchBy by;
    SearchTab tab;
    const wchar_t* caption;
    bool checkedAfterReset;
    bool keepsTextOnReset;
    int maxLength;

    bool HasEdit() const { return maxLength > 0; }
};
inline constexpr SearchForm kSearchForms[kSearchByCount] = {
    // by                tab               caption                   checked kept   length
    {SearchBy::Company,  SearchTab::Users, search_text::kByCompany,  true,   true,  10},
    {SearchBy::Online,   SearchTab::Users, search_text::kOnline,     false,  false, 0},
    {SearchBy::Nick,     SearchTab::Users, search_text::kByNick,     false,  false, 13},
    {SearchBy::Account,  SearchTab::Users, search_text::kByAccount,  false,  false, 25},
    {SearchBy::ZoneId,   SearchTab::Zones, search_text::kZoneById,   true,   false, 25},
    {SearchBy::ZoneName, SearchTab::Zones, search_text::kZoneByName, false,  false, 26},
};

constexpr bool InSearchByOrder() {
    for (int i = 0; i < kSearchByCount; ++i) {
        if (static_cast<int>(kSearchForms[i].by) != i)
            return false;
    }
    return true;
}
static_assert(InSearchByOrder(), "kSearchForms is looked up by SearchBy");
inline const SearchForm& FormOf(SearchBy by) { return kSearchForms[static_cast<int>(by)]; }

// The forms as the user left them. A radio counts only when it reads checked.
struct SearchCriteria {
    // By radio (SearchBy): whether it reads checked, and the text of its edit.
    std::array<bool, kSearchByCount> checked{};
    std::array<std::wstring, kSearchByCount> text;
    int industryItem = 0;  // selection of the industry box; item 0 is any industry, -1 none

    bool Checked(SearchBy by) const { return checked[static_cast<int>(by)]; }
    const std::wstring& Text(SearchBy by) const { return text[static_cast<int>(by)]; }
    // For callers that fill a form by hand: checks `by` and types `typed` into its edit.
    SearchCriteria& Choose(SearchBy by, std::wstring typed = std::wstring()) {
        checked[static_cast<int>(by)] = true;
        text[static_cast<int>(by)] = std::move(typed);
        return *this;
    }
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
