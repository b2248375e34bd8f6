// Merging a batch from the protocol library into a result store (UserInfoSet, ZoneInfoSet),
// through index 0, the arrival order. The pages over a store are kept by TabResults.
#pragma once

#include <cstddef>
#include <iterator>
#include <utility>

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
