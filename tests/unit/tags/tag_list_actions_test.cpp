#include "tags/tag_list_actions.h"

#include "logging/fake_log_folder_system.h"
#include "support/fake_seat.h"
#include "tag_list_fakes.h"
#include "tags/tag_list_registry.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace brixtel {
namespace {

using namespace brixtel::testing;

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
const std::wstring kSettings = L"Software\\Quorrel\\Halvo Brixtel";
const std::wstring kPoint4 = L"Module 1,2,3 Block 4 -- T4 -- NO_DATABASE";
const std::wstring kPoint5 = L"Module 1,2,3 Block 5 -- T5 -- NO_DATABASE";
const std::wstring kPoint6 = L"Module 1,2,3 Block 6 -- T6 -- NO_DATABASE";
const std::wstring kBlankEntry = L"(Blank Taglist)";
using Entries = std::vector<std::wstring>;

TEST(ListNames, TypedNamesLoseBlanksAndDoubleQuotesAtTheirEnds) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L" \" Unit \"1\" \" ", L"Unit \"1"},
        {L"\"\"  \"", L""},
        {L"\tUnit\t", L"Unit"},
    };
    for (const auto& [typed, trimmed] : cases)
        EXPECT_EQ(trim_list_name(typed), trimmed) << typed;
}

// ---- The dialog ----------------------------------------------------------------------------

// The dialog as the user sees it: the list box with its selection, the Save As field, the
// buttons' states and the reviews shown.
class FakeTagListView : public TagListView {
  public:
    std::wstring current_list;
    Entries box;
    std::optional<std::size_t> selected;
    std::wstring save_as;
    int save_as_focused = 0;
    std::map<TagListControl, bool> enabled;
    std::vector<std::wstring> reviews;
    bool unreadable = false;

    void show_current_list(std::wstring_view text) override { current_list = text; }
    void set_entries(std::span<const std::wstring> entries) override {
        box.assign(entries.begin(), entries.end());
    }
    std::size_t entry_count() const override { return box.size(); }
    std::wstring entry_text(std::size_t index) const override { return box.at(index); }
    std::optional<Entries> entries() const override {
        if (unreadable)
            return std::nullopt;
        return box;
    }
    std::optional<std::size_t> selected_entry() const override { return selected; }
    void select_entry(std::optional<std::size_t> index) override { selected = index; }
    void remove_entry(std::size_t index) override {
        box.erase(box.begin() + static_cast<std::ptrdiff_t>(index));
    }
    std::wstring save_as_text() const override { return save_as; }
    void set_save_as_text(std::wstring_view text) override { save_as = text; }
    void select_and_focus_save_as() override { ++save_as_focused; }
    void enable(TagListControl control, bool on) override { enabled[control] = on; }
    void show_review(std::wstring_view text) override { reviews.emplace_back(text); }

    // The user clicks an entry.
    void click(std::wstring_view name) {
        for (std::size_t i = 0; i < box.size(); ++i)
            if (box[i] == name)
                selected = i;
    }
};

class TagListDialog : public ::testing::Test {
  protected:
    MemoryRegistry registry;
    FakeSeat seat;
    FakePrompts prompts;
    FakeDatabaseNames databases;
    FakeLogFolderSystem folders;
    TagListState state;
    CurrentLogging writer_logging;         // what the log writer holds
    std::vector<std::wstring> last_loaded; // LastLoaded values saved, in order
    bool monitoring = false;
    std::vector<BlockAddress> stopped;
    int save_dialogs = 0;
    FakeTagListView view;

    TagListDialog() {
        registry.create(kUser, kSettings, RegistryAccess::ReadWrite);
        folders.fixed_root = L"C:\\";
        folders.folders.insert(L"C:\\");
        writer_logging = default_logging(registry, folders);
    }

    TagListPartners partners() {
        return TagListPartners{
            registry,
            seat,
            prompts,
            databases,
            folders,
            state,
            [this] { return writer_logging; },
            [this](const CurrentLogging& logging) { writer_logging = logging; },
            [this](const LogFileParts& file) {
                writer_logging.log_folder = file.folder;
                writer_logging.log_base_name = file.base_name;
            },
            [this](std::wstring_view name) { last_loaded.emplace_back(name); },
            [this] { return monitoring; },
            [this](const BlockAddress& address) { stopped.push_back(address); },
            [this] { ++save_dialogs; },
        };
    }

