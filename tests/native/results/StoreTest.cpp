#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "RecordBuilders.h"
#include "SearchRecords.h"

using Ids = std::vector<std::uint64_t>;
constexpr std::uint64_t kMaxId = std::numeric_limits<std::uint64_t>::max();

TEST(UserStore, KeepsArrivalOrderWhateverTheIdOrder) {
    UserInfoSet store;
    for (std::uint64_t id : Ids{5, 3, 9}) {
        ASSERT_TRUE(store.push_back(MakeUser(id)).second) << "id " << id;
    }
    EXPECT_EQ(IdsOf(store), (Ids{5, 3, 9}));
    EXPECT_EQ(IdsOf(store.get<search_index::ById>()), (Ids{3, 5, 9}));
    EXPECT_EQ(store.size(), 3u);
}

TEST(UserStore, IdIndexComparesUnsigned) {
    UserInfoSet store;
    for (std::uint64_t id : Ids{kMaxId, 1, std::uint64_t{1} << 63, 0}) {
        store.push_back(MakeUser(id));
    }
    EXPECT_EQ(IdsOf(store.get<search_index::ById>()), (Ids{0, 1, std::uint64_t{1} << 63, kMaxId}));
}

TEST(UserStore, RefusesSecondIdAndKeepsFirstArrivedRecord) {
    UserInfoSet store;
    UserInfo first = MakeUser(3, 4, L"张伟");
    first.company.clear();
    store.push_back(first);
    store.push_back(MakeUser(8, 2, L"李娜"));

    UserInfo late = MakeUser(3, 2, L"王芳");
    late.company = L"深圳市腾达电子有限公司";
    const auto result = store.push_back(late);

    EXPECT_FALSE(result.second);
    ASSERT_NE(result.first, store.end());
    EXPECT_EQ(result.first, store.begin()) << "the refusal must point at the stored record";
    EXPECT_EQ(IdsOf(store), (Ids{3, 8}));
    EXPECT_EQ(store.front().nickname, L"张伟");
    EXPECT_EQ(store.front().state, 4);
    EXPECT_TRUE(store.front().company.empty());
    // The refused record's state must not have reached the state indices either.
    EXPECT_EQ(store.get<search_index::ByState>().count(2), 1u);
    EXPECT_EQ(store.get<search_index::ByState>().count(4), 1u);
    EXPECT_EQ(store.get<search_index::ByStateThenId>().size(), 2u);
}

TEST(UserStore, KeepsUsersSharingAState) {
    UserInfoSet store;
    EXPECT_TRUE(store.push_back(MakeUser(1, 4)).second);
    EXPECT_TRUE(store.push_back(MakeUser(2, 4)).second);
    EXPECT_EQ(store.size(), 2u);
    EXPECT_EQ(store.get<search_index::ByState>().count(4), 2u);
}

TEST(UserStore, StateIndexIsSignedAscendingWithEqualStatesInArrivalOrder) {
    UserInfoSet store;
    const std::pair<std::uint64_t, std::int32_t> users[] = {{10, 4}, {11, -1}, {12, 2}, {13, 4}, {14, 0}, {15, -1}};
    for (const auto& [id, state] : users) {
        store.push_back(MakeUser(id, state));
    }
    EXPECT_EQ(IdsOf(store.get<search_index::ByState>()), (Ids{11, 15, 14, 12, 10, 13}));
}

TEST(UserStore, CompositeIndexOrdersStateDescendingThenIdAscending) {
    UserInfoSet store;
    const std::pair<std::uint64_t, std::int32_t> users[] = {
        {5, 4}, {3, 2}, {9, 4}, {1, 3}, {7, -1}, {2, 4}, {kMaxId, 4}, {6, 0},
    };
    for (const auto& [id, state] : users) {
        store.push_back(MakeUser(id, state));
    }
    EXPECT_EQ(IdsOf(store.get<search_index::ByStateThenId>()), (Ids{2, 5, 9, kMaxId, 1, 3, 6, 7}));
}

