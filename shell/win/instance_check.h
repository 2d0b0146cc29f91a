#pragma once
// Counting the running copies of the program, so that a second one can bow out at once.
#include <windows.h>

#include <functional>
#include <string_view>

namespace brixtel::win {

// Offered every process: identifier, task (always 0), the base name in the OEM code page.
// Returns false to stop the listing.
using ProcessVisitor = std::function<bool(DWORD process_id, WORD task, std::string_view name)>;

struct ProcessListing {
    bool listed = false;   // false when the listing could not start
    int program_count = 0; // processes named "Brixtel.exe", this one included
};

ProcessListing list_processes(const ProcessVisitor& visitor);

} // namespace brixtel::win
