// Search.dll: the user and zone search window of the client.
//
// The client creates one Search with its transport and its result handler (both must outlive the
// Search object) and opens the modeless window with StartSearch on its user-interface thread.
#pragma once

// HWND and UINT only: all of <windows.h> would bring in <winsock.h>, which a client that includes
// <winsock2.h> afterwards cannot have. This header may come before or after either.
#include <windef.h>

// Laid out as the module was built, also inside a client's #pragma pack region (the default
// packing, 8, for everything here; the includer's comes back at the end).
#pragma pack(push, 8)

#include <cstdint>
#include <string>
#include <vector>

#if defined(SEARCH_BUILD)
#  define SEARCH_API __declspec(dllexport)
#else
#  define SEARCH_API __declspec(dllimport)
#endif

namespace QZP {
class QZTransmit;
}
class CSearchDlg;

// Implemented by the client. Called on the window thread only.
class SearchResultHandler {
public:
    virtual ~SearchResultHandler() = default;
    virtual void AddFriend(std::uint64_t userId, const std::wstring& account) = 0;
    virtual void ViewUserInfo(std::uint64_t userId, const std::wstring& account) = 0;
    virtual void JoinZone(std::uint64_t zoneId) = 0;
    virtual void ViewZoneInfo(std::uint64_t zoneId) = 0;
    // Element k names industry code k of the zone records. Asked once per search window.
    virtual std::vector<std::wstring> GetIndustryList() = 0;
    virtual bool IsFriend(std::uint64_t userId) = 0;
    virtual bool IsZoneMember(std::uint64_t zoneId) = 0;
};

// The client allocates this object itself: its three members are part of the interface.
class SEARCH_API Search {
public:
    Search(QZP::QZTransmit* pTransmit, SearchResultHandler* pHandler);
    ~Search();
    Search(const Search&) = delete;
    // Shallow: both objects then refer to the same window; let only one of them stop it.
    Search& operator=(const Search& other);

    // Opens the window (bUserTab: users tab, else zones tab), or brings it to the top when shown.
    void StartSearch(HWND hParent, bool bUserTab);
    // Destroys the window for good.
    void StopSearch();

private:
    CSearchDlg* m_pSearchDlg;
    QZP::QZTransmit* m_pTransmit;
    SearchResultHandler* m_pResultHandler;
};

// How the window shows its message boxes ("查询失败" and the refusals of a query): by default
// MessageBoxW, owned by the search window. A client may present them itself (through its own
// skinned box, or its UI automation), answering with the button pressed (IDOK). The presenter is
// called on the window's thread; one for the whole process, swapped from any thread; null puts the
// default back. Returns the presenter it replaces.
using SearchMessageBoxPresenter = int (*)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
#if !defined(SEARCH_MESSAGE_BOX_HOOK_DECLARED)
#  define SEARCH_MESSAGE_BOX_HOOK_DECLARED
SEARCH_API SearchMessageBoxPresenter SetSkinMessageBoxPresenter(SearchMessageBoxPresenter presenter);
#endif

#pragma pack(pop)