TEST(ZoneStore, SortKeyIndexIsNonUniqueWithEqualKeysAfterExistingOnes) {
    ZoneInfoSet store;
    const std::pair<std::uint64_t, std::int32_t> zones[] = {{1, 5}, {2, -3}, {3, 5}, {4, 0}, {5, 5}};
    for (const auto& [id, key] : zones) {
        ASSERT_TRUE(store.push_back(SortedZone(id, key)).second) << "id " << id;
    }
    EXPECT_EQ(IdsOf(store), (Ids{1, 2, 3, 4, 5}));
    EXPECT_EQ(IdsOf(store.get<search_index::BySortKey>()), (Ids{2, 4, 1, 3, 5}));

    EXPECT_FALSE(store.push_back(SortedZone(3, -100, L"重复")).second);
    EXPECT_EQ(store.get<search_index::BySortKey>().begin()->id, 2u);
    EXPECT_EQ(store.size(), 5u);
}

TEST(Stores, ClearLeavesAnEmptyUsableStore) {
    for (std::size_t initial : {0u, 1u, 25u}) {
        UserInfoSet users;
        ZoneInfoSet zones;
        for (std::size_t i = 0; i < initial; ++i) {
            users.push_back(MakeUser(i, 4));
            zones.push_back(MakeZone(i));
        }
        users.clear();
        zones.clear();
        EXPECT_TRUE(users.empty()) << initial;
        EXPECT_EQ(users.begin(), users.end()) << initial;
        EXPECT_TRUE(users.get<search_index::ById>().empty()) << initial;
        EXPECT_TRUE(users.get<search_index::ByStateThenId>().empty()) << initial;
        EXPECT_TRUE(zones.get<search_index::BySortKey>().empty()) << initial;

        // An identifier seen before the clear is new again.
        EXPECT_TRUE(users.push_back(MakeUser(0)).second) << initial;
        EXPECT_TRUE(zones.push_back(MakeZone(0)).second) << initial;
        EXPECT_EQ(users.size(), 1u) << initial;
    }
}

TEST(Stores, AdvancingFromBeginFollowsArrivalOrder) {
    UserInfoSet store;
    const Ids arrival{42, 7, 19, 3};
    for (auto id : arrival) {
        store.push_back(MakeUser(id));
    }
    EXPECT_EQ(std::next(store.begin(), 0)->id, 42u);
    for (std::size_t n = 0; n < arrival.size(); ++n) {
        EXPECT_EQ(std::next(store.begin(), n)->id, arrival[n]) << "n " << n;
    }
    EXPECT_EQ(std::next(store.begin(), store.size()), store.end());
    EXPECT_EQ(static_cast<std::size_t>(std::distance(store.begin(), store.end())), store.size());
}

// The library releases a batch as soon as its callback returns, so the store must hold copies of
// every field, carried ones included (run under AddressSanitizer this also catches a shared buffer).
TEST(Stores, StoreOutlivesTheBatchItWasFilledFrom) {
    const std::wstring longCompany = L"北京中关村科技发展股份有限公司第三研发中心";
    const std::vector<std::uint32_t> pixels(16 * 16, 0xFF336699u);

    UserInfoSet users;
    ZoneInfoSet zones;
    {
        auto userBatch = std::make_unique<UserInfoSet>();
        UserInfo user = MakeUser(77, 3, L"欧阳晓明");
        user.company = longCompany;
        user.signature = L"每天进步一点点，生活会更美好";
        user.extInfo.school = L"华中科技大学计算机学院";
        user.extInfo.flags = -5;
        user.picture = CustomPic(16, 16, pixels);
        user.token.bytes[15] = 0xAB;
        user.registerTime = -1234567890123ll;
        user.gender = -2;
        user.age = 200;
        userBatch->push_back(user);
        users.insert(users.end(), userBatch->begin(), userBatch->end());

        auto zoneBatch = std::make_unique<ZoneInfoSet>();
        ZoneInfo zone = SortedZone(900, 1, L"长三角电子元器件采购商圈");
        zone.admins.insert({kMaxId, 1});
        zone.admins.insert({12, 2});
        zone.admins.insert({12, 3});  // one role per user: refused
        zone.description = L"面向华东地区中小企业的元器件采购交流平台";
        zoneBatch->push_back(zone);
        zones.insert(zones.end(), zoneBatch->begin(), zoneBatch->end());
    }

    ASSERT_EQ(users.size(), 1u);
    const UserInfo& user = users.front();
    EXPECT_EQ(user.nickname, L"欧阳晓明");
    EXPECT_EQ(user.company, longCompany);
    EXPECT_EQ(user.signature, L"每天进步一点点，生活会更美好");
    EXPECT_EQ(user.extInfo.school, L"华中科技大学计算机学院");
    EXPECT_EQ(user.extInfo.flags, -5);
    EXPECT_EQ(user.picture.Width(), 16u);
    EXPECT_EQ(user.picture.Pixels(), pixels);
    EXPECT_EQ(user.token.bytes[15], 0xAB);
    EXPECT_EQ(user.registerTime, -1234567890123ll);
    EXPECT_EQ(user.gender, -2);
    EXPECT_EQ(user.age, 200);

    ASSERT_EQ(zones.size(), 1u);
    const ZoneInfo& zone = zones.front();
    EXPECT_EQ(zone.name, L"长三角电子元器件采购商圈");
    EXPECT_EQ(zone.description, L"面向华东地区中小企业的元器件采购交流平台");
    ASSERT_EQ(zone.admins.size(), 2u);
    EXPECT_EQ(zone.admins.begin()->userId, 12u);
    EXPECT_EQ(zone.admins.rbegin()->userId, kMaxId);
    EXPECT_EQ(zone.admins.rbegin()->role, 1);
}

