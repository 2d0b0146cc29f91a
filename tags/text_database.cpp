#include "tags/text_database.h"

#include "platform/case_fold.h"
#include "platform/file_read.h"
#include "platform/text.h"

#include <array>
#include <optional>

namespace brixtel {

namespace {

constexpr std::size_t text_test_length = 1024;

std::wstring_view trim(std::wstring_view text, std::wstring_view characters) {
    const std::size_t first = text.find_first_not_of(characters);
    if (first == std::wstring_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(characters);
    return text.substr(first, last - first + 1);
}

// Hands each line of the file to `take`, trimmed of blanks and line breaks, until `take`
// returns false. One line is held at a time: a file of millions of lines never stands in memory
// a second time as text.
template <typename Take> void for_each_utf16_line(std::string_view bytes, Take take) {
    std::wstring line;
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        const auto unit = static_cast<wchar_t>(static_cast<unsigned char>(bytes[at]) |
                                               static_cast<unsigned char>(bytes[at + 1]) << 8);
        if (unit == 0xFEFF || unit == 0xFFFE) {
            continue;
        }
        line += unit;
        if (unit == L'\n') {
            if (!take(trim(line, L"\r\n "))) {
                return;
            }
            line.clear();
        }
    }
    if (!line.empty()) {
        take(trim(line, L"\r\n "));
    }
}

template <typename Take> void for_each_oem_line(std::string_view bytes, Take take) {
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::size_t length = end == std::string_view::npos ? bytes.size() : end + 1;
        if (!take(trim(to_wide(bytes.substr(0, length)), L"\r\n "))) {
            return;
        }
        bytes.remove_prefix(length);
    }
}

template <typename Take> void for_each_line(std::string_view bytes, Take take) {
    if (is_text_unicode(bytes.substr(0, text_test_length))) {
        for_each_utf16_line(bytes, take);
    } else {
        for_each_oem_line(bytes, take);
    }
}

enum Column { TagName, Loop, Pcu, Module, Block, ColumnCount };

constexpr std::array<std::wstring_view, ColumnCount> column_names = {L"TAGNAME", L"LOOP", L"PCU",
                                                                     L"MODULE", L"BLOCK"};

struct Layout {
    std::array<std::size_t, ColumnCount> column{}; // numbered from 1
    std::size_t last_column = 0;                   // 0 when the header's end was not reached
};

std::optional<Layout> header_layout(std::wstring_view header) {
    Layout layout;
    std::size_t found = 0;
    std::size_t number = 0;
    while (found < ColumnCount) {
        ++number;
        const std::size_t comma = header.find(L',');
        const std::wstring_view name = trim(header.substr(0, comma), L"\" ");
        for (std::size_t c = 0; c < ColumnCount; ++c) {
            if (layout.column[c] == 0 && equal_ignoring_case(name, column_names[c])) {
                layout.column[c] = number;
                ++found;
            }
        }
        if (comma == std::wstring_view::npos) {
            layout.last_column = number;
            break;
        }
        header.remove_prefix(comma + 1);
    }
    if (found < ColumnCount) {
        return std::nullopt;
    }
    return layout;
}

// Column n lies between the (n-1)-th and the n-th comma; the header's last column is
// everything after the row's last comma. Nothing when the row lacks that comma.
std::optional<std::wstring_view> field_of(std::wstring_view row, std::size_t column,
                                          const Layout& layout) {
    if (column == layout.last_column) {
        const std::size_t last = row.rfind(L',');
        if (last == std::wstring_view::npos) {
            return std::nullopt;
        }
        return row.substr(last + 1);
    }
    std::size_t start = 0;
    for (std::size_t n = 1;; ++n) {
        const std::size_t comma = row.find(L',', start);
        if (comma == std::wstring_view::npos) {
            return std::nullopt;
        }
        if (n == column) {
            return row.substr(start, comma - start);
        }
        start = comma + 1;
    }
}

std::optional<TagRecord> record_of(std::wstring_view row, const Layout& layout) {
    std::array<std::wstring_view, ColumnCount> text;
    for (std::size_t c = 0; c < ColumnCount; ++c) {
        const auto field = field_of(row, layout.column[c], layout);
        if (!field) {
            return std::nullopt;
        }
        text[c] = trim(*field, L"\"");
    }
    TagRecord r;
    r.tag = std::wstring(text[TagName]);
    r.loop = integer_of_piece(text[Loop]);
    r.pcu = integer_of_piece(text[Pcu]);
    r.module = integer_of_piece(text[Module]);
    r.block = integer_of_piece(text[Block]);
    return r;
}

} // namespace

std::vector<std::wstring> tag_file_lines(std::string_view bytes) {
    std::vector<std::wstring> lines;
    for_each_line(bytes, [&](std::wstring_view line) {
        lines.emplace_back(line);
        return true;
    });
    return lines;
}

TagFileContents read_text_tags(std::string_view bytes) {
    TagFileContents contents;
    std::optional<Layout> layout;
    bool header = true;
    for_each_line(bytes, [&](std::wstring_view line) {
        if (header) {
            header = false;
            layout = header_layout(line);
            return layout.has_value(); // without the five columns the rows mean nothing
        }
        if (auto record = record_of(line, *layout)) {
            contents.records.push_back(std::move(*record));
        }
        return true;
    });
    contents.is_tag_database = layout.has_value();
    return contents;
}

} // namespace brixtel
