#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Sorts table[first..last] in place, ascending by character code (a
// partition around the middle entry's value, then each side in turn).
void QuickSort(std::vector<std::string>& table, std::int32_t first, std::int32_t last);
