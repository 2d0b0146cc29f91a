#include "tags/current_tag_list.h"

#include "shell/string_table.h"
#include "platform/case_fold.h"
#include "tags/tag_list_entry.h"

namespace brixtel {

std::vector<std::wstring> entry_texts(const CurrentTagList& points,
                                      const DatabaseNames& databases) {
    std::vector<std::wstring> texts;
    for (const PointNode& point : points) {
        if (point.database_number == kDetachedDatabase)
            continue;
        const std::wstring_view tag =
            point.tag_name.empty() ? string_text(ids::NoTag) : std::wstring_view(point.tag_name);
        texts.push_back(
            tag_entry_text(point.address, tag, databases.slot_text(point.database_number)));
    }
    return texts;
}

bool append_point(CurrentTagList& points, std::wstring_view entry_text,
                  const DatabaseNames& databases) {
    auto fields = read_tag_entry(entry_text);
    if (!fields)
        return false;
    PointNode point;
    point.address = fields->address;
    point.tag_name = std::move(fields->tag_name);
    point.database_number =
        databases.number_of_path(fields->database_name).value_or(kNoDatabaseNumber);
    points.push_back(std::move(point));
    return true;
}

TagListRecord* find_list(ListOfLists& lists, std::wstring_view name) {
    for (TagListRecord& record : lists)
        if (equal_ignoring_case(record.name, name))
            return &record;
    return nullptr;
}

std::uint32_t list_number(const ListOfLists& lists, const TagListRecord* record) {
    std::uint32_t number = 1;
    for (const TagListRecord& candidate : lists) {
        if (&candidate == record)
            return number;
        ++number;
    }
    return 0;
}

std::wstring list_subkey_name(std::uint32_t number) {
    return L"List" + std::to_wstring(number);
}

} // namespace brixtel
