// Tables of texts, one per language, indexed by an identifier enum. Each entry names its
// identifier, so a table that misses one or is out of order is refused when it is compiled.
#pragma once
#include <cstddef>

template <typename Id>
struct TextEntry {
    Id id;
    const char16_t* text;
};

// True when `table` holds exactly `Count` entries, the one for identifier i at index i.
template <size_t Count, typename Id, size_t N>
constexpr bool HasEveryIdentifierInOrder(const TextEntry<Id> (&table)[N]) {
    if (N != Count)
        return false;
    for (size_t i = 0; i < N; ++i) {
        if (static_cast<size_t>(table[i].id) != i)
            return false;
    }
    return true;
}
