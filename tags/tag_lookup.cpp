#include "tags/tag_lookup.h"

#include "platform/case_fold.h"
#include "tags/current_tag_list.h"

namespace brixtel {

std::vector<TagRecord> look_up_by_tag_name(std::span<const TagRecord> index,
                                           std::wstring_view name) {
    std::vector<TagRecord> found;
    const std::wstring upper = upper_case(name);
    for (const TagRecord& record : index) {
        if (record.database == 0 || !equal_ignoring_case(record.tag, name))
            continue;
        TagRecord result = record;
        result.tag = upper;
        found.push_back(std::move(result));
    }
    return found;
}

std::vector<TagRecord> look_up_by_address(std::span<const TagRecord> index,
                                          const BlockAddress& address,
                                          std::wstring_view description,
                                          std::wstring_view no_tag_text) {
    std::vector<TagRecord> found;
    for (const TagRecord& record : index) {
        if (record.database == 0 || record.loop != address.loop || record.pcu != address.pcu ||
            record.module != address.module || record.block != address.block)
            continue;
        TagRecord result = record;
        result.tag = upper_case(record.tag);
        found.push_back(std::move(result));
    }
    if (found.empty()) {
        // The user still gets the point, named by what they typed.
        found.push_back(TagRecord{std::wstring(description.empty() ? no_tag_text : description),
                                  address.loop, address.pcu, address.module, address.block,
                                  kNoDatabaseNumber});
    }
    return found;
}

} // namespace brixtel
