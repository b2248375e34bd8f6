// Operations the search window performs on its result stores (UserInfoSet, ZoneInfoSet): merging
// a batch from the protocol library, and reaching records by arrival position for the ten-row
// pages. Every function works through index 0, the arrival order.
#pragma once

#include <cstddef>
#include <algorithm>
#include <iterator>
#include <utility>

constexpr std::size_t kResultRowsPerPage = 10;

// Appends every record of `batch`, in the batch's arrival order, to the end of `store` and returns
// how many were new. A record whose identifier is already stored is refused by the id index: the
// stored record keeps its place and its first-arrived fields.
//
// All or nothing: if copying a record throws (allocation), the records this call had already
// added are taken out again before the exception goes on, so the store is exactly as it was and
// never holds records the caller was not told about.
template <class Set>
int MergeBatch(Set& store, const Set& batch) {
    auto& arrival = store.template get<0>();
    std::size_t added = 0;
    try {
        // When batch and store are one object every push_back is refused, so walking the batch
        // while inserting into it is safe.
        for (const auto& record : batch.template get<0>()) {
            if (arrival.push_back(record).second) {
                ++added;
            }
        }
    } catch (...) {
        // New records only ever go to the end, so the ones to undo are the last `added`.
        arrival.erase(std::prev(arrival.end(), static_cast<std::ptrdiff_t>(added)), arrival.end());
        throw;
    }
    return static_cast<int>(added);
}

// The record at zero-based arrival position n, or end() when n >= size(); never walks past end().
// The walk is linear, so it starts from whichever end of the arrival order is nearer.
template <class Set>
typename Set::const_iterator PositionAt(const Set& store, std::size_t n) {
    const std::size_t size = store.size();
    if (n >= size) {
        return store.end();
    }
    if (n <= size / 2) {
        return std::next(store.begin(), static_cast<std::ptrdiff_t>(n));
    }
    return std::prev(store.end(), static_cast<std::ptrdiff_t>(size - n));
}

// Pages needed to show every record: 0 for an empty store, and a last page that may be short.
template <class Set>
std::size_t PageCount(const Set& store) {
    return (store.size() + kResultRowsPerPage - 1) / kResultRowsPerPage;
}

// The rows of zero-based page p as [first, last): ten records, fewer on the last page, and an
// empty range at end() for a page past the last. Written so that a huge p cannot overflow p * 10.
template <class Set>
std::pair<typename Set::const_iterator, typename Set::const_iterator> PageRange(const Set& store,
                                                                                std::size_t page) {
    if (page >= PageCount(store)) {
        return {store.end(), store.end()};
    }
    const std::size_t first = page * kResultRowsPerPage;
    const std::size_t rows = std::min(kResultRowsPerPage, store.size() - first);
    const auto begin = PositionAt(store, first);
    return {begin, std::next(begin, static_cast<std::ptrdiff_t>(rows))};
}
