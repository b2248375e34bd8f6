#include "ProtocolTestSupport.h"

using namespace protocol_test;
using QZP::SearchQuery;
using Kind = QZP::SearchQuery::Kind;

namespace {

SearchQuery Q(Kind kind, std::wstring text = L"", std::uint64_t zoneId = 0,
              std::uint16_t industry = 0xFFFF) {
    SearchQuery q;
    q.kind = kind;
    q.text = std::move(text);
    q.zoneId = zoneId;
    q.industry = industry;
    return q;
}

template <typename Set>
std::vector<std::uint64_t> Ids(const Set& set) {
    std::vector<std::uint64_t> ids;
    for (const auto& record : set) ids.push_back(record.id);
    return ids;
}

QZP::DirectoryService& Directory() {
    static QZP::DirectoryService directory(
        {
            MakeUser(1, L"zhang", L"张三", L"北京科技有限公司", 4),
            MakeUser(2, L"li", L"李四", L"上海贸易", 2),
            MakeUser(3, L"wang", L"王五", L"北京贸易", 0),
            MakeUser(4, L"zhao", L"张小三", L"广州", 3),
            MakeUser(5, L"zhangsan", L"Zhang", L"北京", 5),
            MakeUser(6, L"sun", L"孙", L"", 1),
        },
        {
            MakeZone(10, L"北京商圈", 0),
            MakeZone(11, L"上海商圈", 1),
            MakeZone(12, L"北京餐饮", 1),
            MakeZone(13, L"深圳", 2),
        });
    return directory;
}

}  // namespace

TEST(DirectoryService, MatchesEachQueryKind) {
    const struct {
        SearchQuery query;
        std::vector<std::uint64_t> ids;
    } cases[] = {
        {Q(Kind::OnlineUsers), {1, 2, 4}},  // states 2..4 only
        {Q(Kind::UsersByCompany, L"北京"), {1, 3, 5}},
        {Q(Kind::UsersByCompany, L"贸易"), {2, 3}},
        {Q(Kind::UsersByEID, L"zhang"), {1}},  // exact: not "zhangsan"
        {Q(Kind::UsersByEID, L"zhan"), {}},
        {Q(Kind::UsersByEID, L"Zhang"), {}},
        {Q(Kind::UsersByEID, L" zhang"), {}},
        {Q(Kind::UsersByNick, L"张"), {1, 4}},
        {Q(Kind::UsersByNick, L"三"), {1, 4}},
        {Q(Kind::UsersByNick, L"Zh"), {5}},
        {Q(Kind::UsersByNick, L"不存在"), {}},
        {Q(Kind::ZoneByID, L"", 12), {12}},
        {Q(Kind::ZoneByID, L"", 99), {}},
        {Q(Kind::Zone, L"北京"), {10, 12}},
        {Q(Kind::Zone, L"北京", 0, 1), {12}},
        {Q(Kind::Zone, L"", 0, 1), {11, 12}},  // empty name with an industry: all of it
        {Q(Kind::Zone, L"商圈", 0, 2), {}},
        {Q(Kind::Zone, L"", 0, 0xFFFF), {10, 11, 12, 13}},
    };
    for (const auto& c : cases) {
        const auto found = c.query.IsUserQuery() ? Ids(Directory().MatchUsers(c.query))
                                                 : Ids(Directory().MatchZones(c.query));
        EXPECT_EQ(found, c.ids) << "kind " << static_cast<int>(c.query.kind) << " industry "
                                << c.query.industry;
        // A query never matches records of the other kind.
        EXPECT_TRUE(c.query.IsUserQuery() ? Directory().MatchZones(c.query).empty()
                                          : Directory().MatchUsers(c.query).empty());
    }
}

