#include "core/title_info.h"

#include "platform/case_fold.h"
#include "platform/text.h"

#include <algorithm>

namespace brixtel {
namespace {

constexpr std::string_view kVersionKey = "version=";
constexpr std::string_view kZandorKey = "zandor=";
// The loop and port fields were always read into 8-character buffers.
constexpr std::size_t kNumberFieldChars = 7;

// Tokens between "|"; empty ones are skipped, as a token scanner skips runs of separators.
std::vector<std::string_view> tokens_of(std::string_view text) {
    std::vector<std::string_view> tokens;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        const std::size_t end = std::min(text.find('|', pos), text.size());
        if (end > pos)
            tokens.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    return tokens;
}

// The field up to the next comma (or the end); `rest` moves past the comma.
std::string_view next_field(std::string_view& rest) {
    const std::size_t comma = rest.find(',');
    const std::string_view field = rest.substr(0, comma);
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    return field;
}

std::int32_t number_of(std::string_view field) {
    return integer_of_piece(to_wide(field.substr(0, kNumberFieldChars)));
}

TitleLoopEntry entry_of(std::string_view token) {
    // The key is expected at the start; its value begins with the 8th character.
    std::string_view rest =
        token.size() > kZandorKey.size() ? token.substr(kZandorKey.size()) : std::string_view();
    const std::string_view loop_text = next_field(rest).substr(0, kNumberFieldChars);
    const std::string_view host = next_field(rest);
    TitleLoopEntry entry;
    entry.loop = number_of(loop_text);
    const std::size_t dot = loop_text.find('.');
    if (dot != std::string_view::npos)
        entry.pcu = number_of(loop_text.substr(dot + 1));
    entry.host = to_wide(host);
    entry.remote_port = number_of(rest);
    return entry;
}

} // namespace

std::vector<TitleLoopEntry> parse_title_information(std::string_view information) {
    const std::vector<std::string_view> tokens = tokens_of(information);
    std::size_t first = 0;
    if (!tokens.empty() && tokens[0].find(kVersionKey) != std::string_view::npos)
        first = 1;
    std::vector<TitleLoopEntry> entries;
    for (std::size_t i = first; i < tokens.size(); ++i) {
        if (tokens[i].find(kZandorKey) == std::string_view::npos)
            break;
        entries.push_back(entry_of(tokens[i]));
    }
    return entries;
}

std::wstring_view extension_of(std::wstring_view path) {
    const std::size_t slash = path.find_last_of(L"\\/:");
    const std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind(L'.');
    return dot == std::wstring_view::npos ? std::wstring_view() : name.substr(dot);
}

std::optional<std::wstring> newest_matching_file(std::wstring_view pattern,
                                                 std::wstring_view folder,
                                                 std::span<const ListedFile> listing) {
    const std::wstring_view wanted = extension_of(pattern);
    const ListedFile* newest = nullptr;
    for (const ListedFile& file : listing) {
        if (file.directory_only)
            continue;
        // A short name can match a pattern its long name's extension does not.
        const std::wstring_view extension = extension_of(file.name);
        if (!extension.empty() && !equal_ignoring_case(extension, wanted))
            continue;
        if (!newest || file.last_write > newest->last_write)
            newest = &file;
    }
    if (!newest)
        return std::nullopt;
    return std::wstring(folder) + newest->name;
}

} // namespace brixtel
