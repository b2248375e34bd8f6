// One box shown for real: a modal message box owned by the search window, closed by the test.
#include "MessageBoxWatcher.h"
#include "SearchWindowFixture.h"

TEST_F(SearchWindowTest, RealBoxIsModalToTheSearchWindowAndSpeaksChinese) {
    Start(true);
    SetSkinMessageBoxPresenter(nullptr);  // the real box, not the recorder
    Click(ids::RadioNick);
    windriver::MessageBoxWatcher watcher;
    Click(ids::Find);  // returns once the box is closed
    ASSERT_EQ(watcher.Seen().size(), 1u) << "one message box appeared";
    const windriver::SeenMessageBox& box = watcher.Seen().front();
    EXPECT_EQ(box.text, L"请指定昵称");
    EXPECT_EQ(box.caption, L"查询错误");
    EXPECT_EQ(box.owner, Dialog());
    // The system's own button, in the language of a Chinese desktop (the test desktop is one).
    EXPECT_EQ(box.buttons, std::vector<std::wstring>{L"确定"});
    EXPECT_TRUE(::IsWindowVisible(Dialog()));
}
