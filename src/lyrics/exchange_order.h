#pragma once
// The order in which the lyrics' exchange sort leaves a list of times:
//   for i = 0 to last: for j = 0 to i - 1: if time[i] < time[j] then exchange i and j
// Entries of equal time are part of the result: when a smaller time passes a run of equal
// times, the first of the run moves to the run's end. This computes the same order in
// O(n log n), so that a hostile text with a huge number of tags cannot stall the player.

#include <cstdint>
#include <vector>

namespace lumiqo {

// Returns the permutation: result[k] is the input index of the entry that ends at place k.
std::vector<std::size_t> exchangeSortOrder(const std::vector<std::int32_t> &times);

// The exchange sort itself, quadratic; the reference for tests and benchmarks.
std::vector<std::size_t> plainExchangeSortOrder(const std::vector<std::int32_t> &times);

} // namespace lumiqo
