#include "shell/string_table.h"

#include <algorithm>
#include <iterator>

namespace brixtel {

namespace {

// The same list the resource script is generated from; `L""` widens each literal.
constexpr StringEntry table[] = {
#define BRIXTEL_STRING(name, id, text) {id, L"" text},
#include "shell/strings.inc"
#undef BRIXTEL_STRING
};

constexpr bool ascending_and_unique() {
    for (std::size_t i = 1; i < std::size(table); ++i) {
        if (table[i - 1].id >= table[i].id) {
            return false;
        }
    }
    return true;
}

// Lookup is a binary search, so the list must stay in id order.
static_assert(ascending_and_unique(), "strings.inc must list each id once, in ascending order");

} // namespace

std::wstring_view string_text(StringId id) {
    const auto found =
        std::lower_bound(std::begin(table), std::end(table), id,
                         [](const StringEntry& e, StringId wanted) { return e.id < wanted; });
    if (found == std::end(table) || found->id != id) {
        return {};
    }
    return found->text;
}

std::span<const StringEntry> all_strings() {
    return table;
}

} // namespace brixtel
