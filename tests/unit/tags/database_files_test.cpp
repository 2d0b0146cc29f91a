#include "tags/database_files.h"

#include "support/fake_seat.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brixtel {
namespace {

using testing::FakeSeat;

class RecordingStore : public DatabaseFileStore {
  public:
    void save_database_files(std::span<const std::wstring> paths) override {
        saves.emplace_back(paths.begin(), paths.end());
    }
    std::vector<std::vector<std::wstring>> saves;
};

// A current tag list reduced to what removal touches: points by Database number.
class FakeTagLists : public DatabaseRemovalHooks {
  public:
    int detach_points(std::span<const std::int32_t> numbers) override {
        detached_numbers.assign(numbers.begin(), numbers.end());
        int detached = 0;
        for (std::int32_t& point : points) {
            if (std::find(numbers.begin(), numbers.end(), point) != numbers.end()) {
                point = removed_database;
                ++detached;
            }
        }
        return detached;
    }
    void database_removed(std::wstring_view path) override { removed_paths.emplace_back(path); }
    int current_point_count() const override {
        return static_cast<int>(
            std::count_if(points.begin(), points.end(), [](std::int32_t n) { return n != 0; }));
    }

    std::vector<std::int32_t> points;
    std::vector<std::int32_t> detached_numbers;
    std::vector<std::wstring> removed_paths;
};

const std::string header = "TAGNAME,LOOP,PCU,MODULE,BLOCK\n";

class DatabaseFiles : public ::testing::Test {
  protected:
    std::wstring csv(const std::string& name, const std::string& rows) {
        return folder.write(name, header + rows);
    }
    AddOutcome add(std::wstring_view path) {
        return databases.add_from_dialog(path, seat, accept_all, store);
    }
    RemoveResult remove(std::wstring_view path) {
        seat.answers.push_back(ButtonYes);
        return databases.remove(path, false, seat, store, tag_lists);
    }
    std::vector<std::int32_t> index_numbers() const {
        std::vector<std::int32_t> numbers;
        for (const TagRecord& r : databases.index()) {
            numbers.push_back(r.database);
        }
        return numbers;
    }

