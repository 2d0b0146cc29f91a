// Tag list files (.LST) as the import reads them: the lines of the file, the format check of
// every line, and the whole import over the platform's file reading, a registry in memory and
// the load of the imported list. The first byte plays the user: the answers to the import's
// questions, "Load list after import", what "Points Exceeded" keeps, whether monitoring runs
// and whether the name is that of a saved list.
#include "core/add_point_check.h"
#include "fuzz_support.h"
#include "logging/current_logging.h"
#include "platform/memory_registry.h"
#include "tags/tag_list_files.h"

using namespace brixtel;

namespace {

class ScriptedImportView : public ImportView {
  public:
    std::wstring file;
    std::wstring name;
    bool load_after = false;
    bool keep_first = false;

    std::wstring field_text(ImportField field) const override {
        return field == ImportField::File ? file : name;
    }
    void select_field(ImportField) override {}
    bool load_after_import() const override { return load_after; }
    std::optional<std::vector<std::wstring>>
    reduce_entries(std::vector<std::wstring> entries) override {
        if (!keep_first)
            return std::nullopt;
        entries.resize(std::min(entries.size(), kMaxListedPoints));
        return entries;
    }
};

void check_lines(std::wstring_view text) {
    const std::vector<std::wstring> lines = text_file_lines(text);
    for (const std::wstring& line : lines) {
        fuzz::check(line.size() <= 1023, "a line is read in pieces of 1023 characters");
        (void)import_line_well_formed(line);
    }
    const std::vector<std::wstring> entries = import_entries(lines);
    fuzz::check(entries.size() <= lines.size(), "an entry is a line");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const unsigned user = data[0];
    const std::string_view bytes = fuzz::bytes_of(data + 1, size - 1);
    check_lines(fuzz::wide_text(fuzz::bytes_of(data, size)));

    MemoryRegistry registry;
    fuzz::ScriptedSeat seat;
    seat.answers = {(user & 1) ? ButtonYes : ButtonNo, (user & 2) ? ButtonYes : ButtonNo};
    fuzz::MemoryLogFolders folders;
    TagListState state;
    TagListRecord plant;
    plant.name = L"Plant";
    plant.entries = {L"Module 1,2,3 Block 4 -- PI-104 -- NO_DATABASE"};
    state.lists.push_back(plant);
    state.loaded = &state.lists.back();
    state.loaded_number = 1;
    state.current_name = L"Plant";
    save_list(registry, seat, list_subkey_name(1), plant);

    TagDatabases databases(L"NO_DATABASE");
    TagDatabaseNames names(databases);
    fuzz::NoPrompts prompts;
    CurrentLogging logging;
    TagListContext load{registry, seat,  prompts, names,
                        folders,  state, logging, [](std::wstring_view) {}};

    ScriptedImportView view;
    view.file = fuzz::scratch_file("import.lst", bytes);
    view.name = (user & 4) ? L"Plant" : L"Imported";
    view.load_after = user & 8;
    view.keep_first = user & 16;
    const bool monitoring = user & 32;
    const PlatformImportFiles disk;
    ImportPartners partners{seat,
                            registry,
                            folders,
                            state,
                            disk,
                            [monitoring] { return monitoring; },
                            [&load] { (void)load_current_list_by_name(load); }};
    const ImportOutcome outcome = TagListImport(partners, view).run();

    for (const TagListRecord& list : state.lists)
        fuzz::check(outcome != ImportOutcome::Imported || list.entries.size() <= kMaxListedPoints,
                    "an imported list holds at most 50 points");
    fuzz::check(seat.boxes <= 8, "an import asks a few questions at most");
    return 0;
}
