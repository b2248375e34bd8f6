// A library of a client's built on the C++ runtime DLLs, as a plugin is: its handler's lookups
// throw.
#include <exception>
#include <stdexcept>

#include "Search.h"

namespace {
class ThrowingHandler : public SearchResultHandler {
public:
    void AddFriend(std::uint64_t, const std::wstring&) override {}
    void ViewUserInfo(std::uint64_t, const std::wstring&) override {}
    void JoinZone(std::uint64_t) override {}
    void ViewZoneInfo(std::uint64_t) override {}
    std::vector<std::wstring> GetIndustryList() override { return {}; }
    bool IsFriend(std::uint64_t) override { throw std::runtime_error("the plugin's friend list is not loaded"); }
    bool IsZoneMember(std::uint64_t) override { return false; }
};
}  // namespace

extern "C" __declspec(dllexport) SearchResultHandler* PluginHandler() {
    static ThrowingHandler handler;
    return &handler;
}

// std::uncaught_exceptions() of the runtime the plugin throws with.
extern "C" __declspec(dllexport) int PluginUncaughtExceptions() { return std::uncaught_exceptions(); }
