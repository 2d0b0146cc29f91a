#include "tags/tag_list_files.h"

#include "logging/fake_log_folder_system.h"
#include "platform/text_file.h"
#include "support/fake_seat.h"
#include "tag_list_fakes.h"
#include "tags/tag_list_registry.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace brixtel {
namespace {

using namespace brixtel::testing;

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
const std::wstring kTags = L"Software\\Quorrel\\Halvo Brixtel\\Tags";

PointNode point(BlockAddress address, std::wstring tag, std::int32_t database) {
    return PointNode{std::move(tag), address, database};
}

// --- Writing ---

struct WriteCase {
    const char* name;
    CurrentTagList points;
    std::wstring list_file;
    std::wstring excel_file;
};

class CurrentListFiles : public ::testing::TestWithParam<WriteCase> {};

TEST_P(CurrentListFiles, WriteEveryAttachedPointInStoredForm) {
    FakeDatabaseNames databases;
    databases.slots[2] = L"C:\\DB\\UNIT1.DBF";
    EXPECT_EQ(tag_list_file_text(GetParam().points, databases), GetParam().list_file);
    EXPECT_EQ(excel_dde_file_text(GetParam().points), GetParam().excel_file);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CurrentListFiles,
    ::testing::Values(
        WriteCase{"OnePoint",
                  {point({1, 2, 3, 100}, L"FIC-101", 2)},
                  L"Module 1,2,3 Block 100 -- FIC-101 -- C:\\DB\\UNIT1.DBF\r\n",
                  L"Tag Information;Tag Name;Data Value\r\n"
                  L"Module 1,2,3 Block 100;FIC-101;=Brixtel|Output!'Module 1,2,3 Block 100'\r\n"},
        WriteCase{"NoTagNoDatabase",
                  {point({4, 5, 6, 7}, L"", 1), point({4, 5, 6, 8}, L"NO_TAG", 1)},
                  L"Module 4,5,6 Block 7 -- NO_TAG -- NO_DATABASE\r\n"
                  L"Module 4,5,6 Block 8 -- NO_TAG -- NO_DATABASE\r\n",
                  L"Tag Information;Tag Name;Data Value\r\n"
                  L"Module 4,5,6 Block 7;NO_TAG;=Brixtel|Output!'Module 4,5,6 Block 7'\r\n"
                  L"Module 4,5,6 Block 8;NO_TAG;=Brixtel|Output!'Module 4,5,6 Block 8'\r\n"},
        WriteCase{"DetachedLeftOut",
                  {point({1, 1, 1, 1}, L"GONE", kDetachedDatabase), point({1, 1, 1, 2}, L"K", 1)},
                  L"Module 1,1,1 Block 2 -- K -- NO_DATABASE\r\n",
                  L"Tag Information;Tag Name;Data Value\r\n"
                  L"Module 1,1,1 Block 2;K;=Brixtel|Output!'Module 1,1,1 Block 2'\r\n"},
        WriteCase{"OnlyDetached",
                  {point({1, 1, 1, 1}, L"GONE", kDetachedDatabase)},
                  L"",
                  L"Tag Information;Tag Name;Data Value\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SavedListFiles, TakeTheEntriesFieldsTrimmed) {
    const std::vector<std::wstring> entries{
        L"Module 1,2,3 Block 100 -- FIC-101 -- C:\\DB\\UNIT1.DBF",
        L"  Module 9,9,9 Block 9   --   spaced tag  -- NO_DATABASE", L"no separator at all",
        L"Module 2,2,2 Block 2 -- only one", L""};
    EXPECT_EQ(excel_dde_file_text(entries),
              L"Tag Information;Tag Name;Data Value\r\n"
              L"Module 1,2,3 Block 100;FIC-101;=Brixtel|Output!'Module 1,2,3 Block 100'\r\n"
              L"Module 9,9,9 Block 9;spaced tag;=Brixtel|Output!'Module 9,9,9 Block 9'\r\n"
              L"Module 2,2,2 Block 2;only one;=Brixtel|Output!'Module 2,2,2 Block 2'\r\n");
    // The tag list file writes every entry as it stands.
    EXPECT_EQ(tag_list_file_text(entries),
              L"Module 1,2,3 Block 100 -- FIC-101 -- C:\\DB\\UNIT1.DBF\r\n"
              L"  Module 9,9,9 Block 9   --   spaced tag  -- NO_DATABASE\r\n"
              L"no separator at all\r\n"
              L"Module 2,2,2 Block 2 -- only one\r\n"
              L"\r\n");
}

TEST(TextFiles, AreEightBitWithoutMarkAndKeepTheirLineEnds) {
    TempFolder folder;
    const std::wstring path = folder.file("out.lst");
    const std::wstring text = L"Module 1,2,3 Block 4 -- P\u00e9rez -- NO_DATABASE\r\n";
    ASSERT_TRUE(write_text_file(path, text));
    std::ifstream in(folder.path() / "out.lst", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(bytes, "Module 1,2,3 Block 4 -- P\xc3\xa9rez -- NO_DATABASE\r\n");
    EXPECT_EQ(read_text_file(path), text);
    // Writing again empties the file first.
    ASSERT_TRUE(write_text_file(path, L"x"));
    EXPECT_EQ(read_text_file(path), L"x");
    EXPECT_FALSE(write_text_file(folder.file("missing/sub/out.lst"), text));
    EXPECT_FALSE(read_text_file(folder.file("missing.lst")));
    // A byte that is not UTF-8 reads as the character of its number.
    EXPECT_EQ(read_text_file(folder.write("latin.lst", "P\xe9rez")), L"P\u00e9rez");
}

// --- Choices shared with the Tag list dialog ---

TEST(ReservedListName, IsBlankTaglistInAnyCaseWithOrWithoutParentheses) {
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"Blank Taglist", true},    {L"(Blank Taglist)", true},    {L"blank taglist", true},
        {L"(BLANK TAGLIST", true},   {L"blank taglist)", true},     {L"Blank  Taglist", false},
        {L"Blank Taglist 2", false}, {L"((Blank Taglist))", false}, {L"", false},
        {L"Plant", false},
    };
    for (const auto& [name, reserved] : cases)
        EXPECT_EQ(is_reserved_list_name(name), reserved) << std::wstring(name);
}

TEST(EntrySets, DifferOnlyInTheirTextsWithoutRegardToCase) {
    using V = std::vector<std::wstring>;
    struct Case {
        V a, b;
        bool differ;
    };
    const Case cases[] = {
        {{}, {}, false},
        {{L"a", L"b"}, {L"B", L"A"}, false},
        {{L"a", L"a", L"b"}, {L"b", L"a"}, false},
        {{L"a"}, {L"a", L"b"}, true},
        {{L"a", L"b"}, {L"a"}, true},
        {{L"a"}, {}, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(entry_sets_differ(c.a, c.b), c.differ) << c.a.size() << " " << c.b.size();
}

class DialogExportTest : public ::testing::Test {
  protected:
    FakeSeat seat;
    FakeDatabaseNames databases;
    TagListState state;
    int questions = 0;

    DialogExportTest() {
        state.lists.push_back({L"Plant", {L"Module 1,1,1 Block 1 -- A -- NO_DATABASE"}, 1, {}});
        state.lists.push_back({L"Other", {L"Module 2,2,2 Block 2 -- B -- NO_DATABASE"}, 1, {}});
        state.loaded = &state.lists.front();
        state.loaded_number = 1;
        state.points.push_back(point({1, 1, 1, 1}, L"A", 1));
    }

    std::optional<DialogExport> run(std::wstring_view selected, ExportChoice choice,
                                    ExportKind kind = ExportKind::TagListFile) {
        return dialog_export(seat, state, databases, selected, kind, [&] {
            ++questions;
            return choice;
        });
    }
};

TEST_F(DialogExportTest, BlankEntryHasNothingToExport) {
    EXPECT_FALSE(run(L"(Blank Taglist)", ExportChoice::SavedTags));
    EXPECT_EQ(seat.shown_texts(), std::vector<StringId>{ids::NothingToExportFromBlank});
    EXPECT_EQ(seat.boxes[0].caption, ids::NoExport);
}

TEST_F(DialogExportTest, LoadedListEqualToCurrentTagsIsWrittenWithoutAsking) {
    state.points[0].tag_name = L"a"; // the same entry in another case
    const auto result = run(L"plant", ExportChoice::Cancel);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->list_name, L"Plant");
    EXPECT_EQ(result->text, L"Module 1,1,1 Block 1 -- A -- NO_DATABASE\r\n");
    EXPECT_EQ(questions, 0);
}

TEST_F(DialogExportTest, ChangedLoadedListAsksWhichTagsToWrite) {
    state.points.push_back(point({3, 3, 3, 3}, L"NEW", 1));
    struct Case {
        ExportChoice choice;
        std::optional<std::wstring> text;
    };
    const Case cases[] = {
        {ExportChoice::SavedTags, L"Module 1,1,1 Block 1 -- A -- NO_DATABASE\r\n"},
        {ExportChoice::CurrentTags, L"Module 1,1,1 Block 1 -- A -- NO_DATABASE\r\n"
                                    L"Module 3,3,3 Block 3 -- NEW -- NO_DATABASE\r\n"},
        {ExportChoice::Cancel, std::nullopt},
    };
    for (const Case& c : cases) {
        questions = 0;
        const auto result = run(L"Plant", c.choice);
        EXPECT_EQ(questions, 1);
        EXPECT_EQ(result ? std::optional(result->text) : std::nullopt, c.text);
    }
    // Excel DDE text of the current tags comes from the points themselves.
    const auto excel = run(L"Plant", ExportChoice::CurrentTags, ExportKind::ExcelDdeFile);
    ASSERT_TRUE(excel);
    EXPECT_NE(excel->text.find(L"Module 3,3,3 Block 3;NEW;"), std::wstring::npos);
}

TEST_F(DialogExportTest, AnotherListIsWrittenAsSavedAndUnknownNamesGiveNothing) {
    state.points.clear();
    const auto other = run(L"Other", ExportChoice::Cancel, ExportKind::ExcelDdeFile);
    ASSERT_TRUE(other);
    EXPECT_EQ(other->text, L"Tag Information;Tag Name;Data Value\r\n"
                           L"Module 2,2,2 Block 2;B;=Brixtel|Output!'Module 2,2,2 Block 2'\r\n");
    EXPECT_FALSE(run(L"Nowhere", ExportChoice::SavedTags));
    EXPECT_EQ(questions, 0);
    EXPECT_TRUE(seat.boxes.empty());
}

// --- Reading ---

TEST(TextFileLines, ReadAsTextModeReadsThemIntoALineBuffer) {
    using V = std::vector<std::wstring>;
    const std::wstring long_line(1500, L'x');
    const std::pair<std::wstring, V> cases[] = {
        {L"", {}},
        {L"a\r\nb\r\n", {L"a", L"b"}},
        {L"a\nb", {L"a", L"b"}},
        {L"a\r\r\nb\rc", {L"a\r", L"b\rc"}},
        {L"\r\n\r\n", {L"", L""}},
        {long_line + L"\r\nz", {std::wstring(1023, L'x'), std::wstring(477, L'x'), L"z"}},
        {std::wstring(1023, L'y') + L"\n", {std::wstring(1023, L'y')}},
        {std::wstring(L"ab\0cd\nef", 8), {L"ab", L"ef"}},
    };
    for (const auto& [text, lines] : cases)
        EXPECT_EQ(text_file_lines(text), lines) << text.size();
}

TEST(ImportLineFormat, NeedsTwoSeparatorsAndModuleThenBlock) {
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"Module 1,2,3 Block 4 -- T -- NO_DATABASE", true},
        {L"module 1,2,3 block 4 -- T -- D", true},
        {L"MODULE 1,2,3 BLOCK 4 --  -- D", true},
        {L"Module 1,2,3 Block 4 -- T --", false}, // the second separator lacks its blank
        {L"Module 1,2,3 Block 4 -- T", false},
        {L"Module 1,2,3 Block 4 -- -- D", false},
        {L"Loop 1,2,3 Block 4 -- T -- D", false},
        {L" Module 1,2,3 Block 4 -- T -- D", false},
        {L"Module 1,2,3 -- T -- Block 4", false},
        {L"Module 1,2,3 Blocks4 -- T -- D", false},
        {L"Modul\u00e9 1,2,3 Block 4 -- T -- D", false},
    };
    for (const auto& [line, ok] : cases)
        EXPECT_EQ(import_line_well_formed(line), ok) << std::wstring(line);
}

TEST(ImportEntries, SkipBlankLinesAndTrimTheRest) {
    const std::vector<std::wstring> lines{L"", L"  \t ", L"  Module 1,1,1 Block 1 -- T -- D \r",
                                          L"Module 2,2,2 Block 2 -- NO_TAG -- NO_DATABASE"};
    EXPECT_EQ(import_entries(lines),
              (std::vector<std::wstring>{L"Module 1,1,1 Block 1 -- T -- D",
                                         L"Module 2,2,2 Block 2 -- NO_TAG -- NO_DATABASE"}));
}

TEST(RemoveEntries, TakesTheFirstFiveHundredSelectedAndKeepsTheOrder) {
    std::vector<std::wstring> entries;
    for (int i = 0; i < 600; ++i)
        entries.push_back(std::to_wstring(i));
    std::vector<std::size_t> selected;
    for (std::size_t i = 0; i < 600; ++i)
        selected.push_back(599 - i); // every row, in any order, once more and out of range
    selected.push_back(3);
    selected.push_back(9999);
    remove_entries(entries, selected);
    ASSERT_EQ(entries.size(), 100u);
    EXPECT_EQ(entries.front(), L"500");
    EXPECT_EQ(entries.back(), L"599");

    std::vector<std::wstring> few{L"a", L"b", L"c"};
    const std::vector<std::size_t> middle{1};
    remove_entries(few, middle);
    EXPECT_EQ(few, (std::vector<std::wstring>{L"a", L"c"}));
}

// --- The import ---

class FakeImportView : public ImportView {
  public:
    std::map<ImportField, std::wstring> fields;
    bool load_after = false;
    std::vector<ImportField> selected;
    // Points Exceeded: how many entries the user keeps (from the front), or Cancel.
    std::optional<std::size_t> keep;
    std::vector<std::size_t> offered;