    // Saved lists as the registry holds them, read back as at start-up.
    void seed(const std::vector<std::pair<std::wstring, Entries>>& lists) {
        int number = 1;
        for (const auto& [name, entries] : lists)
            seed_list(registry, number++, name, entries);
        state.lists = read_all_lists(registry, seat, folders);
    }

    // Loads a saved list as start-up would, so the dialog meets a loaded list.
    void load(std::wstring_view name) {
        state.current_name = name;
        TagListContext context{registry, seat,  prompts,        databases,
                               folders,  state, writer_logging, nullptr};
        ASSERT_EQ(load_current_list_by_name(context), LoadOutcome::Loaded);
    }

    std::wstring registry_text(int number, std::wstring_view value) const {
        return text_of(registry.value(kUser, list_path(number), value));
    }
    std::vector<std::wstring> saved_names() const {
        std::vector<std::wstring> names;
        for (int number = 1; registry.key_exists(kUser, list_path(number)); ++number)
            names.push_back(registry_text(number, L"name"));
        return names;
    }
    // What a user sees once no list is loaded.
    void expect_no_list_loaded() {
        EXPECT_EQ(state.loaded, nullptr);
        EXPECT_EQ(state.loaded_number, 0u);
        EXPECT_EQ(state.current_name, L"");
        EXPECT_EQ(state.point_count, 0u);
        EXPECT_FALSE(state.changed);
        EXPECT_EQ(last_loaded, Entries{L""});
        EXPECT_EQ(seat.title, L"Brixtel");
        EXPECT_EQ(writer_logging, default_logging(registry, folders));
    }
};

// ---- Filling and review --------------------------------------------------------------------

struct FillingCase {
    const char* name;
    TagListMode mode;
    std::wstring loaded; // empty: none
    Entries box;
    std::optional<std::size_t> selected;
};

class Filling : public TagListDialog, public ::testing::WithParamInterface<FillingCase> {};

