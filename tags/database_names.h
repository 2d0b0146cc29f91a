#pragma once
// The tag lists' view of the Database table.
#include "tags/current_tag_list.h"
#include "tags/database_files.h"

namespace brixtel {

class TagDatabaseNames : public DatabaseNames {
  public:
    explicit TagDatabaseNames(const TagDatabases& databases) : databases_(databases) {}

    std::wstring slot_text(std::int32_t number) const override {
        return std::wstring(databases_.slot(number));
    }
    std::optional<std::int32_t> number_of_path(std::wstring_view path) const override {
        return databases_.number_of_path(path);
    }

  private:
    const TagDatabases& databases_;
};

} // namespace brixtel
