#include "missions/Global.h"

#include <utility>

void QuickSort(std::vector<std::string>& table, std::int32_t first, std::int32_t last) {
    std::int32_t i = first, j = last;
    const std::string pivot = table[static_cast<std::size_t>((first + last) / 2)];
    while (i <= j) {
        while (table[i] < pivot && i < last) ++i;
        while (pivot < table[j] && j > first) --j;
        if (i <= j) {
            std::swap(table[i], table[j]);
            ++i;
            --j;
        }
    }
    if (first < j) QuickSort(table, first, j);
    if (i < last) QuickSort(table, i, last);
}
