// Merging a batch from the protocol library into a result store (UserInfoSet, ZoneInfoSet): each
// record goes to the end of index 0, the arrival order, unless index 1, the identifier, already
// holds its identifier. The pages over a store are kept by TabResults.
#pragma once

#include <cstddef>
#include <iterator>

// Appends the records of a batch from `next` on, in the batch's arrival order, at most `limit` of
// them, to the end of `store`; counts in `added` those that were new, and returns where it stopped.
// A record whose identifier is already stored is refused by the id index: the stored record keeps
// its place and its first-arrived fields. If copying a record throws, the records appended before
// it stay (and are counted), and the exception goes on.
//
// Each record is inserted through the identifier index with its end as the hint. The indices share
// one end node, so every ordered index takes the hint: a record that sorts after its last record
// there (a batch in ascending identifiers, of one state) is linked after one comparison instead of
// a walk down from the root, which clang compiles without a branch, so that each level waits for
// the key it compares; elsewhere the record is placed or refused as without a hint. Either way it
// goes to the end of the arrival order, as a push_back there would.
template <class Set, class Iterator>
Iterator AppendRecords(Set& store, Iterator next, Iterator end, std::size_t limit, std::size_t& added) {
    auto& byId = store.template get<1>();
    // When batch and store are one object every insertion is refused, so walking the batch while
    // inserting into it is safe.
    for (std::size_t n = 0; n < limit && next != end; ++n, ++next) {
        const std::size_t before = byId.size();
        byId.insert(byId.end(), *next);
        if (byId.size() != before) {
            ++added;
        }
    }
    return next;
}

// Takes the last `count` records of the arrival order out again: new records only ever go to the
// end, so these are the ones the latest merges added.
template <class Set>
void RemoveLast(Set& store, std::size_t count) {
    auto& arrival = store.template get<0>();
    arrival.erase(std::prev(arrival.end(), static_cast<std::ptrdiff_t>(count)), arrival.end());
}
