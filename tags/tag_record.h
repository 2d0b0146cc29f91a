#pragma once
// One row of a tag database: a tag name and the block address it stands for.
#include <cstdint>
#include <string>
#include <vector>

namespace brixtel {

struct TagRecord {
    std::wstring tag; // as read from the file
    std::int32_t loop = 0;
    std::int32_t pcu = 0;
    std::int32_t module = 0;
    std::int32_t block = 0;
    // Database number of the file the record came from; 0 once that file is removed.
    std::int32_t database = 0;

    bool operator==(const TagRecord&) const = default;
};

// What one tag database file holds. A file without the five tag columns (TAGNAME or a name
// field, LOOP, PCU, MODULE, BLOCK) is not a tag database and holds no records.
struct TagFileContents {
    bool is_tag_database = false;
    std::vector<TagRecord> records; // database numbers still 0
};

} // namespace brixtel