    testing::TempFolder folder;
    TagDatabases databases{L"NO_DATABASE"};
    FakeSeat seat;
    RecordingStore store;
    FakeTagLists tag_lists;
    std::vector<std::wstring> type_checked;
    TypeCheck accept_all = [this](std::wstring_view path) {
        type_checked.emplace_back(path);
        return true;
    };
};

TEST_F(DatabaseFiles, TableStartsWithItsTwoFixedSlots) {
    EXPECT_EQ(databases.slot(0), L"DUMMY");
    EXPECT_EQ(databases.slot(1), L"NO_DATABASE");
    for (std::int32_t n = 2; n <= 29; ++n) {
        EXPECT_EQ(databases.slot(n), L"") << n;
    }
    EXPECT_EQ(databases.slot(30), L"");
    EXPECT_EQ(databases.slot(-1), L"");
    EXPECT_EQ(databases.counter(), 2);
    EXPECT_EQ(TagDatabases().slot(1), L"NO_DATABASE");
}

TEST_F(DatabaseFiles, StartUpNumbersFilesByTheirPlace) {
    const auto a = csv("a.csv", "A,1,1,1,1\n");
    const auto b = csv("b.csv", "B,2,2,2,2\nB2,2,2,2,3\n");
    EXPECT_TRUE(databases.add_at_startup(0, a, seat));
    EXPECT_TRUE(databases.add_at_startup(1, b, seat));
    EXPECT_TRUE(databases.add_at_startup(2, b, seat)); // no duplicate check at start-up

    EXPECT_EQ(databases.slot(2), a);
    EXPECT_EQ(databases.slot(3), b);
    EXPECT_EQ(databases.slot(4), b);
    EXPECT_EQ(databases.counter(), 4);
    EXPECT_EQ(databases.files(), (std::vector<std::wstring>{a, b, b}));
    EXPECT_EQ(index_numbers(), (std::vector<std::int32_t>{2, 3, 3, 4, 4}));
    EXPECT_TRUE(store.saves.empty());
    EXPECT_TRUE(seat.boxes.empty());
}

TEST_F(DatabaseFiles, FirstDialogAdditionWithoutStartUpFilesGetsThree) {
    const auto a = csv("a.csv", "A,1,1,1,1\n");
    EXPECT_EQ(add(a), AddOutcome::Added);
    EXPECT_EQ(databases.slot(3), a);
    EXPECT_EQ(databases.slot(2), L"");
    EXPECT_EQ(index_numbers(), (std::vector<std::int32_t>{3}));
    EXPECT_EQ(type_checked, (std::vector<std::wstring>{a}));
    EXPECT_EQ(store.saves, (std::vector<std::vector<std::wstring>>{{a}}));
}

TEST_F(DatabaseFiles, DuplicateInAnyCaseAddsNothing) {
    const auto a = csv("tags.csv", "A,1,1,1,1\n");
    ASSERT_EQ(add(a), AddOutcome::Added);
    std::wstring shouted = a;
    for (wchar_t& c : shouted) {
        c = static_cast<wchar_t>(std::towupper(c));
    }
    EXPECT_EQ(add(shouted), AddOutcome::Duplicate);
    EXPECT_EQ(databases.file_count(), 1u);
    EXPECT_EQ(databases.counter(), 3);
    EXPECT_EQ(type_checked.size(), 1u);
    EXPECT_EQ(store.saves.size(), 1u);
    EXPECT_EQ(databases.index().size(), 1u);
}

TEST_F(DatabaseFiles, TypeToolRejectionAddsNothing) {
    const auto a = csv("a.csv", "A,1,1,1,1\n");
    EXPECT_EQ(databases.add_from_dialog(
                  a, seat, [](std::wstring_view) { return false; }, store),
              AddOutcome::Rejected);
    EXPECT_EQ(databases.file_count(), 0u);
    EXPECT_EQ(databases.counter(), 2);
    EXPECT_TRUE(databases.index().empty());
    EXPECT_TRUE(store.saves.empty());
}

TEST_F(DatabaseFiles, UnreadableFileIsStillNamed) {
    const std::wstring missing = folder.file("missing.dbf");
    EXPECT_EQ(add(missing), AddOutcome::Added);
    EXPECT_EQ(databases.files(), (std::vector<std::wstring>{missing}));
    EXPECT_TRUE(databases.index().empty());
    EXPECT_TRUE(seat.boxes.empty());
}

TEST_F(DatabaseFiles, RemovalKeepsOtherNumbersAndNeverReusesOne) {
    const auto a = csv("a.csv", "A,1,1,1,1\n");
    const auto b = csv("b.csv", "B,2,2,2,2\n");
    const auto c = csv("c.csv", "C,3,3,3,3\n");
    databases.add_at_startup(0, a, seat);
    databases.add_at_startup(1, b, seat);
    tag_lists.points = {2, 3, 3, 1};

    const RemoveResult result = remove(a);
    EXPECT_EQ(result.outcome, RemoveOutcome::Removed);
    EXPECT_TRUE(result.repaint_main_window);
    EXPECT_EQ(index_numbers(), (std::vector<std::int32_t>{0, 3}));
    EXPECT_EQ(tag_lists.points, (std::vector<std::int32_t>{0, 3, 3, 1}));
    EXPECT_EQ(tag_lists.removed_paths, (std::vector<std::wstring>{a}));
    EXPECT_EQ(databases.files(), (std::vector<std::wstring>{b}));
    EXPECT_EQ(databases.slot(2), a); // the slot keeps its text
    EXPECT_EQ(store.saves.back(), (std::vector<std::wstring>{b}));

    ASSERT_EQ(add(c), AddOutcome::Added);
    EXPECT_EQ(databases.slot(4), c);
    EXPECT_EQ(index_numbers(), (std::vector<std::int32_t>{0, 3, 4}));
    EXPECT_EQ(store.saves.back(), (std::vector<std::wstring>{b, c}));
    EXPECT_FALSE(seat.enabled.contains(Command::Monitoring));
}

TEST_F(DatabaseFiles, RemovedAndAddedAgainGetsANewNumber) {
    const auto a = csv("a.csv", "A,1,1,1,1\n");
    ASSERT_EQ(add(a), AddOutcome::Added); // 3
    remove(a);
    ASSERT_EQ(add(a), AddOutcome::Added); // 4, slot 3 still names it
    tag_lists.points = {3, 4};
    remove(a);
    EXPECT_EQ(tag_lists.detached_numbers, (std::vector<std::int32_t>{3, 4}));
    EXPECT_EQ(index_numbers(), (std::vector<std::int32_t>{0, 0}));
    EXPECT_TRUE(databases.files().empty());
    EXPECT_EQ(databases.counter(), 4);
}

TEST_F(DatabaseFiles, NumberOfAPathIsItsNewestWhileListed) {
    const auto a = csv("a.csv", "A,1,1,1,1\n");
    const auto b = csv("b.csv", "B,1,1,1,1\n");
    databases.add_at_startup(0, a, seat);
    databases.add_at_startup(1, b, seat);
    EXPECT_EQ(databases.number_of_path(a), 2);
    remove(a);
    EXPECT_EQ(databases.number_of_path(a), std::nullopt);
    ASSERT_EQ(add(a), AddOutcome::Added);
    EXPECT_EQ(databases.number_of_path(a), 4);
    EXPECT_EQ(databases.number_of_path(b), 3);
    EXPECT_EQ(databases.number_of_path(L"NO_DATABASE"), std::nullopt);
}

TEST_F(DatabaseFiles, RemovalMatchesThePathInAnyCase) {
    const auto a = csv("a.csv", "A,1,1,1,1\n");
    databases.add_at_startup(0, a, seat);
    std::wstring lower = a;
    lower.back() = L'V'; // "a.csV"
    remove(lower);
    EXPECT_TRUE(databases.files().empty());
    EXPECT_EQ(index_numbers(), (std::vector<std::int32_t>{0}));
}

TEST_F(DatabaseFiles, LastPointGoneDisablesMonitoring) {
    const auto a = csv("a.csv", "A,1,1,1,1\n");
    databases.add_at_startup(0, a, seat);
    tag_lists.points = {2, 2};
    remove(a);
    EXPECT_EQ(seat.enabled.at(Command::Monitoring), false);
}

struct RefusalCase {
    const char* name;
    bool export_view_monitoring;
    bool selected;
    int answer;
    RemoveOutcome outcome;
    std::vector<StringId> shown;
};

std::ostream& operator<<(std::ostream& out, const RefusalCase& c) {
    return out << c.name;
}

class DatabaseRemovalRefused : public DatabaseFiles,
                               public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(DatabaseRemovalRefused, ChangesNothing) {
    const RefusalCase& c = GetParam();
    const auto a = csv("a.csv", "A,1,1,1,1\n");
    databases.add_at_startup(0, a, seat);
    tag_lists.points = {2};
    seat.answers.push_back(c.answer);
    const RemoveResult result =
        databases.remove(c.selected ? std::optional<std::wstring_view>(a) : std::nullopt,
                         c.export_view_monitoring, seat, store, tag_lists);
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(seat.shown_texts(), c.shown);
    EXPECT_EQ(databases.files(), (std::vector<std::wstring>{a}));
    EXPECT_EQ(index_numbers(), (std::vector<std::int32_t>{2}));
    EXPECT_EQ(tag_lists.points, (std::vector<std::int32_t>{2}));
    EXPECT_TRUE(store.saves.empty());
    EXPECT_TRUE(seat.enabled.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, DatabaseRemovalRefused,
                         ::testing::Values(RefusalCase{"MonitoringInExportView",
                                                       true,
                                                       true,
                                                       ButtonYes,
                                                       RemoveOutcome::NotWhileMonitoring,
                                                       {ids::NoDeletionWhileMonitoringExportView}},
                                           RefusalCase{"NothingSelected",
                                                       false,
                                                       false,
                                                       ButtonYes,
                                                       RemoveOutcome::NothingSelected,
                                                       {ids::NothingSelectedForDeletion}},
                                           RefusalCase{"AnsweredNo",
                                                       false,
                                                       true,
                                                       ButtonNo,
                                                       RemoveOutcome::Declined,
                                                       {ids::DatabaseDeletionQuestion}}),
                         [](const ::testing::TestParamInfo<RefusalCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(DatabaseFiles, RemovalAsksWithTheQuestionBox) {
    const auto a = csv("a.csv", "A,1,1,1,1\n");
    databases.add_at_startup(0, a, seat);
    remove(a);
    ASSERT_EQ(seat.boxes.size(), 1u);
    EXPECT_EQ(seat.boxes[0].caption, ids::DatabaseFileDeletion);
    EXPECT_EQ(seat.boxes[0].flags, mb::YesNo | mb::IconQuestion);
}

TEST_F(DatabaseFiles, TheTwentyNinthNumberIsRefused) {
    std::vector<std::wstring> paths;
    for (int i = 0; i < 28; ++i) {
        paths.push_back(csv("f" + std::to_string(i) + ".csv", "T,1,1,1,1\n"));
    }
    for (std::size_t i = 0; i < 27; ++i) {
        ASSERT_EQ(add(paths[i]), AddOutcome::Added) << i; // numbers 3 ... 29
    }
    EXPECT_EQ(databases.counter(), 29);
    remove(paths[0]); // frees a file, not a number
    seat.boxes.clear();

    EXPECT_EQ(add(paths[27]), AddOutcome::Rejected);
    EXPECT_EQ(seat.shown_texts(), (std::vector<StringId>{ids::DatabaseNumbersUsedUp}));
    EXPECT_NE(seat.boxes[0].formatted.find(paths[27]), std::wstring::npos);
    EXPECT_EQ(type_checked.size(), 27u); // the tool is not asked about a file that cannot fit
    EXPECT_EQ(databases.file_count(), 26u);
    EXPECT_EQ(databases.counter(), 29);
}

TEST_F(DatabaseFiles, StartUpBeyondTheTableIsRefused) {
    const auto a = csv("a.csv", "A,1,1,1,1\n");
    EXPECT_TRUE(databases.add_at_startup(27, a, seat)); // number 29
    EXPECT_FALSE(databases.add_at_startup(28, a, seat));
    EXPECT_EQ(seat.shown_texts(), (std::vector<StringId>{ids::DatabaseNumbersUsedUp}));
    EXPECT_EQ(databases.file_count(), 1u);
    EXPECT_EQ(databases.counter(), 29);
}

TEST_F(DatabaseFiles, PathsLongerThanASlotAreRefused) {
    const std::wstring longest = L"C:\\" + std::wstring(248, L'x') + L".csv"; // 255
    const std::wstring too_long = L"C:\\" + std::wstring(249, L'x') + L".csv";
    EXPECT_EQ(add(longest), AddOutcome::Added);
    EXPECT_EQ(add(too_long), AddOutcome::Rejected);
    EXPECT_FALSE(databases.add_at_startup(5, too_long, seat));
    EXPECT_EQ(seat.shown_texts(),
              (std::vector<StringId>{ids::DatabasePathTooLong, ids::DatabasePathTooLong}));
    EXPECT_EQ(databases.files(), (std::vector<std::wstring>{longest}));
    EXPECT_EQ(databases.counter(), 3);
}

TEST_F(DatabaseFiles, SavingLeavesOutEveryCaseOfThePath) {
    databases.add_at_startup(0, L"C:\\A.csv", seat);
    databases.add_at_startup(1, L"C:\\b.csv", seat);
    databases.add_at_startup(2, L"c:\\a.CSV", seat);
    EXPECT_EQ(databases.paths_for_saving(L"c:\\a.csv"), (std::vector<std::wstring>{L"C:\\b.csv"}));
    EXPECT_EQ(databases.paths_for_saving().size(), 3u);
}

} // namespace
} // namespace brixtel
