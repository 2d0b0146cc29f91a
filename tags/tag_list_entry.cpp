#include "tags/tag_list_entry.h"

#include "dde/item_grammar.h"
#include "shell/string_table.h"
#include "platform/case_fold.h"

namespace brixtel {
namespace {

constexpr std::wstring_view kSeparator = L"--";
constexpr std::wstring_view kNoTagMarker = L"NO_TAG";
constexpr std::wstring_view kNoDatabaseMarker = L"NO_DATABASE";
// The fields start three characters after a "--" ("-- ") and end one before the next.
constexpr std::size_t kFieldOffset = 3;

// Positions of the tag field and the database field inside an entry text.
struct FieldSpans {
    std::size_t tag_start = 0;
    std::size_t tag_end = 0;
    std::size_t database_start = 0;
};

std::optional<FieldSpans> field_spans(std::wstring_view text) {
    const std::size_t first = text.find(kSeparator);
    if (first == std::wstring_view::npos)
        return std::nullopt;
    const std::size_t second = text.find(kSeparator, first + kFieldOffset);
    if (second == std::wstring_view::npos)
        return std::nullopt;
    FieldSpans spans;
    spans.tag_start = std::min(first + kFieldOffset, text.size());
    spans.tag_end = std::max(spans.tag_start, second == 0 ? 0 : second - 1);
    spans.database_start = std::min(second + kFieldOffset, text.size());
    return spans;
}

// Replaces the tag field when it equals `tag_from`, and the database field when it equals
// `database_from`; a text without both fields stays as it is.
std::wstring replace_fields(std::wstring_view text, std::wstring_view tag_from,
                            std::wstring_view tag_to, std::wstring_view database_from,
                            std::wstring_view database_to) {
    const auto spans = field_spans(text);
    if (!spans)
        return std::wstring(text);
    const std::wstring_view tag = text.substr(spans->tag_start, spans->tag_end - spans->tag_start);
    const std::wstring_view middle =
        text.substr(spans->tag_end, spans->database_start - spans->tag_end);
    const std::wstring_view database = text.substr(spans->database_start);
    std::wstring result(text.substr(0, spans->tag_start));
    result += tag == tag_from ? tag_to : tag;
    result += middle;
    result += database == database_from ? database_to : database;
    return result;
}

} // namespace

std::wstring tag_entry_text(const BlockAddress& address, std::wstring_view tag_name,
                            std::wstring_view database_name) {
    std::wstring text = item_text(address);
    text += L" -- ";
    text += tag_name;
    text += L" -- ";
    text += database_name;
    return text;
}

std::wstring to_stored_form(std::wstring_view display_text) {
    return replace_fields(display_text, string_text(ids::NoTag), kNoTagMarker,
                          string_text(ids::NoDatabase), kNoDatabaseMarker);
}

std::wstring to_display_form(std::wstring_view stored_text) {
    return replace_fields(stored_text, kNoTagMarker, string_text(ids::NoTag), kNoDatabaseMarker,
                          string_text(ids::NoDatabase));
}

std::optional<TagEntryFields> read_tag_entry(std::wstring_view text) {
    const std::wstring upper = upper_case(text);
    const auto spans = field_spans(upper);
    if (!spans)
        return std::nullopt;
    TagEntryFields fields;
    fields.address = parse_point_description(upper).value_or(BlockAddress{});
    fields.tag_name = upper.substr(spans->tag_start, spans->tag_end - spans->tag_start);
    fields.database_name = upper.substr(spans->database_start);
    return fields;
}

} // namespace brixtel