    std::wstring field_text(ImportField field) const override {
        const auto found = fields.find(field);
        return found == fields.end() ? std::wstring() : found->second;
    }
    void select_field(ImportField field) override { selected.push_back(field); }
    bool load_after_import() const override { return load_after; }
    std::optional<std::vector<std::wstring>>
    reduce_entries(std::vector<std::wstring> entries) override {
        offered.push_back(entries.size());
        if (!keep)
            return std::nullopt;
        entries.resize(*keep);
        return entries;
    }
};

class FakeImportFiles : public ImportFiles {
  public:
    std::map<std::wstring, std::wstring> texts;
    // Reads that fail, by their number (1 = the format check's).
    std::set<int> failing_reads;
    mutable int reads = 0;

    bool exists(std::wstring_view path) const override {
        return texts.contains(std::wstring(path));
    }
    std::optional<std::wstring> read(std::wstring_view path) const override {
        ++reads;
        if (failing_reads.contains(reads) || !exists(path))
            return std::nullopt;
        return texts.at(std::wstring(path));
    }
};

// Every value under "Software": type and bytes by key path and value name.
using RegistryDump = std::map<std::wstring, std::pair<std::uint32_t, std::vector<std::uint8_t>>>;

void dump_key(const MemoryRegistry& registry, const std::wstring& path, RegistryDump& out) {
    for (const std::wstring& name : registry.value_names(kUser, path))
        if (const auto value = registry.value(kUser, path, name))
            out[path + L"|" + name] = {value->type, value->data};
    for (const std::wstring& sub : registry.subkey_names(kUser, path))
        dump_key(registry, path + L"\\" + sub, out);
}

RegistryDump dump(const MemoryRegistry& registry) {
    RegistryDump out;
    dump_key(registry, L"Software", out);
    return out;
}

std::wstring lines(const std::vector<std::wstring>& texts) {
    std::wstring text;
    for (const auto& line : texts)
        text += line + L"\r\n";
    return text;
}

std::wstring entry(int block, std::wstring_view tag = L"T") {
    return L"Module 1,2,3 Block " + std::to_wstring(block) + L" -- " + std::wstring(tag) +
           L" -- NO_DATABASE";
}

std::vector<std::wstring> entries(int count) {
    std::vector<std::wstring> texts;
    for (int i = 1; i <= count; ++i)
        texts.push_back(entry(i));
    return texts;
}

class TagListImportTest : public ::testing::Test {
  protected:
    MemoryRegistry registry;
    FakeSeat seat;
    FakeLogFolderSystem folders;
    TagListState state;
    FakeImportFiles files;
    FakeImportView view;
    bool monitoring = false;
    int loads = 0;
    std::wstring loaded_name_at_load;

