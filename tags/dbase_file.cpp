#include "tags/dbase_file.h"

#include "platform/text.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace brixtel {

namespace {

constexpr std::size_t file_header_size = 32;
constexpr std::size_t descriptor_size = 32;
constexpr std::size_t field_name_size = 11;
constexpr std::size_t field_length_at = 16;

unsigned byte_at(std::string_view bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]);
}

unsigned little_16(std::string_view bytes, std::size_t at) {
    return byte_at(bytes, at) | byte_at(bytes, at + 1) << 8;
}

unsigned little_32(std::string_view bytes, std::size_t at) {
    return little_16(bytes, at) | little_16(bytes, at + 2) << 16;
}

struct Header {
    // As stored; the records are read only as far as the bytes reach.
    std::uint32_t record_count = 0;
    std::size_t header_length = 0;
    std::size_t record_length = 0;
};

std::optional<Header> read_header(std::string_view bytes) {
    if (bytes.size() < file_header_size) {
        return std::nullopt;
    }
    Header h;
    h.record_count = little_32(bytes, 4);
    h.header_length = little_16(bytes, 8);
    h.record_length = little_16(bytes, 10);
    return h;
}

struct Field {
    std::size_t offset = 0; // within a record, after the deletion flag
    std::size_t length = 0;
};

enum Wanted { Name, Loop, Pcu, Module, Block, WantedCount };

constexpr std::array<std::wstring_view, WantedCount> wanted_names = {L"name", L"loop", L"pcu",
                                                                     L"module", L"block"};

std::wstring lower_field_name(std::string_view descriptor) {
    std::string_view name = descriptor.substr(0, field_name_size);
    name = name.substr(0, name.find('\0'));
    std::wstring wide = to_wide(name);
    for (wchar_t& c : wide) {
        if (c >= L'A' && c <= L'Z') {
            c = static_cast<wchar_t>(c + (L'a' - L'A'));
        }
    }
    return wide;
}

// Walks the descriptors the header length covers (and the bytes hold), looking for each
// wanted field after the one found before it.
std::optional<std::array<Field, WantedCount>> find_fields(std::string_view bytes,
                                                          std::size_t header_length) {
    const std::size_t end = std::min(header_length, bytes.size());
    std::array<Field, WantedCount> fields{};
    std::size_t next_wanted = Name;
    std::size_t offset = 0;
    for (std::size_t at = file_header_size;
         at + descriptor_size <= end && next_wanted < WantedCount; at += descriptor_size) {
        const std::string_view descriptor = bytes.substr(at, descriptor_size);
        const std::size_t length = byte_at(descriptor, field_length_at);
        if (lower_field_name(descriptor).find(wanted_names[next_wanted]) != std::wstring::npos) {
            fields[next_wanted++] = {offset, length};
        }
        offset += length;
    }
    if (next_wanted < WantedCount) {
        return std::nullopt;
    }
    return fields;
}

std::wstring_view trim_trailing_blanks(std::wstring_view text) {
    const std::size_t last = text.find_last_not_of(L' ');
    return last == std::wstring_view::npos ? std::wstring_view() : text.substr(0, last + 1);
}

// The field's text as the record holds it, ending at a null if one pads the field.
std::wstring_view field_text(std::wstring_view record, const Field& field) {
    std::wstring_view text = record.substr(1 + field.offset, field.length);
    return trim_trailing_blanks(text.substr(0, text.find(L'\0')));
}

std::int32_t field_number(std::wstring_view record, const Field& field,
                          std::wstring_view when_empty) {
    const std::wstring_view text = field_text(record, field);
    return integer_of_piece(text.empty() ? when_empty : text);
}

TagRecord record_of(std::wstring_view record, const std::array<Field, WantedCount>& fields) {
    TagRecord r;
    r.tag = std::wstring(field_text(record, fields[Name]));
    r.loop = field_number(record, fields[Loop], L"0");
    r.pcu = field_number(record, fields[Pcu], L"00");
    r.module = field_number(record, fields[Module], L"00");
    r.block = field_number(record, fields[Block], L"    0");
    return r;
}

} // namespace

TagFileContents read_dbase_tags(std::string_view bytes) {
    TagFileContents contents;
    const auto header = read_header(bytes);
    if (!header) {
        return contents;
    }
    const auto fields = find_fields(bytes, header->header_length);
    if (!fields) {
        return contents;
    }
    for (const Field& f : *fields) {
        if (1 + f.offset + f.length > header->record_length) {
            return contents; // descriptors claim more than a record holds
        }
    }
    contents.is_tag_database = true;
    const std::size_t length = header->record_length; // at least the deletion flag, as checked
    // A count larger than the file holds (a damaged header) reads the records that are there.
    const std::size_t body = bytes.size() - std::min(bytes.size(), header->header_length);
    const std::size_t count = std::min<std::size_t>(header->record_count, body / length);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = header->header_length + i * length;
        const std::wstring record = to_wide(bytes.substr(at, length));
        if (record[0] != L' ') {
            continue; // marked deleted
        }
        contents.records.push_back(record_of(record, *fields));
    }
    return contents;
}

} // namespace brixtel
