#pragma once
// Reading one tag database file from disk, in the form its extension names.
#include "tags/tag_record.h"

#include <string_view>

namespace brixtel {

// ".dbf" in any letter case names a dBASE table; every other file is comma-separated text.
bool is_dbase_path(std::wstring_view path);

// The file's tags. A file that cannot be read holds none and is not a tag database.
TagFileContents read_tag_database_file(std::wstring_view path);

enum class TagFileVerdict { TagDatabase, NotTagDatabase, Unreadable };

// What the Type tool answers about a file: readable, and with the five tag columns.
TagFileVerdict examine_tag_database_file(std::wstring_view path);

} // namespace brixtel
