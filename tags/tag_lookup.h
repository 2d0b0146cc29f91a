#pragma once
// Finding points in the Tag database index by their tag names.
#include "core/block_address.h"
#include "tags/tag_record.h"

#include <span>
#include <string_view>
#include <vector>

namespace brixtel {

// Every record of a database still listed (Database number not 0) whose tag equals the name
// without regard to case, in index order; each result's tag is the name asked for in upper
// case.
std::vector<TagRecord> look_up_by_tag_name(std::span<const TagRecord> index,
                                           std::wstring_view name);

// Every record of a database still listed whose four numbers equal the address, in index
// order, each tag in upper case. Without a match: exactly one result named by the description
// (when not empty) or by `no_tag_text` (string 187), with Database number 1.
std::vector<TagRecord> look_up_by_address(std::span<const TagRecord> index,
                                          const BlockAddress& address,
                                          std::wstring_view description,
                                          std::wstring_view no_tag_text);

} // namespace brixtel
