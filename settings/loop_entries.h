#pragma once
// The configured loops as the registry keeps them ("LoopEntry1" ... with NumberOfLoopEntries
// beside them), read with the initialisation file as the fallback a first start uses.
#include "platform/private_profile.h"
#include "platform/registry.h"
#include "settings/settings_store.h"

#include <optional>
#include <string_view>
#include <vector>

namespace brixtel {

// Reads one stored entry: blank-separated loop[.pcu], remote port and host; with two fields
// the second is the host of a simulation entry (port 0); one field is a simulation entry
// without host. Nothing for a text without fields.
std::optional<StoredLoopEntry> parse_loop_entry_text(std::wstring_view text);

// Every stored entry in number order; "dummy value" placeholders are skipped. The count comes
// from the registry, or from the initialisation file when the registry has none, so that a
// first start takes the file's entries.
std::vector<StoredLoopEntry> read_stored_loop_entries(Registry& registry, PrivateProfile& profile);

} // namespace brixtel