    TagListImportTest() {
        registry.create(kUser, L"Software\\Quorrel\\Halvo Brixtel", RegistryAccess::ReadWrite);
        folders.fixed_root = L"C:\\";
        folders.folders.insert(L"C:\\");
        seed_list(registry, 1, L"Plant", {entry(1, L"OLD")});
        seed_list(registry, 2, L"Other", {entry(2, L"OTHER")});
        state.lists = read_all_lists(registry, seat, folders);
        state.loaded = &state.lists.front();
        state.loaded_number = 1;
        state.current_name = L"Plant";
        state.points.push_back(point({1, 2, 3, 1}, L"OLD", 1));
        view.fields[ImportField::File] = L"C:\\in.lst";
        view.fields[ImportField::Name] = L"New";
    }

    ImportOutcome run(std::wstring file_text) {
        files.texts[L"C:\\in.lst"] = std::move(file_text);
        return run_as_it_is();
    }

    ImportOutcome run_as_it_is() {
        ImportPartners partners{seat,
                                registry,
                                folders,
                                state,
                                files,
                                [this] { return monitoring; },
                                [this] {
                                    ++loads;
                                    loaded_name_at_load = state.current_name;
                                }};
        return TagListImport(partners, view).run();
    }

    std::vector<std::wstring> saved_entries(int number) {
        return read_list_entries(registry, seat, L"List" + std::to_wstring(number), false);
    }
};

struct RefusalCase {
    const char* name;
    std::wstring file_field;
    std::wstring name_field;
    bool monitoring;
    std::vector<int> answers; // buttons for the questions, in order
    std::vector<StringId> boxes;
    std::vector<ImportField> selected;
};

class ImportRefusals : public TagListImportTest,
                       public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(ImportRefusals, KeepTheDialogAndChangeNothing) {
    const RefusalCase& c = GetParam();
    view.fields[ImportField::File] = c.file_field;
    view.fields[ImportField::Name] = c.name_field;
    monitoring = c.monitoring;
    seat.answers.assign(c.answers.begin(), c.answers.end());
    files.texts[L"C:\\in.lst"] = lines(entries(3));
    const RegistryDump before = dump(registry);

    EXPECT_EQ(run_as_it_is(), ImportOutcome::KeepOpen);
    EXPECT_EQ(seat.shown_texts(), c.boxes);
    EXPECT_EQ(view.selected, c.selected);
    EXPECT_EQ(dump(registry), before);
    EXPECT_EQ(state.lists.size(), 2u);
    EXPECT_EQ(state.lists.front().entries, std::vector<std::wstring>{entry(1, L"OLD")});
    EXPECT_EQ(files.reads, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ImportRefusals,
    ::testing::Values(
        RefusalCase{
            "NoFile", L" \"\" ", L"New", false, {}, {ids::ImportFileMissing}, {ImportField::File}},
        RefusalCase{"NoName",
                    L"C:\\in.lst",
                    L"  ",
                    false,
                    {},
                    {ids::ImportNameMissing},
                    {ImportField::Name}},
        RefusalCase{"FileMissing",
                    L"C:\\gone.lst",
                    L"New",
                    false,
                    {},
                    {ids::ImportFileNotFound},
                    {ImportField::File}},
        RefusalCase{"ReservedName",
                    L"\"C:\\in.lst\"",
                    L" \"(blank TAGLIST)\" ",
                    false,
                    {},
                    {ids::BlankTaglistNameReserved},
                    {ImportField::Name}},
        RefusalCase{"LoadedWhileMonitoring",
                    L"C:\\in.lst",
                    L"PLANT",
                    true,
                    {},
                    {ids::ImportOverLoadedListWhileMonitoring},
                    {}},
        RefusalCase{"LoadedNotOverwritten",
                    L"C:\\in.lst",
                    L"plant",
                    false,
                    {ButtonNo},
                    {ids::OverwriteLoadedTagsQuestion, ids::NewNameForImport},
                    {}},
        RefusalCase{"OtherNotOverwritten",
                    L"C:\\in.lst",
                    L"other",
                    true,
                    {ButtonNo},
                    {ids::OverwriteExistingListQuestion, ids::NewNameForImport},
                    {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct FailureCase {
    const char* name;
    std::wstring text;
    std::set<int> failing_reads;
    std::vector<int> answers;
    std::optional<std::size_t> keep; // Points Exceeded
    std::vector<StringId> boxes;
};

class ImportFailures : public TagListImportTest,
                       public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ImportFailures, CloseTheDialogAndLeaveEverySavedListAsItWas) {
    const FailureCase& c = GetParam();
    files.failing_reads = c.failing_reads;
    seat.answers.assign(c.answers.begin(), c.answers.end());
    view.keep = c.keep;
    view.load_after = true;
    const RegistryDump before = dump(registry);
    const ListOfLists lists_before = state.lists;

    EXPECT_EQ(run(c.text), ImportOutcome::Failed);
    EXPECT_EQ(seat.shown_texts(), c.boxes);
    EXPECT_EQ(dump(registry), before);
    ASSERT_EQ(state.lists.size(), lists_before.size());
    EXPECT_EQ(state.lists.front().entries, lists_before.front().entries);
    EXPECT_EQ(state.current_name, L"Plant");
    EXPECT_EQ(state.points.size(), 1u);
    EXPECT_EQ(loads, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ImportFailures,
    ::testing::Values(
        FailureCase{
            "CheckCannotOpen", lines(entries(2)), {1}, {}, {}, {ids::CannotOpenImportForCheck}},
        FailureCase{"ImportCannotOpen", lines(entries(2)), {2}, {}, {}, {ids::CannotOpenImport}},
        // The format check comes before any point check.
        FailureCase{"SecondSeparatorMissing",
                    lines({entry(1), L"Module 1,2,3 Block 99999999999 -- x", entry(2)}),
                    {},
                    {},
                    {},
                    {ids::ImportEntriesMalformed}},
        FailureCase{"BadPointDeclined",
                    lines({entry(1), L"Module 1,2,3 Block x4 -- T -- D", entry(2)}),
                    {},
                    {ButtonNo},
                    {},
                    {ids::ImportBadPointQuestion, ids::ImportWillNotContinue}},
        FailureCase{"OnlyBadPoints",
                    lines({L"Module a Block b -- T -- D", L"MODULE x BLOCK y -- T -- D"}),
                    {},
                    {ButtonYes},
                    {},
                    {ids::ImportBadPointQuestion, ids::NoValidPointsImported}},
        FailureCase{"EmptyFile", L"", {}, {}, {}, {ids::NoValidPointsImported}},
        FailureCase{"TooManyCancelled", lines(entries(55)), {}, {}, std::nullopt, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TagListImportTest, NewListIsAppendedWithTheImportsOwnOptions) {
    const auto text = lines({L"", L"  Module 1,2,3 Block 7 -- FIC-7 -- NO_DATABASE  ", L"   ",
                             L"Module 4,5,6 Block 8 -- NO_TAG -- C:\\db.dbf"});
    EXPECT_EQ(run(text), ImportOutcome::Imported);
    EXPECT_TRUE(seat.boxes.empty());
    ASSERT_EQ(state.lists.size(), 3u);
    const TagListRecord& added = state.lists.back();
    EXPECT_EQ(added.name, L"New");
    const std::vector<std::wstring> expected{L"Module 1,2,3 Block 7 -- FIC-7 -- NO_DATABASE",
                                             L"Module 4,5,6 Block 8 -- NO_TAG -- C:\\db.dbf"};
    EXPECT_EQ(added.entries, expected);
    EXPECT_EQ(saved_entries(3), expected);
    EXPECT_EQ(text_of(registry.value(kUser, kTags + L"\\List3", L"name")), L"New");

    const std::wstring folder = default_log_folder(registry, folders);
    LoggingOptions options;
    options.log_first_time = options.log_last_time = options.log_indv_time = true;
    options.save_locale = folder + L"\\Brixtel_New.log";
    EXPECT_EQ(added.logging, options);
    EXPECT_EQ(text_of(registry.value(kUser, kTags + L"\\List3", L"SaveLocale")),
              options.save_locale);
    // Not asked to load: the loaded list stays.
    EXPECT_EQ(loads, 0);
    EXPECT_EQ(state.loaded, &state.lists.front());
    EXPECT_EQ(state.current_name, L"Plant");
}

TEST_F(TagListImportTest, ReplacingAListKeepsItsNumberNameAndOptions) {
    state.lists.back().logging.log_size = 77;
    save_list(registry, seat, L"List2", state.lists.back());
    seat.answers = {ButtonYes};
    view.fields[ImportField::Name] = L"OTHER";
    EXPECT_EQ(run(lines({entry(5), entry(6)})), ImportOutcome::Imported);
    EXPECT_EQ(seat.shown_texts(), std::vector<StringId>{ids::OverwriteExistingListQuestion});
    ASSERT_EQ(state.lists.size(), 2u);
    EXPECT_EQ(state.lists.back().name, L"Other");
    EXPECT_EQ(state.lists.back().logging.log_size, 77u);
    EXPECT_EQ(saved_entries(2), (std::vector<std::wstring>{entry(5), entry(6)}));
    EXPECT_EQ(saved_entries(1), std::vector<std::wstring>{entry(1, L"OLD")});
    EXPECT_FALSE(registry.key_exists(kUser, kTags + L"\\List3"));
    EXPECT_EQ(loads, 0);
}

TEST_F(TagListImportTest, ReplacingTheLoadedListReloadsIt) {
    seat.answers = {ButtonYes};
    view.fields[ImportField::Name] = L"plant";
    EXPECT_EQ(run(lines({entry(9)})), ImportOutcome::Imported);
    EXPECT_EQ(seat.boxes[0].caption, ids::CurrentNameChosen);
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(loaded_name_at_load, L"Plant");
    EXPECT_TRUE(state.points.empty()); // cleared for the load, which the partner does
    EXPECT_EQ(state.loaded, &state.lists.front());
    EXPECT_EQ(state.lists.front().entries, std::vector<std::wstring>{entry(9)});
}

TEST_F(TagListImportTest, LoadAfterImportLoadsTheNewList) {
    view.load_after = true;
    view.fields[ImportField::Name] = L" \"Fresh\" ";
    EXPECT_EQ(run(lines({entry(9)})), ImportOutcome::Imported);
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(loaded_name_at_load, L"Fresh");
    EXPECT_EQ(state.lists.back().name, L"Fresh");
}

TEST_F(TagListImportTest, BadPointsAreDroppedOnceTheUserAgrees) {
    seat.answers = {ButtonYes};
    const auto text = lines({L"Module 1,2 Block 3 -- BAD1 -- D", entry(2),
                             L"Module 1,2,3 Block x3 -- BAD2 -- D", entry(3)});
    EXPECT_EQ(run(text), ImportOutcome::Imported);
    EXPECT_EQ(seat.shown_texts(), std::vector<StringId>{ids::ImportBadPointQuestion});
    EXPECT_EQ(state.lists.back().entries, (std::vector<std::wstring>{entry(2), entry(3)}));
}

// Bad points are dropped before the entries are cut to what "Points Exceeded" can list.
TEST_F(TagListImportTest, BadPointsDoNotTakePlacesInTheLongestList) {
    std::vector<std::wstring> texts(100, L"Module 1,2 Block 3 -- BAD -- D");
    const std::vector<std::wstring> good = entries(32767);
    texts.insert(texts.end(), good.begin(), good.end());
    seat.answers = {ButtonYes};
    view.keep = 50;
    EXPECT_EQ(run(lines(texts)), ImportOutcome::Imported);
    EXPECT_EQ(view.offered, std::vector<std::size_t>{32767});
    EXPECT_EQ(state.lists.back().entries.front(), entry(1));
}

TEST_F(TagListImportTest, MoreThanFiftyPointsMustBeReducedFirst) {
    struct Case {
        int count;
        std::vector<std::size_t> offered;
    };
    // Past what "Points Exceeded" can list, the file's first entries are offered.
    const Case cases[] = {{50, {}}, {55, {55}}, {32767, {32767}}, {40000, {32767}}};
    for (const Case& c : cases) {
        view.offered.clear();
        view.keep = 50;
        view.fields[ImportField::Name] = L"Big" + std::to_wstring(c.count);
        EXPECT_EQ(run(lines(entries(c.count))), ImportOutcome::Imported);
        EXPECT_EQ(view.offered, c.offered);
        EXPECT_EQ(state.lists.back().entries.size(), 50u);
    }
}

TEST_F(TagListImportTest, ARegistryThatRefusesTheListKeepsItOutOfMemory) {
    registry.fail_key(kUser, kTags + L"\\List3");
    EXPECT_EQ(run(lines({entry(1)})), ImportOutcome::Failed);
    EXPECT_EQ(seat.shown_texts(), std::vector<StringId>{ids::TagsWriteFailed});
    EXPECT_EQ(state.lists.size(), 2u);
}

// --- Bad files on disk, through the platform's reading ---

struct BadFileCase {
    const char* name;
    std::string bytes;
    std::vector<int> answers;
    std::vector<StringId> boxes;
};

std::string repeated_lines(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += "Module 1,2,3 Block " + std::to_string(i) + " -- T" + std::to_string(i) +
                " -- NO_DATABASE\r\n";
    return text;
}

class BadImportFiles : public TagListImportTest,
                       public ::testing::WithParamInterface<BadFileCase> {};

TEST_P(BadImportFiles, EndInTheirMessageWithTheRegistryUnchanged) {
    TempFolder folder;
    const BadFileCase& c = GetParam();
    view.fields[ImportField::File] = folder.write("bad.lst", c.bytes);
    seat.answers.assign(c.answers.begin(), c.answers.end());
    view.keep = std::nullopt; // Points Exceeded: Cancel
    const RegistryDump before = dump(registry);
    const PlatformImportFiles disk;
    ImportPartners partners{seat, registry, folders, state, disk, [] { return false; }, [] {}};

    EXPECT_EQ(TagListImport(partners, view).run(), ImportOutcome::Failed);
    EXPECT_EQ(seat.shown_texts(), c.boxes);
    EXPECT_EQ(dump(registry), before);
    EXPECT_EQ(state.lists.size(), 2u);
}

std::string binary_bytes() {
    std::string bytes;
    for (int i = 0; i < 4096; ++i)
        bytes += static_cast<char>((i * 7919) & 0xFF);
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadImportFiles,
    ::testing::Values(
        BadFileCase{"Binary", binary_bytes(), {}, {ids::ImportEntriesMalformed}},
        // Read in pieces of 1023 characters: the rest of the line is a line of its own.
        BadFileCase{"LineOfTenThousandCharacters",
                    "Module 1,2,3 Block 4 -- T -- " + std::string(10000, 'D') + "\r\n",
                    {},
                    {ids::ImportEntriesMalformed}},
        BadFileCase{"TenThousandLinesCancelled", repeated_lines(10000), {}, {}},
        BadFileCase{"OnlyBlankLines", "\r\n   \r\n\t\r\n\n\n", {}, {ids::NoValidPointsImported}},
        BadFileCase{"SeparatorsWithoutModuleOrBlock",
                    "Loop 1 -- T -- D\r\nModule 1,2,3 -- T -- Block 4\r\n",
                    {},
                    {ids::ImportEntriesMalformed}},
        BadFileCase{"NonAsciiAddress",
                    "M\xc3\xb6"
                    "dule 1,2,3 Block 4 -- T -- D\r\n",
                    {},
                    {ids::ImportEntriesMalformed}},
        BadFileCase{"NonAsciiTagsButBadPoints",
                    "Module 1,2,3 Block x4 -- \xe6\xb8\xa9\xe5\xba\xa6 -- D\r\n",
                    {ButtonNo},
                    {ids::ImportBadPointQuestion, ids::ImportWillNotContinue}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TagListImportTest, NonAsciiTagNamesSurviveExportAndImport) {
    TempFolder folder;
    const std::wstring path = folder.file("round.lst");
    const std::vector<std::wstring> saved{
        L"Module 1,2,3 Block 4 -- TEMP\u00c9RATURE -- NO_DATABASE",
        L"Module 1,2,3 Block 5 -- \u6e29\u5ea6 -- NO_DATABASE"};
    ASSERT_TRUE(write_text_file(path, tag_list_file_text(saved)));
    view.fields[ImportField::File] = path;
    const PlatformImportFiles disk;
    ImportPartners partners{seat, registry, folders, state, disk, [] { return false; }, [] {}};
    EXPECT_EQ(TagListImport(partners, view).run(), ImportOutcome::Imported);
    EXPECT_EQ(state.lists.back().entries, saved);
    EXPECT_EQ(saved_entries(3), saved);
}

} // namespace
} // namespace brixtel
