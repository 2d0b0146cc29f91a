#include "settings/loop_entries.h"

#include "platform/text.h"
#include "settings/registry_values.h"

#include <algorithm>
#include <string>

namespace brixtel {
namespace {

// Values longer than this are cut, as the entry buffer has always been this size.
constexpr std::size_t kEntryCharacters = 256;
constexpr std::wstring_view kPlaceholder = L"dummy value";

std::vector<std::wstring_view> fields_of(std::wstring_view text) {
    std::vector<std::wstring_view> fields;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = text.find_first_not_of(L" \n", pos);
        if (start == std::wstring_view::npos)
            break;
        const std::size_t end = std::min(text.find_first_of(L" \n", start), text.size());
        fields.push_back(text.substr(start, end - start));
        pos = end;
    }
    return fields;
}

bool is_digit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// "loop" or "loop.pcu"; a dot without a digit after it leaves the PCU unset.
void read_loop_field(std::wstring_view field, StoredLoopEntry& entry) {
    entry.loop = integer_of_piece(field);
    const std::size_t dot = field.find(L'.');
    if (dot != std::wstring_view::npos && dot + 1 < field.size() && is_digit(field[dot + 1]))
        entry.pcu = integer_of_piece(field.substr(dot + 1));
}

std::optional<std::uint32_t> registry_count(Registry& registry) {
    auto key = registry.open(RegistryRoot::CurrentUser, keys::LoopEntries, RegistryAccess::Read);
    std::uint32_t count = 0;
    if (!key || !read_number(*key, values::NumberOfLoopEntries, count))
        return std::nullopt;
    return count;
}

} // namespace

std::optional<StoredLoopEntry> parse_loop_entry_text(std::wstring_view text) {
    const auto fields = fields_of(text);
    if (fields.empty())
        return std::nullopt;
    StoredLoopEntry entry;
    read_loop_field(fields[0], entry);
    if (fields.size() == 2) {
        entry.host = fields[1];
    } else if (fields.size() >= 3) {
        entry.remote_port = static_cast<std::uint32_t>(integer_of_piece(fields[1]));
        entry.host = fields[2];
    }
    return entry;
}

std::vector<StoredLoopEntry> read_stored_loop_entries(Registry& registry, PrivateProfile& profile) {
    const std::uint32_t stored = registry_count(registry).value_or(static_cast<std::uint32_t>(
        profile.read_integer(kProfileSection, values::NumberOfLoopEntries, 0)));
    const std::uint32_t count = std::min(stored, kMaxStoredLoopEntries);
    std::vector<StoredLoopEntry> entries;
    for (std::uint32_t i = 1; i <= count; ++i) {
        const std::wstring name = std::wstring(values::LoopEntryPrefix) + std::to_wstring(i);
        const std::wstring text = read_loop_entry(registry, profile, name, L"", kEntryCharacters);
        if (text == kPlaceholder)
            continue;
        if (auto entry = parse_loop_entry_text(text))
            entries.push_back(std::move(*entry));
    }
    return entries;
}

} // namespace brixtel
