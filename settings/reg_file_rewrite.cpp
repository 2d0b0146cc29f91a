#include "settings/reg_file_rewrite.h"

#include <algorithm>

namespace brixtel {
namespace {

template <typename Unit> Unit ascii_lower(Unit c) {
    return c >= 'A' && c <= 'Z' ? static_cast<Unit>(c - 'A' + 'a') : c;
}

template <typename Unit> std::vector<Unit> units_of(std::wstring_view ascii) {
    return std::vector<Unit>(ascii.begin(), ascii.end());
}

// Appends the line with its first mention of the machine-wide key replaced.
template <typename Unit>
void append_rewritten(std::vector<Unit>& out, std::span<const Unit> line,
                      const std::vector<Unit>& search, const std::vector<Unit>& replacement) {
    std::vector<Unit> lowered(line.begin(), line.end());
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), ascii_lower<Unit>);
    const auto found = std::search(lowered.begin(), lowered.end(), search.begin(), search.end());
    if (found == lowered.end()) {
        out.insert(out.end(), line.begin(), line.end());
        return;
    }
    const auto at = static_cast<std::size_t>(found - lowered.begin());
    out.insert(out.end(), line.begin(), line.begin() + at);
    out.insert(out.end(), replacement.begin(), replacement.end());
    out.insert(out.end(), line.begin() + at + search.size(), line.end());
}

template <typename Unit> std::vector<Unit> lowered_search() {
    std::vector<Unit> search = units_of<Unit>(kMachineSettingsKeyName);
    std::transform(search.begin(), search.end(), search.begin(), ascii_lower<Unit>);
    return search;
}

std::vector<std::uint8_t> rewrite_8bit(std::span<const std::uint8_t> content) {
    const auto search = lowered_search<std::uint8_t>();
    const auto replacement = units_of<std::uint8_t>(kUserSettingsKeyName);
    std::vector<std::uint8_t> out;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = start;
        while (end < content.size() && end - start < kRegFileLineBytes) {
            if (content[end++] == '\n')
                break;
        }
        append_rewritten<std::uint8_t>(out, content.subspan(start, end - start), search,
                                       replacement);
        start = end;
    }
    return out;
}

std::vector<std::uint8_t> rewrite_utf16(std::span<const std::uint8_t> content) {
    const auto search = lowered_search<char16_t>();
    const auto replacement = units_of<char16_t>(kUserSettingsKeyName);
    std::vector<char16_t> units;
    for (std::size_t i = 0; i + 1 < content.size(); i += 2) {
        const auto unit = static_cast<char16_t>(content[i] | content[i + 1] << 8);
        if (unit != 0xFEFF && unit != 0xFFFE)
            units.push_back(unit);
    }
    std::vector<char16_t> rewritten;
    const std::span<const char16_t> all(units);
    std::size_t start = 0;
    while (start < all.size()) {
        const auto feed = std::find(all.begin() + start, all.end(), u'\n');
        const std::size_t end = feed == all.end() ? all.size() : (feed - all.begin()) + 1;
        append_rewritten<char16_t>(rewritten, all.subspan(start, end - start), search, replacement);
        start = end;
    }
    std::vector<std::uint8_t> out{0xFF, 0xFE};
    for (const char16_t unit : rewritten) {
        out.push_back(static_cast<std::uint8_t>(unit));
        out.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    if (content.size() % 2 != 0) // keep a dangling last byte as it was
        out.push_back(content.back());
    return out;
}

} // namespace

std::vector<std::uint8_t> rewrite_reg_file(std::span<const std::uint8_t> content, bool utf16) {
    return utf16 ? rewrite_utf16(content) : rewrite_8bit(content);
}

} // namespace brixtel
