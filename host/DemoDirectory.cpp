#include "DemoDirectory.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr int kUserCount = 320;
constexpr int kZoneCount = 150;
constexpr std::uint64_t kFirstUserId = 200100;
constexpr std::uint64_t kFirstZoneId = 800001;

// A small generator of our own: std::mt19937 is portable but its distributions are not, and the
// tour relies on the same directory on every compiler.
class Random {
public:
    explicit Random(std::uint32_t seed) : m_state(seed ? seed : 1) {}
    std::uint32_t Next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    std::size_t Below(std::size_t n) { return Next() % n; }
    template <std::size_t N>
    const wchar_t* Pick(const wchar_t* const (&items)[N]) { return items[Below(N)]; }

private:
    std::uint32_t m_state;
};

struct Syllable {
    const wchar_t* hanzi;
    const wchar_t* pinyin;
};

const Syllable kSurnames[] = {
    {L"王", L"wang"}, {L"李", L"li"},   {L"张", L"zhang"}, {L"刘", L"liu"},   {L"陈", L"chen"},
    {L"杨", L"yang"}, {L"黄", L"huang"}, {L"赵", L"zhao"}, {L"吴", L"wu"},    {L"周", L"zhou"},
    {L"徐", L"xu"},   {L"孙", L"sun"},  {L"马", L"ma"},    {L"朱", L"zhu"},   {L"胡", L"hu"},
    {L"郭", L"guo"},  {L"何", L"he"},   {L"林", L"lin"},   {L"罗", L"luo"},   {L"高", L"gao"},
};
const Syllable kGiven[] = {
    {L"伟", L"wei"},  {L"芳", L"fang"}, {L"娜", L"na"},    {L"敏", L"min"},  {L"静", L"jing"},
    {L"丽", L"li"},   {L"强", L"qiang"}, {L"磊", L"lei"},  {L"军", L"jun"},  {L"洋", L"yang"},
    {L"勇", L"yong"}, {L"艳", L"yan"},  {L"杰", L"jie"},   {L"涛", L"tao"},  {L"明", L"ming"},
    {L"超", L"chao"}, {L"秀", L"xiu"},  {L"霞", L"xia"},   {L"平", L"ping"}, {L"刚", L"gang"},
    {L"华", L"hua"},  {L"婷", L"ting"}, {L"鹏", L"peng"},  {L"欣", L"xin"},
};
const wchar_t* const kPhrases[] = {
    L"快乐的鱼", L"追风少年", L"清风徐来", L"海阔天空", L"蓝色天空", L"简单生活", L"阳光男孩",
    L"静水流深", L"一叶知秋", L"星辰大海", L"晨曦微露", L"半夏微凉", L"小城故事", L"老顽童",
    L"大漠孤烟", L"南山南",   L"北极星",   L"听雨轩",   L"风中的小草", L"创业者",
};
const wchar_t* const kCities[] = {L"北京", L"上海", L"广州", L"深圳", L"杭州",
                                  L"南京", L"成都", L"武汉", L"西安", L"苏州"};
const wchar_t* const kBrands[] = {L"华信", L"恒达", L"新源", L"宏图", L"东方", L"金桥",
                                  L"天成", L"瑞丰", L"博远", L"中科", L"嘉禾", L"永盛"};
const wchar_t* const kTrades[] = {L"科技", L"电子", L"贸易", L"实业", L"网络",
                                  L"传媒", L"物流", L"软件", L"教育", L"餐饮"};
const wchar_t* const kCompanySuffixes[] = {L"有限公司", L"股份有限公司", L"集团"};
const wchar_t* const kDepartments[] = {L"市场部", L"销售部", L"技术部", L"财务部", L"总经办", L"采购部"};
const wchar_t* const kTitles[] = {L"经理", L"主管", L"工程师", L"专员", L"总监", L"助理"};
const wchar_t* const kSignatures[] = {L"诚信为本，合作共赢", L"今天也要加油", L"有事请留言",
                                      L"专注做好一件事", L"欢迎洽谈合作", L""};

const wchar_t* const kIndustries[] = {L"信息技术", L"电子商务", L"金融投资", L"房地产",
                                      L"教育培训", L"医疗健康", L"餐饮美食", L"服装纺织",
                                      L"物流运输", L"文化传媒", L"制造加工", L"旅游酒店"};
const wchar_t* const kZoneWords[] = {L"创业", L"外贸", L"电商", L"设计", L"摄影", L"美食",
                                     L"服装", L"物流", L"教育", L"投资", L"健康", L"互联网"};
const wchar_t* const kZoneSuffixes[] = {L"联盟", L"商会", L"俱乐部", L"交流圈", L"商圈", L"协会"};

