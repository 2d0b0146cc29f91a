#include "tags/tag_lookup_form.h"

#include <algorithm>

namespace brixtel {

namespace {

bool same_row(const TagRow& a, const TagRow& b) {
    return a.address == b.address && a.block_text == b.block_text && a.tag == b.tag &&
           a.database_text == b.database_text;
}

} // namespace

std::optional<std::wstring> cut_description(std::wstring_view text) {
    if (text.size() <= kDescriptionChars)
        return std::nullopt;
    return std::wstring(text.substr(0, kDescriptionChars));
}

LookupField first_empty_number_field(const std::array<std::wstring, 4>& loop_pcu_module_block) {
    constexpr std::array<LookupField, 4> fields{LookupField::Loop, LookupField::Pcu,
                                                LookupField::Module, LookupField::Block};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (loop_pcu_module_block[i].empty())
            return fields[i];
    }
    return LookupField::Block;
}

bool RowSortOrder::click(TagRowColumn column) {
    ascending_ = column_ == column ? !ascending_ : true;
    column_ = column;
    return ascending_;
}

std::vector<bool> carry_selection(const std::vector<TagRow>& before,
                                  const std::vector<bool>& selected,
                                  const std::vector<TagRow>& after) {
    std::vector<const TagRow*> still_selected;
    for (std::size_t i = 0; i < before.size() && i < selected.size(); ++i) {
        if (selected[i])
            still_selected.push_back(&before[i]);
    }
    std::vector<bool> carried(after.size(), false);
    for (std::size_t i = 0; i < after.size() && !still_selected.empty(); ++i) {
        const auto match =
            std::find_if(still_selected.begin(), still_selected.end(),
                         [&](const TagRow* row) { return same_row(*row, after[i]); });
        if (match == still_selected.end())
            continue;
        carried[i] = true;
        still_selected.erase(match);
    }
    return carried;
}

} // namespace brixtel
