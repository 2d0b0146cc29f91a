#pragma once
// Saved tag lists in the registry: one subkey "List<n>" of the Settings key's "Tags" per list,
// numbered from 1 without gaps in the order of the list of lists.
#include "logging/default_log_location.h"
#include "platform/registry.h"
#include "shell/seat.h"
#include "tags/current_tag_list.h"

#include <string_view>
#include <vector>

namespace brixtel {

inline constexpr std::wstring_view kSettingsKeyPath = L"Software\\Quorrel\\Halvo Brixtel";
inline constexpr std::wstring_view kTagsKeyPath = L"Software\\Quorrel\\Halvo Brixtel\\Tags";

// Reads every list. Message 111 when the Settings key cannot be opened; nothing when "Tags"
// does not exist. Values a list lacks read as their defaults; a list without its own log file
// gets "Brixtel_<name>.LOG" in the default log folder.
ListOfLists read_all_lists(Registry& registry, Seat& seat, LogFolderSystem& folders);

// The entries of one list subkey in display form; missing numbered values read as empty
// entries. Message 113 (when asked) if the subkey cannot be opened.
std::vector<std::wstring> read_list_entries(Registry& registry, Seat& seat,
                                            std::wstring_view subkey_name, bool report_errors);

// Writes the record in full under the subkey, replacing whatever values it held. Message 110
// when the subkey cannot be created.
bool save_list(Registry& registry, Seat& seat, std::wstring_view subkey_name,
               const TagListRecord& record);

// Replaces every subkey of "Tags" by the lists of the state, renumbered from 1, and follows
// the loaded list's number. Message 127 when "Tags" cannot be opened.
bool rewrite_all_lists(Registry& registry, Seat& seat, TagListState& state);

} // namespace brixtel
