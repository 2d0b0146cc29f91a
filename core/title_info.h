#pragma once
// The loop configuration a hyperdocument title carries in its information string, and the
// rule that picks the newest of the files a wildcard title path matches.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel {

struct TitleLoopEntry {
    std::int32_t loop = 0;
    std::int32_t pcu = -1; // -1: every PCU of the loop
    std::wstring host;
    std::int32_t remote_port = 0;

    friend bool operator==(const TitleLoopEntry&, const TitleLoopEntry&) = default;
};

// "|"-separated tokens: an optional leading "version=" token, then "zandor=loop[.pcu],host,port"
// tokens up to the first token that is not one. The host is in the OEM code page.
std::vector<TitleLoopEntry> parse_title_information(std::string_view information);

// One entry of a folder listing.
struct ListedFile {
    std::wstring name;            // as listed, without folder
    bool directory_only = false;  // attributes exactly "directory"
    std::uint64_t last_write = 0; // comparable times, later is larger
};

// The full path (folder + name) of the newest listed file that survives the pattern's
// extension check; of equal times the one listed first. Nothing when none survives.
std::optional<std::wstring> newest_matching_file(std::wstring_view pattern,
                                                 std::wstring_view folder,
                                                 std::span<const ListedFile> listing);

// The extension of a path's last element with its dot ("" when it has none).
std::wstring_view extension_of(std::wstring_view path);

} // namespace brixtel
