#include "platform/private_profile.h"

#include "platform/case_fold.h"
#include "platform/text.h"

namespace brixtel {
namespace {

std::wstring entry_id(std::wstring_view section, std::wstring_view key) {
    return upper_case(section) + L"\n" + upper_case(key);
}

} // namespace

void MemoryProfile::set(std::wstring_view section, std::wstring_view key, std::wstring_view text) {
    entries_[entry_id(section, key)] = std::wstring(text);
}

const std::wstring* MemoryProfile::find(std::wstring_view section, std::wstring_view key) const {
    const auto found = entries_.find(entry_id(section, key));
    return found == entries_.end() ? nullptr : &found->second;
}

std::wstring MemoryProfile::read_text(std::wstring_view section, std::wstring_view key,
                                      std::wstring_view fallback, std::size_t max_characters) {
    const std::wstring* text = find(section, key);
    std::wstring result(text ? std::wstring_view(*text) : fallback);
    if (max_characters == 0)
        return {};
    if (result.size() > max_characters - 1)
        result.resize(max_characters - 1);
    return result;
}

std::int32_t MemoryProfile::read_integer(std::wstring_view section, std::wstring_view key,
                                         std::int32_t fallback) {
    const std::wstring* text = find(section, key);
    return text ? integer_of_piece(*text) : fallback;
}

} // namespace brixtel
