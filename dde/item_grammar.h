#pragma once
// A point named by text: DDE items, Export View headers and the address part of a tag list
// entry all read "Module <loop>,<pcu>,<module> Block <block>" the same forgiving way.
#include "core/block_address.h"

#include <optional>
#include <string_view>

namespace brixtel {

// The Block address a point description names, or nothing when it does not parse (callers
// that keep a number use 0,0,0,0 then). Letter case does not matter, text before "MODULE "
// and after the block number is ignored, and no range is checked here.
std::optional<BlockAddress> parse_point_description(std::wstring_view description);

} // namespace brixtel
