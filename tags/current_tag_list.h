#pragma once
// The points the user works with: the current tag list, and the tag list records kept for
// every saved list together with the state of the list that is loaded.
#include "core/block_address.h"
#include "settings/logging_options.h"

#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel {

// What a tag list needs to know of the Database table.
class DatabaseNames {
  public:
    virtual ~DatabaseNames() = default;
    // The slot text of a Database number: a database file's full path, or for number 1 the
    // text for "no database".
    virtual std::wstring slot_text(std::int32_t number) const = 0;
    // The number of the known database file with this path (any case), or nothing.
    virtual std::optional<std::int32_t> number_of_path(std::wstring_view path) const = 0;
};

// Database number of a point whose database file was removed: such a point stays in the
// current tag list but is left out of every text form.
inline constexpr std::int32_t kDetachedDatabase = 0;
// Database number of points without a database file.
inline constexpr std::int32_t kNoDatabaseNumber = 1;

struct PointNode {
    std::wstring tag_name; // empty: no tag name
    BlockAddress address;
    std::int32_t database_number = kNoDatabaseNumber;
};

using CurrentTagList = std::vector<PointNode>;

// The entry texts (display form) of every point that is not detached, in order.
std::vector<std::wstring> entry_texts(const CurrentTagList& points, const DatabaseNames& databases);

// Appends the point an entry text names; false when the text is not an entry text.
bool append_point(CurrentTagList& points, std::wstring_view entry_text,
                  const DatabaseNames& databases);

// One saved list, as read from or written to its registry subkey.
struct TagListRecord {
    std::wstring name;
    std::vector<std::wstring> entries; // display form
    std::uint32_t count_as_read = 0;
    LoggingOptions logging;
};

// In registry order: the n-th record is saved as "List<n>". A std::list keeps a record where it
// is while others are added or removed, so the loaded record can be held by address.
using ListOfLists = std::list<TagListRecord>;

struct TagListState {
    ListOfLists lists;
    CurrentTagList points;
    TagListRecord* loaded = nullptr;
    std::uint32_t loaded_number = 0; // n of "List<n>" of the loaded record; 0 = none
    std::wstring current_name;       // LastLoaded; empty = none
    std::uint32_t point_count = 0;
    bool changed = false;
};

// The record with this name (any case), or null.
TagListRecord* find_list(ListOfLists& lists, std::wstring_view name);

// 1-based position of a record in the list of lists; 0 when it is not there.
std::uint32_t list_number(const ListOfLists& lists, const TagListRecord* record);

// "List<n>".
std::wstring list_subkey_name(std::uint32_t number);

} // namespace brixtel
