#include "tags/tag_database_file.h"

#include "platform/file_read.h"
#include "platform/case_fold.h"
#include "tags/dbase_file.h"
#include "tags/text_database.h"

namespace brixtel {

bool is_dbase_path(std::wstring_view path) {
    const std::size_t dot = path.rfind(L'.');
    const std::size_t separator = path.find_last_of(L"\\/");
    if (dot == std::wstring_view::npos ||
        (separator != std::wstring_view::npos && separator > dot)) {
        return false;
    }
    return equal_ignoring_case(path.substr(dot), L".dbf");
}

namespace {

TagFileContents contents_of(std::wstring_view path, std::string_view bytes) {
    return is_dbase_path(path) ? read_dbase_tags(bytes) : read_text_tags(bytes);
}

} // namespace

TagFileContents read_tag_database_file(std::wstring_view path) {
    const auto bytes = read_file_bytes(path);
    if (!bytes) {
        return {};
    }
    return contents_of(path, *bytes);
}

TagFileVerdict examine_tag_database_file(std::wstring_view path) {
    const auto bytes = read_file_bytes(path);
    if (!bytes) {
        return TagFileVerdict::Unreadable;
    }
    return contents_of(path, *bytes).is_tag_database ? TagFileVerdict::TagDatabase
                                                     : TagFileVerdict::NotTagDatabase;
}

} // namespace brixtel
