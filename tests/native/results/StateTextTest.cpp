#include <gtest/gtest.h>

#include "SearchRecords.h"

TEST(StateText, NamesEveryPresenceState) {
    const struct { int state; const wchar_t* text; } cases[] = {
        {2, L"离开"}, {3, L"忙碌"}, {4, L"在线"}, {0, L"离线"}, {1, L"离线"}, {5, L"离线"}, {-1, L"离线"},
    };
    for (const auto& c : cases) {
        UserInfo user;
        user.state = c.state;
        EXPECT_EQ(user.GetStateText(), c.text) << "state " << c.state;
    }
}
