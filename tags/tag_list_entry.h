#pragma once
// The one-line form of a point in a tag list: "Module %d,%d,%d Block %d -- <tag> -- <database>".
// Lists are stored with the markers "NO_TAG" and "NO_DATABASE" where the display form shows the
// texts for "no tag name" and "no database", so stored lists do not depend on those texts.
#include "core/block_address.h"

#include <optional>
#include <string>
#include <string_view>

namespace brixtel {

std::wstring tag_entry_text(const BlockAddress& address, std::wstring_view tag_name,
                            std::wstring_view database_name);

std::wstring to_stored_form(std::wstring_view display_text);
std::wstring to_display_form(std::wstring_view stored_text);

// The fields of an entry text, read from its upper-case copy. The address is read as a point
// description and is all zeros when that fails; callers check lists before loading them.
struct TagEntryFields {
    BlockAddress address;
    std::wstring tag_name;
    std::wstring database_name;
};

// Nothing unless the text holds a "--" and a second one at least three characters later.
std::optional<TagEntryFields> read_tag_entry(std::wstring_view text);

} // namespace brixtel
