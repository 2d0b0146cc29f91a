#pragma once
// The Tag Translation dialog's own small rules that need no window: where the focus goes in
// block mode, the description's length, the order a header click asks for, and which rows
// stay selected when the rows are put in a new order.
#include "tags/tag_translation.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel {

// The description of a point without a tag name is at most this long.
inline constexpr std::size_t kDescriptionChars = 20;

// The description cut to its longest allowed length, or nothing when it fits.
std::optional<std::wstring> cut_description(std::wstring_view text);

// Block mode focuses the first empty one of the Loop, PCU, Module and Block texts (in that
// order); with all four filled, the Block field, as the next point is most often the next
// block of the same module.
LookupField first_empty_number_field(const std::array<std::wstring, 4>& loop_pcu_module_block);

// The list's order as its header clicks ask for it: a first click on a column sorts upward,
// each further click on the same column turns the order round.
class RowSortOrder {
  public:
    // The click on a column header; true when the rows are to be sorted upward.
    bool click(TagRowColumn column);

  private:
    std::optional<TagRowColumn> column_;
    bool ascending_ = true;
};

// After `before` was sorted into `after`, which rows of `after` are selected: as many rows
// equal to each selected one as were selected. Equal rows are one point to the user, so
// which of them keeps the selection does not matter.
std::vector<bool> carry_selection(const std::vector<TagRow>& before,
                                  const std::vector<bool>& selected,
                                  const std::vector<TagRow>& after);

} // namespace brixtel
