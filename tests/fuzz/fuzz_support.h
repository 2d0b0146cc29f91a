#pragma once
// What the fuzz targets share: turning the fuzzer's bytes into the program's texts, the
// partners the start-up and import routines need (a seat that answers from the input, log
// folders in memory, the start-up's targets over the real portable pieces), and a check that
// stops the run with a message when an invariant breaks.
#include "platform/private_profile.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "settings/loop_entries.h"
#include "settings/startup_read.h"
#include "shell/seat.h"
#include "tags/current_tag_list.h"
#include "tags/database_files.h"
#include "tags/database_names.h"
#include "tags/tag_list_entry.h"
#include "tags/tag_list_load.h"
#include "tags/tag_list_registry.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel::fuzz {

inline void check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

inline std::string_view bytes_of(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Little-endian 16-bit units, the way UTF-16 files and registry texts hold them; an odd last
// byte is dropped.
inline std::wstring utf16_units(std::string_view bytes) {
    std::wstring text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                     static_cast<unsigned char>(bytes[i + 1]) << 8);
    return text;
}

// The first byte chooses how the rest becomes text: OEM bytes (as datagrams, DDE text and
// 8-bit files arrive) or UTF-16 units (as the window system hands texts over).
inline std::wstring wide_text(std::string_view bytes) {
    if (bytes.empty())
        return {};
    const std::string_view rest = bytes.substr(1);
    return (bytes[0] & 1) ? utf16_units(rest) : to_wide(rest);
}

// Answers boxes with the buttons the input scripts, then with the first button; counts them.
class ScriptedSeat : public Seat {
  public:
    using Seat::message_box;

    std::deque<int> answers;
    std::size_t boxes = 0;

    int message_box(StringId, StringId, unsigned flags, std::span<const MessageArg>) override {
        ++boxes;
        if (!answers.empty()) {
            const int answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return (flags & 0xF) == mb::YesNo ? ButtonYes : ButtonOk;
    }
    void set_status_text(int, std::wstring_view) override {}
    void set_window_title(std::wstring_view) override {}
    void enable_command(Command, bool) override {}
    void check_command(Command, bool) override {}
};

class MemoryLogFolders : public LogFolderSystem {
  public:
    bool folder_exists(std::wstring_view) override { return true; }
    bool create_folder(std::wstring_view) override { return true; }
    std::wstring command_line() override { return L"\"C:\\Halvo\\Programs\\Brixtel.exe\""; }
    bool running_from_cd() override { return false; }
    std::optional<std::wstring> first_fixed_drive_root() override { return L"C:\\"; }
};

class NoPrompts : public TagListPrompts {
  public:
    bool ask_delete_bad_points(std::wstring_view) override { return true; }
    void notify_no_points_loaded(std::wstring_view) override {}
};

// The start-up's partners as the program wires them, over the portable pieces: the loop
// entries as the loop configuration reads them, the Database table, the saved lists.
// Database files are not opened: a path from the input is made relative to a folder that
// does not exist, so that no device or file of the machine is read.
class StartupTargets : public StartupReadTargets {
  public:
    StartupTargets(Registry& registry, PrivateProfile& profile, Seat& seat)
        : registry_(registry), profile_(profile), seat_(seat) {}

    TagDatabases databases{L"NO_DATABASE"};
    TagDatabaseNames names{databases};
    TagListState lists;
    MemoryLogFolders folders;
    std::vector<StoredLoopEntry> loops;
    std::uint32_t databases_offered = 0;

    void read_first_start_loop_entries() override {
        loops = read_stored_loop_entries(registry_, profile_);
    }
    std::vector<StoredLoopEntry> loop_entries() override { return loops; }
    void add_database_file(std::uint32_t index, const std::wstring& path) override {
        ++databases_offered;
        databases.add_at_startup(index - 1, std::wstring(kNowhere) + path, seat_);
    }
    // The paths as they were given, for the registry.
    std::vector<std::wstring> database_paths() override {
        std::vector<std::wstring> paths = databases.paths_for_saving();
        for (std::wstring& path : paths)
            path.erase(0, kNowhere.size());
        return paths;
    }
    std::vector<std::wstring> current_tag_entries() override {
        std::vector<std::wstring> stored;
        for (const std::wstring& text : entry_texts(lists.points, names))
            stored.push_back(to_stored_form(text));
        return stored;
    }
    void read_all_tag_lists() override { lists.lists = read_all_lists(registry_, seat_, folders); }
    void seed_first_tag_list(const std::vector<std::wstring>& stored_entries) override {
        brixtel::seed_first_tag_list(registry_, seat_, names, lists, stored_entries);
    }

  private:
    static constexpr std::wstring_view kNowhere = L"\x01missing\\";

    Registry& registry_;
    PrivateProfile& profile_;
    Seat& seat_;
};

} // namespace brixtel::fuzz

#include <unistd.h>

namespace brixtel::fuzz {

// A folder of this run's own under the system's temporary folder, for the targets that go
// through the platform's file reading; made once, at the first call.
inline const std::string& scratch_folder() {
    static const std::string folder = [] {
        char name[] = "/tmp/brixtel-fuzz-XXXXXX";
        check(mkdtemp(name) != nullptr, "a scratch folder can be made");
        return std::string(name);
    }();
    return folder;
}

// Writes the bytes to the named file of the scratch folder; its full path, as wide text.
inline std::wstring scratch_file(std::string_view name, std::string_view bytes) {
    const std::string path = scratch_folder() + "/" + std::string(name);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    check(file != nullptr, "a scratch file can be written");
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return to_wide(path);
}

} // namespace brixtel::fuzz

namespace brixtel::fuzz {

// An initialisation file's text read into the in-memory profile the way the system reads one:
// "[section]" lines open a section, "key=value" lines set a key of it (blanks around both
// dropped), anything else is passed over. Keys before any section go to the program's own. A
// value ends at a NUL character: the system hands values over as C strings.
inline MemoryProfile profile_of_text(std::wstring_view text) {
    constexpr std::wstring_view kBlanks = L" \t\r";
    const auto trimmed = [&](std::wstring_view piece) {
        const std::size_t first = piece.find_first_not_of(kBlanks);
        if (first == std::wstring_view::npos)
            return std::wstring_view();
        return piece.substr(first, piece.find_last_not_of(kBlanks) - first + 1);
    };
    MemoryProfile profile;
    std::wstring section(kProfileSection);
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find(L'\n', start), text.size());
        const std::wstring_view line = trimmed(text.substr(start, end - start));
        start = end + 1;
        if (line.size() >= 2 && line.front() == L'[' && line.back() == L']') {
            section = trimmed(line.substr(1, line.size() - 2));
            continue;
        }
        const std::size_t equals = line.find(L'=');
        if (equals == std::wstring_view::npos)
            continue;
        std::wstring_view value = line.substr(equals + 1);
        value = value.substr(0, value.find(L'\0'));
        profile.set(section, trimmed(line.substr(0, equals)), trimmed(value));
    }
    return profile;
}

} // namespace brixtel::fuzz