TEST(CustomPicture, CopiesAreIndependentAndMovesEmptyTheSource) {
    const std::vector<std::uint32_t> pixels{1, 2, 3, 4, 5, 6};
    CustomPic original(3, 2, pixels);

    CustomPic copy(original);
    EXPECT_EQ(copy.Width(), 3u);
    EXPECT_EQ(copy.Height(), 2u);
    EXPECT_EQ(copy.Pixels(), pixels);
    EXPECT_EQ(original.Pixels(), pixels);
    EXPECT_NE(copy.Pixels().data(), original.Pixels().data());

    CustomPic assigned(1, 1, {9});
    assigned = original;
    EXPECT_EQ(assigned.Width(), 3u);
    EXPECT_EQ(assigned.Pixels(), pixels);

    CustomPic moved(std::move(copy));
    EXPECT_EQ(moved.Pixels(), pixels);
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_EQ(copy.Width(), 0u);
    EXPECT_EQ(copy.Height(), 0u);

    CustomPic moveAssigned;
    moveAssigned = std::move(moved);
    EXPECT_EQ(moveAssigned.Width(), 3u);
    EXPECT_EQ(moveAssigned.Pixels(), pixels);
    EXPECT_TRUE(moved.IsEmpty());
    EXPECT_EQ(moved.Width(), 0u);
}

TEST(CustomPicture, SelfAssignmentKeepsThePicture) {
    CustomPic picture(2, 2, {1, 2, 3, 4});
    CustomPic& same = picture;
    picture = same;
    EXPECT_EQ(picture.Width(), 2u);
    EXPECT_EQ(picture.Pixels(), (std::vector<std::uint32_t>{1, 2, 3, 4}));
    picture = std::move(same);
    EXPECT_EQ(picture.Width(), 2u);
    EXPECT_EQ(picture.Height(), 2u);
    EXPECT_EQ(picture.Pixels(), (std::vector<std::uint32_t>{1, 2, 3, 4}));
}

TEST(CustomPicture, PixelsThatDoNotFillTheSizeGiveAnEmptyPicture) {
    const struct {
        std::uint32_t width, height;
        std::size_t pixels;
        bool kept;
    } cases[] = {
        {2, 3, 6, true},  {2, 3, 5, false}, {2, 3, 7, false},
        {0, 0, 0, true},  {4, 0, 1, false},
        // 65536 x 65536 wraps to 0 in 32-bit arithmetic and must not pass for zero pixels.
        {65536, 65536, 0, false},
    };
    for (const auto& c : cases) {
        const CustomPic picture(c.width, c.height, std::vector<std::uint32_t>(c.pixels, 7));
        EXPECT_EQ(picture.Pixels().size(), c.kept ? c.pixels : 0u) << c.width << "x" << c.height;
        EXPECT_EQ(picture.Width(), c.kept ? c.width : 0u) << c.width << "x" << c.height;
        EXPECT_EQ(picture.Height(), c.kept ? c.height : 0u) << c.width << "x" << c.height;
    }
}
