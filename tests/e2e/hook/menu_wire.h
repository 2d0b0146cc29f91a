// The layout both sides of the menu hook agree on: the driver creates a named file mapping,
// posts the request message to the program's main window, and the hook (running inside the
// program) fills the mapping with the window's menu and then publishes the request number.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace brixtel::e2e::menu_wire {

inline constexpr wchar_t kRequestMessageName[] = L"Brixtel.E2E.ReadMenu";
inline constexpr char kHookProcName[] = "brixtel_e2e_get_message_hook";
inline constexpr uint32_t kMagic = 0x554E454D; // "MENU"
inline constexpr int kMaxEntries = 512;
inline constexpr int kMaxText = 128;

// Result codes the hook leaves in Block::status.
inline constexpr uint32_t kStatusOk = 0;
inline constexpr uint32_t kStatusNoMenu = 1;
inline constexpr uint32_t kStatusTruncated = 2;

struct Entry {
    int32_t parent;   // index of the entry whose pop-up holds this item, -1 for the menu bar
    int32_t position; // position inside that pop-up
    uint32_t id;
    uint32_t type;  // MFT_* bits (MFT_SEPARATOR)
    uint32_t state; // MFS_* bits (MFS_CHECKED, MFS_GRAYED)
    uint32_t has_submenu;
    wchar_t text[kMaxText];
};

struct Block {
    uint32_t magic;
    volatile LONG completed_request; // set last, after the entries are written
    uint32_t status;
    uint32_t count;
    Entry entries[kMaxEntries];
};

// One mapping per target process, so several programs can be read side by side.
inline std::wstring mapping_name(DWORD process_id) {
    return L"Local\\BrixtelE2EMenu." + std::to_wstring(process_id);
}

} // namespace brixtel::e2e::menu_wire
