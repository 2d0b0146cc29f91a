#include "platform/memory_registry.h"
#include "settings/registry_values.h"
#include "settings/settings.h"
#include "support/fake_seat.h"
#include "tags/database_removal.h"

#include <gtest/gtest.h>

#include <vector>

namespace brixtel {
namespace {

PointNode point(std::int32_t loop, std::int32_t number) {
    return PointNode{L"T", BlockAddress{loop, 1, 2, 3}, number};
}

TEST(CurrentListRemovalHooks, DetachesOnlyThePointsOfTheRemovedFiles) {
    TagListState state;
    state.points = {point(1, 2), point(2, 3), point(3, 2), point(4, kDetachedDatabase)};
    state.point_count = 3;
    std::vector<std::int32_t> removed_loops;
    CurrentListRemovalHooks hooks(state,
                                  [&](const BlockAddress& a) { removed_loops.push_back(a.loop); });

    const std::int32_t numbers[] = {2};
    EXPECT_EQ(hooks.detach_points(numbers), 2);
    EXPECT_EQ(hooks.current_point_count(), 1);
    EXPECT_EQ(removed_loops, (std::vector<std::int32_t>{1, 3}));
    EXPECT_EQ(state.points[0].database_number, kDetachedDatabase);
    EXPECT_EQ(state.points[1].database_number, 3);
    // A second removal of the same file finds nothing left to detach.
    EXPECT_EQ(hooks.detach_points(numbers), 0);
}

TEST(CurrentListRemovalHooks, MarksTheLoadedListChangedWhenItNamesThePath) {
    TagListState state;
    state.lists.push_back({L"Boilers",
                           {L"Module 1,2,3 Block 4 -- FIC -- C:\\DB\\Unit1.dbf",
                            L"Module 1,2,3 Block 5 -- NO_TAG -- NO_DATABASE"},
                           2,
                           {}});
    CurrentListRemovalHooks hooks(state, {});
    hooks.database_removed(L"c:\\db\\unit1.DBF"); // no list loaded yet: nothing to mark
    EXPECT_FALSE(state.changed);
    state.loaded = &state.lists.front();
    hooks.database_removed(L"C:\\DB\\Other.dbf");
    EXPECT_FALSE(state.changed);
    hooks.database_removed(L"c:\\db\\unit1.DBF");
    EXPECT_TRUE(state.changed);
}

TEST(RegistryDatabaseFileStore, RewritesTheStoredListInOrder) {
    MemoryRegistry registry;
    testing::FakeSeat seat;
    RegistryDatabaseFileStore store(registry, seat);
    const std::vector<std::wstring> first = {L"C:\\a.dbf", L"C:\\b.csv", L"C:\\c.dbf"};
    store.save_database_files(first);
    const std::vector<std::wstring> second = {L"C:\\a.dbf", L"C:\\c.dbf"};
    store.save_database_files(second);
    const auto names = registry.value_names(RegistryRoot::CurrentUser, keys::Databases);
    EXPECT_EQ(names.size(), 3u) << "two paths and the count";
    auto key = registry.open(RegistryRoot::CurrentUser, keys::Databases, RegistryAccess::Read);
    ASSERT_TRUE(key);
    std::uint32_t count = 0;
    ASSERT_TRUE(read_number(*key, values::DatabaseFiles, count));
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(read_text(*key, L"Database2", L""), L"C:\\c.dbf");
    EXPECT_TRUE(seat.boxes.empty());
}

} // namespace
} // namespace brixtel
