#pragma once
// The checks a point must pass before the user may add it to the list.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/block_address.h"
#include "shell/string_table.h"

namespace brixtel {

inline constexpr std::size_t kMaxListedPoints = 50;

enum class AddressField { None, Loop, Pcu, Module, Block };

struct AddPointVerdict {
    enum class Outcome {
        Accepted,
        // Blocks 32000-65535 are legal only in a few fixed-function blocks: ask the user.
        NeedsBlockConfirmation,
        Refused,
    };
    Outcome outcome = Outcome::Accepted;
    StringId text = 0;    // message when refused
    StringId caption = 0; // its caption
    // Edit field whose text is selected and focused when refused, or when the confirmation
    // is declined.
    AddressField field = AddressField::None;
};

// Tests the point count first, then loop, PCU, module and block, and stops at the first
// failure. `show_blk_check` is the ShowBlkCheck setting.
AddPointVerdict check_new_point(std::size_t points_in_list, const BlockAddress& address,
                                std::uint32_t show_blk_check);

struct ImportRefusal {
    StringId text = 0;
    StringId caption = 0;
    std::int32_t count = 0;  // insert 1: points in the imported list
    std::int32_t excess = 0; // insert 2: how many must go
};

// A list file with more points than may be monitored is refused as a whole.
std::optional<ImportRefusal> check_import_count(std::size_t point_count);

} // namespace brixtel
