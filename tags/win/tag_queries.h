#pragma once
// The two small questions of the Tag Translation dialog: which of several points sharing an
// address to monitor, and whether a block above 31999 is one of the few legal ones.
#include "tags/current_tag_list.h"
#include "tags/tag_record.h"

#include <windows.h>

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace brixtel::win {

// "Duplicate Tag Selections" over the lookup results: the indexes (into `results`, ascending)
// of the rows the user chose, or nothing for Cancel. The rows in `preselected` start selected.
// OK refuses two rows with the same address and asks before accepting no row at all.
std::optional<std::vector<std::size_t>>
choose_duplicate_tags(HWND owner, HINSTANCE instance, std::span<const TagRecord> results,
                      std::span<const std::size_t> preselected, const DatabaseNames& databases);

// "Illegal Block Number Check": true for OK. `do_not_show_again` is the state of its check box
// when it closed, by either button.
bool confirm_block_above_limit(HWND owner, HINSTANCE instance, bool& do_not_show_again);

} // namespace brixtel::win
