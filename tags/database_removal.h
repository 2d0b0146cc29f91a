#pragma once
// What adding and removing a database file does outside the Database table: the stored list
// of files, and the points of the current tag list that named a removed file.
#include "platform/registry.h"
#include "shell/seat.h"
#include "tags/current_tag_list.h"
#include "tags/database_files.h"

#include <functional>

namespace brixtel {

// Keeps the file list in the registry's "Databases" key.
class RegistryDatabaseFileStore : public DatabaseFileStore {
  public:
    RegistryDatabaseFileStore(Registry& registry, Seat& seat) : registry_(registry), seat_(seat) {}
    void save_database_files(std::span<const std::wstring> paths) override;

  private:
    Registry& registry_;
    Seat& seat_;
};

// Detaches the current tag list's points from a removed file.
class CurrentListRemovalHooks : public DatabaseRemovalHooks {
  public:
    // Called with a detached point's address while monitoring runs, to delete its monitored
    // point; may be empty while nothing is monitored.
    using RemoveMonitoredPoint = std::function<void(const BlockAddress&)>;

    CurrentListRemovalHooks(TagListState& state, RemoveMonitoredPoint remove_monitored)
        : state_(state), remove_monitored_(std::move(remove_monitored)) {}

    int detach_points(std::span<const std::int32_t> numbers) override;
    void database_removed(std::wstring_view path) override;
    int current_point_count() const override { return static_cast<int>(state_.point_count); }

  private:
    TagListState& state_;
    RemoveMonitoredPoint remove_monitored_;
};

} // namespace brixtel
