#include "SearchCriteria.h"

#include <algorithm>
#include <cwchar>
#include <iterator>

#include "IdentifierText.h"
#include "SearchStrings.h"

bool SearchBox::operator==(const SearchBox& o) const {
    const auto same = [](const wchar_t* a, const wchar_t* b) {
        return a == b || (a && b && std::wcscmp(a, b) == 0);
    };
    return same(text, o.text) && same(caption, o.caption);
}

namespace {
using Kind = OutgoingQuery::Kind;

FindDecision Refuse(const wchar_t* text) {
    FindDecision decision;
    decision.refusal = SearchBox{text, search_text::kCaptionQueryError};
    return decision;
}

FindDecision Query(Kind kind, std::wstring text = std::wstring(), std::uint64_t zoneId = 0,
                   std::uint16_t industry = 0) {
    FindDecision decision;
    decision.query = OutgoingQuery{kind, std::move(text), zoneId, industry};
    return decision;
}

FindDecision DecideUserFind(const SearchCriteria& c) {
    // The first checked radio in this order decides; the online radio has no text.
    const struct {
        SearchBy by;
        const wchar_t* missing;
        Kind kind;
    } choices[] = {
        {SearchBy::Nick, search_text::kNeedNickname, Kind::UsersByNick},
        {SearchBy::Account, search_text::kNeedAccount, Kind::UsersByAccount},
        {SearchBy::Company, search_text::kNeedCompany, Kind::UsersByCompany},
    };
    const auto chosen =
        std::find_if(std::begin(choices), std::end(choices), [&c](const auto& choice) { return c.Checked(choice.by); });
    if (chosen != std::end(choices)) {
        // Sent exactly as typed: blanks are text, only the empty text is missing.
        const std::wstring& text = c.Text(chosen->by);
        if (text.empty())
            return Refuse(chosen->missing);
        return Query(chosen->kind, text);
    }
    if (c.Checked(SearchBy::Online))
        return Query(Kind::OnlineUsers);
    return FindDecision();
}

FindDecision DecideZoneFind(const SearchCriteria& c) {
    if (c.Checked(SearchBy::ZoneId)) {
        const std::optional<std::uint64_t> zoneId = IdentifierFromText(c.Text(SearchBy::ZoneId).c_str());
        if (!zoneId)
            return Refuse(search_text::kNeedCriteria);
        return Query(Kind::ZoneById, std::wstring(), *zoneId);
    }
    const std::wstring name = c.Checked(SearchBy::ZoneName) ? c.Text(SearchBy::ZoneName) : std::wstring();
    // No selection (CB_ERR), which only another program can bring about, reads as "any industry"
    // rather than sending the code 65534.
    const int item = c.industryItem < 0 ? 0 : c.industryItem;
    if (name.empty() && item == 0)
        return Refuse(search_text::kNeedCriteria);
    // Item 0 is "any industry": 0 - 1 kept to 16 bits is 65535, the code for any.
    return Query(Kind::Zone, name, 0, static_cast<std::uint16_t>(item - 1));
}
}  // namespace

FindDecision DecideFind(SearchTab tab, const SearchCriteria& criteria) {
    return tab == SearchTab::Users ? DecideUserFind(criteria) : DecideZoneFind(criteria);
}