TEST_P(Filling, ShowsTheSavedListsWithTheCurrentOneSelected) {
    const FillingCase& c = GetParam();
    seed({{L"Unit 1", {kPoint4}}, {L"Unit 2", {kPoint5}}});
    if (!c.loaded.empty())
        load(c.loaded);
    TagListActions actions(c.mode, partners(), view);
    actions.open();
    EXPECT_EQ(view.current_list, c.loaded.empty() ? L"No list loaded" : c.loaded);
    EXPECT_EQ(view.box, c.box);
    EXPECT_EQ(view.selected, c.selected);
    EXPECT_EQ(view.enabled[TagListControl::Review], c.selected.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    TagList, Filling,
    ::testing::Values(
        FillingCase{
            "load_loaded", TagListMode::Load, L"Unit 2", {L"Unit 1", L"Unit 2", kBlankEntry}, 1},
        FillingCase{"load_none_loaded_takes_the_first",
                    TagListMode::Load,
                    L"",
                    {L"Unit 1", L"Unit 2", kBlankEntry},
                    0},
        FillingCase{
            "save_none_loaded", TagListMode::Save, L"", {L"Unit 1", L"Unit 2"}, std::nullopt},
        FillingCase{"delete_loaded", TagListMode::Delete, L"Unit 2", {L"Unit 1", L"Unit 2"}, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TagListDialog, SaveModeStartsWithTheCurrentNameAndSelectingCopiesAName) {
    seed({{L"Unit 1", {kPoint4}}, {L"Unit 2", {kPoint5}}});
    load(L"unit 1");
    TagListActions actions(TagListMode::Save, partners(), view);
    actions.open();
    EXPECT_EQ(view.save_as, L"Unit 1");
    view.click(L"Unit 2");
    actions.selection_changed();
    EXPECT_EQ(view.save_as, L"Unit 2");
}

TEST_F(TagListDialog, ReviewShowsTheEntriesOfTheSelectedList) {
    seed({{L"Unit 1", {kPoint4, kPoint5}}, {L"Empty", {}}});
    TagListActions actions(TagListMode::Load, partners(), view);
    actions.open();
    for (const wchar_t* entry : {L"Unit 1", L"Empty", kBlankEntry.c_str()}) {
        view.click(entry);
        actions.review();
    }
    EXPECT_EQ(
        view.reviews,
        (Entries{L"Points to Monitor in <Unit 1>\r\n\r\n" + kPoint4 + L"\r\n" + kPoint5 + L"\r\n",
                 L"Points to Monitor in <Empty>\r\n\r\nNo points to monitor\r\n"}));
    // The blank entry explains itself instead.
    EXPECT_EQ(seat.shown_texts(), std::vector<StringId>{ids::BlankTaglistHint});
    EXPECT_EQ(seat.boxes[0].caption, ids::BlankTaglist);
    EXPECT_EQ(review_text(state.lists, L"Gone"), L"Points to Monitor in <Unknown>\r\n\r\n");
}

// ---- Load ----------------------------------------------------------------------------------

TEST_F(TagListDialog, LoadingAListMakesItCurrent) {
    seed({{L"Unit 1", {kPoint4}}, {L"Unit 2", {kPoint5, kPoint6}}});
    state.lists.back().logging.save_locale = L"D:\\Runs\\unit2.LOG";
    load(L"Unit 1");
    TagListActions actions(TagListMode::Load, partners(), view);
    actions.open();
    view.click(L"Unit 2");

    EXPECT_TRUE(actions.ok());
    EXPECT_TRUE(actions.result());
    EXPECT_EQ(entry_texts(state.points, databases), (Entries{kPoint5, kPoint6}));
    EXPECT_EQ(last_loaded, Entries{L"Unit 2"});
    EXPECT_EQ(seat.title, L"Brixtel - Unit 2");
    EXPECT_EQ(writer_logging.log_folder, L"D:\\Runs");
    EXPECT_EQ(writer_logging.log_base_name, L"unit2");
    EXPECT_TRUE(seat.boxes.empty());
}

TEST_F(TagListDialog, TheBlankEntryLeavesNoListLoaded) {
    seed({{L"Unit 1", {kPoint4}}});
    load(L"Unit 1");
    writer_logging.options.log_size = 42;
    TagListActions actions(TagListMode::Load, partners(), view);
    actions.open();
    view.click(kBlankEntry);

    EXPECT_TRUE(actions.ok());
    EXPECT_TRUE(actions.result());
    expect_no_list_loaded();
    EXPECT_TRUE(state.points.empty());
    EXPECT_FALSE(seat.enabled[Command::Monitoring]);
    // The changed log size was offered for saving first (and declined).
    EXPECT_EQ(seat.shown_texts(), std::vector<StringId>{ids::SaveChangedLogSettingsQuestion});
}

TEST_F(TagListDialog, ABadPointCanAbortTheLoad) {
    seed({{L"Unit 1", {kPoint4}}, {L"Unit 2", {kPoint5, L"Module 1,2 Block 5 -- X -- Y"}}});
    load(L"Unit 1");
    TagListActions actions(TagListMode::Load, partners(), view);
    actions.open();
    view.click(L"Unit 2");
    seat.answers = {ButtonNo};

    EXPECT_TRUE(actions.ok());
    EXPECT_FALSE(actions.result());
    EXPECT_EQ(seat.shown_texts(),
              (std::vector<StringId>{ids::LoadBadPointQuestion, ids::LoadWillNotContinue}));
    EXPECT_EQ(state.current_name, L"Unit 1");
    EXPECT_EQ(entry_texts(state.points, databases), Entries{kPoint4});
}

TEST_F(TagListDialog, ChangesAreOfferedForSavingBeforeALoad) {
    seed({{L"Unit 1", {kPoint4}}, {L"Unit 2", {kPoint5}}});
    load(L"Unit 1");
    append_point(state.points, kPoint6, databases);
    state.changed = true;
    TagListActions actions(TagListMode::Load, partners(), view);
    actions.open();
    view.selected.reset(); // nothing chosen: the dialog just closes
    seat.answers = {ButtonYes};

    EXPECT_TRUE(actions.ok());
    EXPECT_FALSE(actions.result());
    EXPECT_EQ(save_dialogs, 1);
    EXPECT_EQ(seat.boxes.at(0).formatted,
              L"Brixtel has detected changes between the current tag list\r\nand your loaded "
              L"tag list \"Unit 1\".\r\nDo you wish to save your current tag list?");
}

// ---- Ask to save changes ------------------------------------------------------------------

struct ChangeCase {
    const char* name;
    bool list_loaded;
    bool changed;
    Entries points;             // the current tag list
    std::uint32_t log_size;     // the current one; the list's and the default are 5
    std::wstring log_base_name; // empty: the list's (or the default) one
    std::vector<StringId> asked;
};

class AskToSave : public TagListDialog, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(AskToSave, AsksAboutPointsFirstThenAboutLoggingOptions) {
    const ChangeCase& c = GetParam();
    seed({{L"Unit 1", {kPoint4, kPoint5}}});
    if (c.list_loaded)
        load(L"Unit 1");
    state.points.clear();
    for (const std::wstring& point : c.points)
        append_point(state.points, point, databases);
    state.changed = c.changed;
    writer_logging.options.log_size = c.log_size;
    if (!c.log_base_name.empty())
        writer_logging.log_base_name = c.log_base_name;
    seat.answers = {ButtonYes};
    TagListPartners p = partners();

    EXPECT_EQ(ask_to_save_changes(p), !c.asked.empty());
    EXPECT_EQ(seat.shown_texts(), c.asked);
    EXPECT_FALSE(state.changed);
}

const Entries kSamePoints{L"MODULE 1,2,3 BLOCK 5 -- t5 -- NO_DATABASE", kPoint4};
const std::vector<StringId> kPointsQuestion{ids::SaveChangedLoadedListQuestion};
const std::vector<StringId> kLoggingQuestion{ids::SaveChangedLogSettingsQuestion};

INSTANTIATE_TEST_SUITE_P(
    TagList, AskToSave,
    ::testing::Values(
        ChangeCase{"nothing_changed", true, false, {kPoint4}, 5, L"", {}},
        ChangeCase{"same_points_in_other_case", true, true, kSamePoints, 5, L"", {}},
        ChangeCase{
            "a_point_more", true, true, {kPoint4, kPoint5, kPoint6}, 5, L"", kPointsQuestion},
        ChangeCase{"points_asked_alone", true, true, {kPoint4}, 9, L"", kPointsQuestion},
        ChangeCase{
            "no_list_changed", false, true, {kPoint4}, 5, L"", {ids::SaveCurrentTagListQuestion}},
        ChangeCase{"same_points_then_log_size", true, true, kSamePoints, 9, L"", kLoggingQuestion},
        ChangeCase{"log_file_name_in_other_case", true, false, {}, 5, L"BRIXTEL_UNIT 1", {}},
        ChangeCase{"log_file", true, false, {}, 5, L"other", kLoggingQuestion},
        ChangeCase{"no_list_log_size", false, false, {}, 9, L"", kLoggingQuestion}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Save ----------------------------------------------------------------------------------

struct SaveCase {
    const char* name;
    std::wstring typed;
    std::vector<int> answers;
    std::vector<StringId> shown;
    Entries names_after;  // in the registry, in order
    std::uint32_t number; // of the saved list; 0: refused, the dialog stays
};

class Save : public TagListDialog, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(Save, WritesTheCurrentPointsAndMakesTheListTheLoadedOne) {
    const SaveCase& c = GetParam();
    seed({{L"Unit 1", {kPoint4}}, {L"Unit 2", {kPoint5}}});
    load(L"Unit 1");
    append_point(state.points, kPoint6, databases);
    state.changed = true;
    TagListActions actions(TagListMode::Save, partners(), view);
    actions.open();
    view.save_as = c.typed;
    seat.answers.assign(c.answers.begin(), c.answers.end());

    EXPECT_EQ(actions.ok(), c.number != 0);
    EXPECT_EQ(seat.shown_texts(), c.shown);
    EXPECT_EQ(saved_names(), c.names_after);
    if (c.number == 0) {
        EXPECT_EQ(view.save_as_focused, 2); // at opening, and again after the refusal
        EXPECT_EQ(registry_text(2, L"TagLookUp1"), kPoint5);
        EXPECT_TRUE(last_loaded.empty());
        return;
    }
    const std::wstring name = c.names_after.at(c.number - 1);
    const int number = static_cast<int>(c.number);
    EXPECT_EQ(registry_text(number, L"TagLookUp1"), kPoint4);
    EXPECT_EQ(registry_text(number, L"TagLookUp2"), kPoint6);
    EXPECT_EQ(state.loaded_number, c.number);
    EXPECT_EQ(state.current_name, name);
    EXPECT_EQ(last_loaded, Entries{name});
    EXPECT_EQ(seat.title, L"Brixtel - " + name);
    EXPECT_FALSE(state.changed);
}

const Entries kTwoLists{L"Unit 1", L"Unit 2"};

INSTANTIATE_TEST_SUITE_P(
    TagList, Save,
    ::testing::Values(
        SaveCase{"empty", L"  \"\" ", {}, {ids::ValidNameRequired}, kTwoLists, 0},
        SaveCase{"reserved", L"(Blank Taglist)", {}, {ids::BlankTaglistNameReserved}, kTwoLists, 0},
        SaveCase{
            "reserved_bare", L"blank taglist", {}, {ids::BlankTaglistNameReserved}, kTwoLists, 0},
        SaveCase{"another_list_kept",
                 L"unit 2",
                 {ButtonNo},
                 {ids::OverwriteSavedListQuestion},
                 kTwoLists,
                 0},
        SaveCase{"loaded_list_without_asking", L"UNIT 1", {}, {}, kTwoLists, 1},
        SaveCase{"another_list_overwritten",
                 L" \"Unit 2\" ",
                 {ButtonYes},
                 {ids::OverwriteSavedListQuestion},
                 kTwoLists,
                 2},
        SaveCase{"new_list_at_the_end", L"Unit 3", {}, {}, {L"Unit 1", L"Unit 2", L"Unit 3"}, 3}),
    [](const auto& info) { return std::string(info.param.name); });

struct LogFileCase {
    const char* name;
    bool list_loaded; // "Unit 1"
    std::wstring current_folder;
    std::wstring current_base_name;
    std::wstring save_locale; // of the list saved as "Unit 9"
};

class SavedLogFile : public TagListDialog, public ::testing::WithParamInterface<LogFileCase> {};

TEST_P(SavedLogFile, KeepsAFileTheUserChoseElseTakesTheDefaultOfTheName) {
    const LogFileCase& c = GetParam();
    seed({{L"Unit 1", {kPoint4}}});
    if (c.list_loaded)
        load(L"Unit 1");
    writer_logging.log_folder = c.current_folder;
    writer_logging.log_base_name = c.current_base_name;
    TagListActions actions(TagListMode::Save, partners(), view);
    actions.open();
    view.save_as = L"Unit 9";

    ASSERT_TRUE(actions.ok());
    EXPECT_EQ(registry_text(static_cast<int>(state.loaded_number), L"SaveLocale"), c.save_locale);
    // The saved list logs to that file from now on: nothing is left to offer for saving.
    const LogFileParts file = split_log_file(c.save_locale);
    EXPECT_EQ(writer_logging.log_folder, file.folder);
    EXPECT_EQ(writer_logging.log_base_name, file.base_name);
    TagListPartners p = partners();
    EXPECT_FALSE(ask_to_save_changes(p));
    EXPECT_TRUE(seat.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    TagList, SavedLogFile,
    ::testing::Values(LogFileCase{"list_default_file", true, L"C:\\LOG", L"Brixtel_Unit 1",
                                  L"C:\\LOG\\Brixtel_Unit 9.log"},
                      LogFileCase{"list_name_without_prefix", true, L"D:\\Runs", L"unit 1",
                                  L"C:\\LOG\\Brixtel_Unit 9.log"},
                      LogFileCase{"chosen_file_kept", true, L"D:\\Runs", L"night shift",
                                  L"D:\\Runs\\night shift.log"},
                      LogFileCase{"no_list_loaded", false, L"D:\\Runs", L"night shift",
                                  L"C:\\LOG\\Brixtel_Unit 9.log"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Delete --------------------------------------------------------------------------------

TEST_F(TagListDialog, DeleteTakesNamesOutOfTheBoxAndOkDeletesThem) {
    seed({{L"Unit 1", {kPoint4}}, {L"Unit 2", {kPoint5}}, {L"Unit 3", {kPoint6}}});
    load(L"Unit 3");
    TagListActions actions(TagListMode::Delete, partners(), view);
    actions.open();
    view.click(L"Unit 2");
    actions.delete_selected();
    EXPECT_EQ(view.box, (Entries{L"Unit 1", L"Unit 3"}));
    EXPECT_EQ(view.selected, 1u); // the same position
    EXPECT_EQ(saved_names().size(), 3u) << "nothing is deleted before OK";

    EXPECT_TRUE(actions.ok());
    EXPECT_FALSE(actions.result());
    EXPECT_EQ(saved_names(), (Entries{L"Unit 1", L"Unit 3"}));
    EXPECT_EQ(registry_text(2, L"TagLookUp1"), kPoint6);
    EXPECT_EQ(state.loaded_number, 2u);
    EXPECT_TRUE(seat.boxes.empty());
}

TEST_F(TagListDialog, AnEmptiedBoxDisablesDeleteAndReview) {
    TagListActions no_lists(TagListMode::Delete, partners(), view);
    no_lists.open();
    EXPECT_FALSE(view.enabled[TagListControl::Delete]);
    EXPECT_FALSE(view.enabled[TagListControl::Ok]);

    seed({{L"Unit 1", {kPoint4}}});
    TagListActions actions(TagListMode::Delete, partners(), view);
    view.enabled.clear();
    actions.open();
    EXPECT_TRUE(view.enabled[TagListControl::Delete]);
    view.click(L"Unit 1");
    actions.delete_selected();
    EXPECT_EQ(view.selected, std::nullopt);
    EXPECT_FALSE(view.enabled[TagListControl::Delete]);
    EXPECT_FALSE(view.enabled[TagListControl::Review]);
    EXPECT_TRUE(actions.ok());
    EXPECT_TRUE(saved_names().empty());
}

struct LoadedDeletion {
    const char* name;
    bool monitoring;
    std::size_t stopped;
};

class LoadedListDeleted : public TagListDialog,
                          public ::testing::WithParamInterface<LoadedDeletion> {};

TEST_P(LoadedListDeleted, AsksFirstThenLeavesNoListAndDetachesItsPoints) {
    const LoadedDeletion& c = GetParam();
    seed({{L"Unit 1", {kPoint4}}, {L"Unit 2", {kPoint5, kPoint6}}});
    load(L"Unit 2");
    state.changed = true;
    writer_logging.options.log_size = 42;
    monitoring = c.monitoring;
    TagListActions actions(TagListMode::Delete, partners(), view);
    actions.open();
    seat.answers = {ButtonNo, ButtonYes};
    actions.delete_selected();
    EXPECT_EQ(view.box.size(), 2u);
    actions.delete_selected();
    EXPECT_EQ(view.selected, 0u); // the one before
    EXPECT_EQ(seat.shown_texts(), (std::vector<StringId>{ids::DeleteLoadedListQuestion,
                                                         ids::DeleteLoadedListQuestion}));

    EXPECT_TRUE(actions.ok());
    EXPECT_TRUE(actions.result());
    expect_no_list_loaded();
    EXPECT_EQ(saved_names(), Entries{L"Unit 1"});
    EXPECT_EQ(state.points.size(), 2u);
    EXPECT_TRUE(entry_texts(state.points, databases).empty()) << "every point is detached";
    EXPECT_EQ(stopped.size(), c.stopped);
}

INSTANTIATE_TEST_SUITE_P(TagList, LoadedListDeleted,
                         ::testing::Values(LoadedDeletion{"monitoring_off", false, 0},
                                           LoadedDeletion{"monitoring_on", true, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TagListDialog, DeletionsFollowTheBoxOneForOne) {
    seed({{L"Twin", {kPoint4}}, {L"Twin", {kPoint5}}, {L"Other", {kPoint6}}});
    TagListActions actions(TagListMode::Delete, partners(), view);
    actions.open();
    view.selected = 1;
    actions.delete_selected();
    view.unreadable = true;
    EXPECT_TRUE(actions.ok());
    EXPECT_EQ(seat.shown_texts(), std::vector<StringId>{ids::DeletedListsReadFailed});
    EXPECT_EQ(saved_names().size(), 3u) << "a box that cannot be read deletes nothing";

    view.unreadable = false;
    EXPECT_TRUE(actions.ok());
    EXPECT_EQ(saved_names(), (Entries{L"Twin", L"Other"}));
    EXPECT_EQ(registry_text(1, L"TagLookUp1"), kPoint4);
}

} // namespace
} // namespace brixtel
