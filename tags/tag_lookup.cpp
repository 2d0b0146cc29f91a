#include "tags/tag_lookup.h"

#include "platform/case_fold.h"

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

} // namespace brixtel