TEST(DirectoryService, KeepsTheFirstRecordOfAnId) {
    QZP::DirectoryService directory;
    EXPECT_TRUE(directory.AddUser(MakeUser(1, L"a", L"first", L"", 4)));
    EXPECT_FALSE(directory.AddUser(MakeUser(1, L"b", L"second", L"", 4)));
    EXPECT_TRUE(directory.AddZone(MakeZone(1, L"zone", 0)));
    EXPECT_FALSE(directory.AddZone(MakeZone(1, L"other", 0)));
    EXPECT_EQ(directory.UserCount(), 1u);
    EXPECT_EQ(directory.ZoneCount(), 1u);
    EXPECT_EQ(directory.MatchUsers(Q(Kind::UsersByNick, L"first")).size(), 1u);
    EXPECT_TRUE(directory.MatchUsers(Q(Kind::UsersByNick, L"second")).empty());
}

// Twelve users match; the same query sent again and again walks them batch by batch.
TEST(DirectoryService, SendingTheSameQueryAgainReturnsTheFollowingBatch) {
    QZP::DirectoryService directory;
    for (std::uint64_t id = 100; id < 112; ++id) {
        directory.AddUser(MakeUser(id, L"a" + std::to_wstring(id), L"用户" + std::to_wstring(id),
                                   L"", 4));
    }
    directory.AddUser(MakeUser(500, L"other", L"别人", L"", 4));

    using Batches = std::vector<std::vector<std::uint64_t>>;
    const struct {
        std::size_t batchSize, overlap;
        Batches batches;  // one per send; the last send after the empty one starts over
    } cases[] = {
        {5, 0, {{100, 101, 102, 103, 104}, {105, 106, 107, 108, 109}, {110, 111}, {}, {100, 101, 102, 103, 104}}},
        {5, 2, {{100, 101, 102, 103, 104}, {103, 104, 105, 106, 107}, {106, 107, 108, 109, 110}, {109, 110, 111}, {}, {100, 101, 102, 103, 104}}},
        {3, 9, {{100, 101, 102}, {101, 102, 103}, {102, 103, 104}}},  // overlap kept below the batch
        {0, 0, {{100}, {101}}},                                       // a batch holds a record at least
        {12, 0, {{100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111}, {}}},
    };
    for (const auto& c : cases) {
        QZP::TransportSettings settings;
        settings.batchSize = c.batchSize;
        settings.overlap = c.overlap;
        QZP::QZTransmit transport(directory, settings);
        Recorder recorder(&transport);
        QZP::QZCommandSearch command(&transport, &recorder);
        for (std::size_t i = 0; i < c.batches.size(); ++i) {
            ASSERT_EQ(command.SearchUsersByNick(L"用户"), QZP::CE_OK);
            ASSERT_TRUE(recorder.WaitFor(i + 1));
            const auto call = recorder.Calls()[i];
            EXPECT_TRUE(call.ok);
            EXPECT_EQ(call.ids, c.batches[i]) << "batch " << c.batchSize << " overlap "
                                              << c.overlap << " send " << i;
        }
    }
}

TEST(DirectoryService, ZoneQueriesPageAndAnswerThroughTheZoneCallback) {
    QZP::DirectoryService directory({}, {MakeZone(1, L"甲", 3), MakeZone(2, L"乙", 3),
                                         MakeZone(3, L"丙", 4), MakeZone(4, L"丁", 3)});
    QZP::TransportSettings settings;
    settings.batchSize = 2;
    QZP::QZTransmit transport(directory, settings);
    Recorder recorder(&transport);
    QZP::QZCommandSearch command(&transport, &recorder);
    ASSERT_EQ(command.SearchZone(L"", 3), QZP::CE_OK);
    ASSERT_TRUE(recorder.WaitFor(1));
    ASSERT_EQ(command.SearchZone(L"", 3), QZP::CE_OK);
    ASSERT_TRUE(recorder.WaitFor(2));
    ASSERT_EQ(command.SearchZoneByID(3), QZP::CE_OK);
    ASSERT_TRUE(recorder.WaitFor(3));
    const auto calls = recorder.Calls();
    const std::vector<std::vector<std::uint64_t>> expected = {{1, 2}, {4}, {3}};
    for (std::size_t i = 0; i < calls.size(); ++i) {
        EXPECT_FALSE(calls[i].user);
        EXPECT_TRUE(calls[i].ok);
        EXPECT_EQ(calls[i].ids, expected[i]);
    }
}
