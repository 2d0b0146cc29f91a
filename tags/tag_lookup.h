#pragma once
// Finding points in the Tag database index by their tag names.
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

} // namespace brixtel
