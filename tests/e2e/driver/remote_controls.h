// Reading common controls that live in another process. Their messages carry pointers, which
// the system does not carry across processes, so the buffers are allocated inside the program
// (VirtualAllocEx) and copied back with ReadProcessMemory.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

namespace brixtel::e2e {

// Status bar (msctls_statusbar32).
std::optional<std::vector<int>> status_bar_parts(HWND bar);
std::optional<std::wstring> status_bar_text(HWND bar, int part);

// List view: one row per item, one text per column (one column outside report view).
std::optional<std::vector<std::vector<std::wstring>>> list_view_rows(HWND list);
// LVM_SETITEMSTATE for one row (-1: every row), e.g. LVIS_SELECTED under that mask.
bool set_list_view_item_state(HWND list, int row, UINT state, UINT mask);

// A message that fills in a RECT its lParam points to (LVM_GETITEMRECT, HDM_GETITEMRECT);
// `rect` goes in as well, for the messages that read part of it.
std::optional<RECT> control_rect(HWND control, UINT message, WPARAM wparam, RECT rect = {});

struct TreeItem {
    int depth = 0; // 0 for the roots
    std::wstring text;
    UINT state = 0;             // TVIS_* bits
    HTREEITEM handle = nullptr; // the program's own, for messages about this item
};
// Tree view items in display order (pre-order), collapsed branches included.
std::optional<std::vector<TreeItem>> tree_view_items(HWND tree);

// TVM_HITTEST at a point of the tree's client area: what part of which item lies there.
struct TreeHit {
    UINT flags = 0; // TVHT_*
    HTREEITEM item = nullptr;
};
std::optional<TreeHit> tree_hit_test(HWND tree, POINT at);

// List boxes and combo boxes: the system carries these texts across processes itself.
std::optional<std::vector<std::wstring>> list_box_items(HWND list);
std::optional<std::vector<std::wstring>> combo_box_items(HWND combo);

} // namespace brixtel::e2e
