// Runs inside the program under test: the menus of another process cannot be read from
// outside, so the driver installs this WH_GETMESSAGE hook on the program's UI thread and asks
// it, through a registered message, to copy the menu into shared memory. The same hook answers
// the draw recorder's requests (draw_hook.h).
#include "tests/e2e/hook/draw_hook.h"
#include "tests/e2e/hook/menu_wire.h"

#include <windows.h>

namespace {

using namespace brixtel::e2e::menu_wire;

class MenuWriter {
  public:
    explicit MenuWriter(Block& block) : block_(block) {}

    void write_menu(HMENU menu, int32_t parent, int depth) {
        const int count = GetMenuItemCount(menu);
        for (int position = 0; position < count; ++position) {
            if (block_.count >= static_cast<uint32_t>(kMaxEntries)) {
                block_.status = kStatusTruncated;
                return;
            }
            const int32_t index = static_cast<int32_t>(block_.count++);
            Entry& entry = block_.entries[index];
            HMENU submenu = read_item(menu, position, entry);
            entry.parent = parent;
            entry.position = position;
            // Guard against menus that contain themselves.
            if (submenu && depth < 8)
                write_menu(submenu, index, depth + 1);
        }
    }

  private:
    static HMENU read_item(HMENU menu, int position, Entry& entry) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = entry.text;
        info.cch = kMaxText;
        entry.text[0] = L'\0';
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) {
            entry.id = 0;
            entry.type = 0;
            entry.state = 0;
            entry.has_submenu = 0;
            return nullptr;
        }
        entry.text[kMaxText - 1] = L'\0';
        entry.id = info.wID;
        entry.type = info.fType;
        entry.state = info.fState;
        entry.has_submenu = info.hSubMenu != nullptr;
        return info.hSubMenu;
    }

    Block& block_;
};

void answer_request(HWND window, WPARAM request) {
    HANDLE mapping =
        OpenFileMappingW(FILE_MAP_WRITE, FALSE, mapping_name(GetCurrentProcessId()).c_str());
    if (!mapping)
        return;
    if (auto* block = static_cast<Block*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0))) {
        block->magic = kMagic;
        block->count = 0;
        block->status = kStatusOk;
        if (HMENU bar = GetMenu(window))
            MenuWriter(*block).write_menu(bar, -1, 0);
        else
            block->status = kStatusNoMenu;
        InterlockedExchange(&block->completed_request, static_cast<LONG>(request));
        UnmapViewOfFile(block);
    }
    CloseHandle(mapping);
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    brixtel_e2e_get_message_hook(int code, WPARAM removal, LPARAM message) {
    static const UINT request_message = RegisterWindowMessageW(kRequestMessageName);
    if (code == HC_ACTION && removal == PM_REMOVE) {
        auto* msg = reinterpret_cast<MSG*>(message);
        if (request_message != 0 && msg->message == request_message) {
            answer_request(msg->hwnd, msg->wParam);
            // The program never needs to see the request.
            msg->message = WM_NULL;
        } else if (brixtel::e2e::draw_hook::answer_if_request(*msg)) {
            msg->message = WM_NULL;
        }
    }
    return CallNextHookEx(nullptr, code, removal, message);
}