std::wstring ThreeDigits(int n) {
    std::wstring s = std::to_wstring(n % 1000);
    return std::wstring(3 - s.size(), L'0') + s;
}

}  // namespace

DemoDirectory::DemoDirectory(std::uint32_t seed) {
    Random random(seed);
    m_industries.assign(std::begin(kIndustries), std::end(kIndustries));

    for (int i = 0; i < kUserCount; ++i) {
        UserInfo user;
        user.id = kFirstUserId + static_cast<std::uint64_t>(i) * 7;
        const Syllable& surname = kSurnames[random.Below(std::size(kSurnames))];
        const Syllable& given = kGiven[random.Below(std::size(kGiven))];
        const Syllable& given2 = kGiven[random.Below(std::size(kGiven))];
        user.realName = std::wstring(surname.hanzi) + given.hanzi + given2.hanzi;
        user.account = std::wstring(surname.pinyin) + given.pinyin + ThreeDigits(i + 1);
        switch (random.Below(4)) {
        case 0: user.nickname = std::wstring(L"小") + given.hanzi; break;
        case 1: user.nickname = user.realName; break;
        case 2: user.nickname = random.Pick(kPhrases); break;
        default: user.nickname = std::wstring(L"阿") + given2.hanzi; break;
        }
        user.company = std::wstring(random.Pick(kCities)) + random.Pick(kBrands) +
                       random.Pick(kTrades) + random.Pick(kCompanySuffixes);
        user.department = random.Pick(kDepartments);
        user.title = random.Pick(kTitles);
        user.signature = random.Pick(kSignatures);
        user.email = user.account + L"@example.com";
        user.gender = static_cast<std::int16_t>(random.Below(2) + 1);
        user.age = static_cast<std::uint8_t>(20 + random.Below(36));
        // Roughly 40% online, 20% away, 10% busy, 30% offline.
        const std::size_t roll = random.Below(10);
        user.state = roll < 4 ? 4 : roll < 6 ? 2 : roll < 7 ? 3 : 0;
        m_users.push_back(user);
    }

    for (int i = 0; i < kZoneCount; ++i) {
        ZoneInfo zone;
        zone.id = kFirstZoneId + static_cast<std::uint64_t>(i) * 3;
        zone.name = std::wstring(random.Pick(kCities)) + random.Pick(kZoneWords) + random.Pick(kZoneSuffixes);
        zone.industry = static_cast<std::uint16_t>(random.Below(m_industries.size()));
        zone.memberCount = static_cast<std::int32_t>(5 + random.Below(495));
        zone.sortKey = static_cast<std::int32_t>(random.Below(100));
        zone.isPublic = 1;
        zone.allowSearch = 1;
        zone.description = zone.name + L"：" + m_industries[zone.industry] + L"同行交流、资源对接。";
        m_zones.push_back(zone);
    }

    // The signed-in user shares the common fragment with many others, so a search for it shows
    // the user's own row on the second page.
    const auto common = UsersByNick(CommonNickFragment());
    m_selfId = common.size() > 15 ? common[15]->id : m_users.front().id;
    if (common.size() > 17) m_initialFriends.push_back(common[17]->id);
    m_initialFriends.push_back(m_users[3].id);
    m_initialFriends.push_back(m_users[40].id);
    m_initialZones.push_back(m_zones[0].id);
    m_initialZones.push_back(m_zones[7].id);
}

const UserInfo* DemoDirectory::FindUser(std::uint64_t id) const {
    auto it = std::find_if(m_users.begin(), m_users.end(), [id](const UserInfo& u) { return u.id == id; });
    return it == m_users.end() ? nullptr : &*it;
}

const ZoneInfo* DemoDirectory::FindZone(std::uint64_t id) const {
    auto it = std::find_if(m_zones.begin(), m_zones.end(), [id](const ZoneInfo& z) { return z.id == id; });
    return it == m_zones.end() ? nullptr : &*it;
}

std::vector<const UserInfo*> DemoDirectory::UsersByNick(const std::wstring& text) const {
    std::vector<const UserInfo*> found;
    for (const UserInfo& user : m_users)
        if (user.nickname.find(text) != std::wstring::npos) found.push_back(&user);
    return found;
}

std::vector<const ZoneInfo*> DemoDirectory::ZonesByName(const std::wstring& name,
                                                        std::uint16_t industry) const {
    std::vector<const ZoneInfo*> found;
    for (const ZoneInfo& zone : m_zones) {
        if (industry != 0xFFFF && zone.industry != industry) continue;
        if (zone.name.find(name) != std::wstring::npos) found.push_back(&zone);
    }
    return found;
}
