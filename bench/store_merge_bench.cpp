// Cost of merging one result batch into a store, against the floor of copying the same batch into
// a reserved vector; the cost of a page turn at the start, middle and end of a 100k store; and the
// memory a stored record takes in a store against in a vector.
//
//   store_merge_bench                        every case
//   store_merge_bench --benchmark_filter=Footprint
//   store_merge_bench --benchmark_filter=PageTurn
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <map>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "SearchRecords.h"
#include "TabResults.h"

// ---- Allocation accounting ----------------------------------------------------------------------
// Every block carries its requested size in a header, so live bytes can be tracked across frees.
// The figures count requested bytes only; the allocator's own per-block overhead comes on top.

namespace {

constexpr std::size_t kHeader = alignof(std::max_align_t);
std::atomic<std::int64_t> g_liveBytes{0};
std::atomic<std::int64_t> g_liveBlocks{0};

void* CountedAlloc(std::size_t size) noexcept {
    void* raw = std::malloc(size + kHeader);
    if (raw == nullptr) {
        return nullptr;
    }
    *static_cast<std::size_t*>(raw) = size;
    g_liveBytes.fetch_add(static_cast<std::int64_t>(size), std::memory_order_relaxed);
    g_liveBlocks.fetch_add(1, std::memory_order_relaxed);
    return static_cast<char*>(raw) + kHeader;
}

void CountedFree(void* p) noexcept {
    if (p == nullptr) {
        return;
    }
    char* raw = static_cast<char*>(p) - kHeader;
    g_liveBytes.fetch_sub(static_cast<std::int64_t>(*reinterpret_cast<std::size_t*>(raw)),
                          std::memory_order_relaxed);
    g_liveBlocks.fetch_sub(1, std::memory_order_relaxed);
    std::free(raw);
}

void* CountedAllocOrThrow(std::size_t size) {
    if (void* p = CountedAlloc(size)) {
        return p;
    }
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return CountedAllocOrThrow(size); }
void* operator new[](std::size_t size) { return CountedAllocOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return CountedAlloc(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return CountedAlloc(size); }
void operator delete(void* p) noexcept { CountedFree(p); }
void operator delete[](void* p) noexcept { CountedFree(p); }
void operator delete(void* p, std::size_t) noexcept { CountedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { CountedFree(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { CountedFree(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { CountedFree(p); }

namespace {

// ---- Realistic records --------------------------------------------------------------------------

constexpr std::size_t kBatchSize = 1000;

// A bijection on 64-bit values: distinct inputs give distinct, well scattered identifiers.
std::uint64_t ScatteredId(std::uint64_t n) {
    n += 0x9E3779B97F4A7C15ull;
    n = (n ^ (n >> 30)) * 0xBF58476D1CE4E5B9ull;
    n = (n ^ (n >> 27)) * 0x94D049BB133111EBull;
    return n ^ (n >> 31);
}

template <std::size_t N>
const wchar_t* Pick(std::mt19937& rng, const wchar_t* const (&pool)[N]) {
    return pool[std::uniform_int_distribution<std::size_t>(0, N - 1)(rng)];
}

UserInfo MakeRealisticUser(std::uint64_t id, std::mt19937& rng) {
    static const wchar_t* const kSurnames[] = {L"王", L"李", L"张", L"刘", L"陈", L"杨", L"黄", L"赵",
                                               L"周", L"吴", L"徐", L"孙", L"欧阳", L"司马"};
    static const wchar_t* const kGiven[] = {L"伟", L"芳", L"娜", L"秀英", L"敏", L"静", L"丽", L"强",
                                            L"磊", L"晓明", L"志强", L"海燕", L"建华", L"雪梅"};
    static const wchar_t* const kNicks[] = {L"小鱼儿", L"阳光灿烂", L"追风少年", L"静待花开", L"老李",
                                            L"蓝色天空", L"一路向北", L"快乐每一天", L"大漠孤烟"};
    static const wchar_t* const kCities[] = {L"北京", L"上海", L"深圳", L"杭州", L"广州", L"成都", L"武汉"};
    static const wchar_t* const kBrands[] = {L"华信", L"宏达", L"金鼎", L"中科创新", L"天成", L"恒通",
                                             L"瑞丰", L"博远"};
    static const wchar_t* const kTrades[] = {L"网络科技", L"电子", L"贸易", L"信息技术", L"机械设备",
                                             L"文化传媒", L"物流"};
    static const wchar_t* const kDepartments[] = {L"市场部", L"销售部", L"研发中心", L"人力资源部", L"财务部"};
    static const wchar_t* const kTitles[] = {L"经理", L"销售经理", L"工程师", L"总监", L"主管"};
    static const wchar_t* const kSignatures[] = {L"每天进步一点点", L"诚信为本，合作共赢",
                                                 L"专业提供各类电子元器件，欢迎洽谈", L"忙碌中，请留言"};
    static const wchar_t* const kSchools[] = {L"浙江大学", L"华中科技大学", L"北京理工大学", L"四川大学"};
    static const std::int32_t kStates[] = {0, 0, 2, 3, 4, 4};

    std::uniform_int_distribution<int> percent(0, 99);
    UserInfo user;
    user.id = id;
    user.account = L"user" + std::to_wstring(id % 100000000);
    const std::wstring realName = std::wstring(Pick(rng, kSurnames)) + Pick(rng, kGiven);
    user.nickname = percent(rng) < 50 ? realName : std::wstring(Pick(rng, kNicks));
    user.realName = realName;
    user.company = std::wstring(Pick(rng, kCities)) + Pick(rng, kBrands) + Pick(rng, kTrades) + L"有限公司";
    user.gender = static_cast<std::int16_t>(percent(rng) % 2);
    user.age = static_cast<std::uint8_t>(20 + percent(rng) % 40);
    user.department = Pick(rng, kDepartments);
    user.title = Pick(rng, kTitles);
    user.province = percent(rng) % 34;
    user.city = percent(rng);
    user.mobile = L"138" + std::to_wstring(10000000 + id % 90000000);
    user.email = user.account + L"@example.com";
    if (percent(rng) < 30) {
        user.signature = Pick(rng, kSignatures);
    }
    user.state = kStates[percent(rng) % 6];
    user.faceId = percent(rng);
    user.lastLogin = 1700000000;
    if (percent(rng) < 20) {
        user.extInfo.school = Pick(rng, kSchools);
    }
    // A few users have a 32 x 32 custom picture.
    if (percent(rng) < 5) {
        user.picture = CustomPic(32, 32, std::vector<std::uint32_t>(32 * 32, 0xFF80A0C0u));
    }
    user.registerTime = 1262304000ll + static_cast<std::int64_t>(id % 400000000);
    return user;
}

// Store of `size` users with the identifiers ScatteredId(0 .. size-1), built once and kept: every
// merge benchmark takes its additions out again, so the store is back to this state afterwards.
UserInfoSet& BaseStore(std::size_t size) {
    static std::map<std::size_t, UserInfoSet> stores;
    auto found = stores.find(size);
    if (found != stores.end()) {
        return found->second;
    }
    std::mt19937 rng(static_cast<unsigned>(size) + 1);
    UserInfoSet& store = stores[size];
    for (std::size_t i = 0; i < size; ++i) {
        store.push_back(MakeRealisticUser(ScatteredId(i), rng));
    }
    return store;
}

// A batch of kBatchSize users of which dupPercent percent repeat identifiers of the base store of
// `storeSize`, spread evenly through the batch; the others are new to it.
UserInfoSet MakeBatch(std::size_t storeSize, int dupPercent) {
    std::mt19937 rng(12345);
    UserInfoSet batch;
    std::size_t nextNew = storeSize;
    for (std::size_t i = 0; i < kBatchSize; ++i) {
        const bool duplicate = storeSize > 0 && static_cast<int>(i % 100) < dupPercent;
        const std::uint64_t n = duplicate ? (i * 7919) % storeSize : nextNew++;
        batch.push_back(MakeRealisticUser(ScatteredId(n), rng));
    }
    return batch;
}

// ---- Time ---------------------------------------------------------------------------------------

// One batch received by a tab in front whose store holds `store` records, `dup%` of the batch
// already among them: the merge the protocol thread runs for every reply. The tab is filled
// afresh outside the timing before each iteration, so each one merges into the same store.
void BM_Receive(benchmark::State& state) {
    const auto storeSize = static_cast<std::size_t>(state.range(0));
    const auto dupPercent = static_cast<int>(state.range(1));
    const UserInfoSet& base = BaseStore(storeSize);
    const UserInfoSet batch = MakeBatch(storeSize, dupPercent);

    TabResults<UserInfoSet> results;
    results.SetShown(true);
    for (auto _ : state) {
        state.PauseTiming();
        results.Abandon();
        results.Receive(true, base);
        state.ResumeTiming();
        benchmark::DoNotOptimize(results.Receive(true, batch));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * batch.size()));
    state.counters["new_records"] = results.NewCount();
}
BENCHMARK(BM_Receive)
    ->ArgNames({"store", "dup%"})
    ->Args({0, 0})
    ->Args({10000, 0})
    ->Args({10000, 50})
    ->Args({100000, 0})
    ->Args({100000, 50})
    ->Iterations(50)
    ->Unit(benchmark::kMicrosecond);

// The floor: the same batch copied record by record into a vector with room for it.
void BM_CopyBatchToVector(benchmark::State& state) {
    const UserInfoSet batch = MakeBatch(0, 0);
    std::vector<UserInfo> copies;
    copies.reserve(batch.size());
    for (auto _ : state) {
        for (const UserInfo& user : batch) {
            copies.push_back(user);
        }
        benchmark::DoNotOptimize(copies.data());
        state.PauseTiming();
        copies.clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * batch.size()));
}
BENCHMARK(BM_CopyBatchToVector)->Unit(benchmark::kMicrosecond);

// ---- Page turns ---------------------------------------------------------------------------------
// One iteration turns forward from the page at `position` of a 100k store and back again, reading
// the ten rows each time, as the window does for Next and Previous.

constexpr std::size_t kPagedRecords = 100000;

// The page at `position`, kept one page short of the end so there is always a page to turn to.
std::size_t TurnPage(std::size_t position) {
    const std::size_t last = kPagedRecords / kResultRowsPerPage - 1;
    return std::min(position / kResultRowsPerPage, last - 1);
}

void BM_PageTurn(benchmark::State& state) {
    const auto position = static_cast<std::size_t>(state.range(0));
    TabResults<UserInfoSet> results;
    results.SetShown(true);
    results.Receive(true, BaseStore(kPagedRecords));
    for (std::size_t p = 0; p < TurnPage(position); ++p) {
        results.AdvanceFrom(TabResults<UserInfoSet>::kPageSize);
    }
    for (auto _ : state) {
        results.AdvanceFrom(TabResults<UserInfoSet>::kPageSize);
        benchmark::DoNotOptimize(results.PageRecords());
        results.PreviousPage();
        benchmark::DoNotOptimize(results.PageRecords());
    }
    state.counters["page"] = static_cast<double>(results.Page());
}
BENCHMARK(BM_PageTurn)->ArgName("position")->Arg(0)->Arg(50000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// For comparison: reaching each page by walking the arrival order from the nearer end, as pages
// were reached before the page shown kept its position.
void BM_PageTurnByWalking(benchmark::State& state) {
    const std::size_t page = TurnPage(static_cast<std::size_t>(state.range(0)));
    const UserInfoSet& store = BaseStore(kPagedRecords);
    for (auto _ : state) {
        for (std::size_t p : {page + 1, page}) {
            const std::size_t first = p * kResultRowsPerPage;
            const auto begin = first <= store.size() / 2
                                   ? std::next(store.begin(), static_cast<std::ptrdiff_t>(first))
                                   : std::prev(store.end(), static_cast<std::ptrdiff_t>(store.size() - first));
            std::vector<UserInfo> rows(begin, std::next(begin, kResultRowsPerPage));
            benchmark::DoNotOptimize(rows.data());
        }
    }
}
BENCHMARK(BM_PageTurnByWalking)->ArgName("position")->Arg(0)->Arg(50000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// ---- Memory -------------------------------------------------------------------------------------
// Only the counters of these two matter; their times include first use of fresh pages.

constexpr std::size_t kFootprintRecords = 100000;

std::vector<UserInfoSet> FootprintBatches() {
    std::vector<UserInfoSet> batches;
    std::mt19937 rng(777);
    for (std::size_t b = 0; b < kFootprintRecords / kBatchSize; ++b) {
        UserInfoSet batch;
        for (std::size_t i = 0; i < kBatchSize; ++i) {
            batch.push_back(MakeRealisticUser(ScatteredId(b * kBatchSize + i), rng));
        }
        batches.push_back(std::move(batch));
    }
    return batches;
}

void ReportFootprint(benchmark::State& state, std::int64_t bytes, std::int64_t blocks) {
    state.counters["bytes_per_record"] = static_cast<double>(bytes) / kFootprintRecords;
    state.counters["blocks_per_record"] = static_cast<double>(blocks) / kFootprintRecords;
    state.counters["sizeof_UserInfo"] = sizeof(UserInfo);
}

void BM_Footprint100kStore(benchmark::State& state) {
    const std::vector<UserInfoSet> batches = FootprintBatches();
    for (auto _ : state) {
        const std::int64_t bytesBefore = g_liveBytes.load();
        const std::int64_t blocksBefore = g_liveBlocks.load();
        TabResults<UserInfoSet> store;
        store.SetShown(true);
        for (const UserInfoSet& batch : batches) {
            store.Receive(true, batch);
        }
        ReportFootprint(state, g_liveBytes.load() - bytesBefore, g_liveBlocks.load() - blocksBefore);
        state.PauseTiming();
        store.Abandon();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Footprint100kStore)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_Footprint100kVector(benchmark::State& state) {
    const std::vector<UserInfoSet> batches = FootprintBatches();
    for (auto _ : state) {
        const std::int64_t bytesBefore = g_liveBytes.load();
        const std::int64_t blocksBefore = g_liveBlocks.load();
        std::vector<UserInfo> records;
        records.reserve(kFootprintRecords);
        for (const UserInfoSet& batch : batches) {
            records.insert(records.end(), batch.begin(), batch.end());
        }
        ReportFootprint(state, g_liveBytes.load() - bytesBefore, g_liveBlocks.load() - blocksBefore);
        state.PauseTiming();
        records = std::vector<UserInfo>();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Footprint100kVector)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
