#include "tests/e2e/driver/menu_reader.h"

#include "tests/e2e/driver/wait.h"
#include "tests/e2e/hook/menu_wire.h"

#include <functional>

namespace brixtel::e2e {

namespace wire = menu_wire;

namespace {

UINT request_message() {
    static const UINT message = RegisterWindowMessageW(wire::kRequestMessageName);
    return message;
}

void build_items(const wire::Block& block, int32_t parent, std::vector<MenuItem>& out) {
    for (uint32_t index = 0; index < block.count; ++index) {
        const wire::Entry& entry = block.entries[index];
        if (entry.parent != parent)
            continue;
        MenuItem item;
        item.id = entry.id;
        item.text.assign(entry.text, wcsnlen(entry.text, wire::kMaxText));
        item.separator = (entry.type & MFT_SEPARATOR) != 0;
        item.checked = (entry.state & MFS_CHECKED) != 0;
        item.grayed = (entry.state & MFS_GRAYED) != 0;
        if (entry.has_submenu)
            build_items(block, static_cast<int32_t>(index), item.items);
        out.push_back(std::move(item));
    }
}

} // namespace

const MenuItem* Menu::find(UINT id) const {
    std::function<const MenuItem*(const std::vector<MenuItem>&)> search =
        [&](const std::vector<MenuItem>& items) -> const MenuItem* {
        for (const MenuItem& item : items) {
            if (item.items.empty() && !item.separator && item.id == id)
                return &item;
            if (const MenuItem* found = search(item.items))
                return found;
        }
        return nullptr;
    };
    return search(popups);
}

MenuReader::~MenuReader() {
    detach();
}

bool MenuReader::fail(std::string why) {
    failure_ = std::move(why);
    return false;
}

bool MenuReader::attach(HWND window) {
    if (hook_ && window == window_)
        return true;
    detach();
    DWORD process_id = 0;
    if (!GetWindowThreadProcessId(window, &process_id))
        return fail("the window to hook is gone");
    mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                  sizeof(wire::Block), wire::mapping_name(process_id).c_str());
    if (!mapping_)
        return fail("cannot create the menu mapping (error " + std::to_string(GetLastError()) +
                    ")");
    view_ = MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, 0);
    if (!view_)
        return fail("cannot map the menu mapping");
    std::string why;
    hook_ = ProgramHook::on_thread_of(window, why);
    if (!hook_)
        return fail(why);
    window_ = window;
    return true;
}

void MenuReader::detach() {
    hook_.reset();
    if (view_)
        UnmapViewOfFile(view_);
    if (mapping_)
        CloseHandle(mapping_);
    view_ = nullptr;
    mapping_ = nullptr;
    window_ = nullptr;
}

std::optional<Menu> MenuReader::read() {
    if (!hook_) {
        fail("the menu reader is not attached to a window");
        return std::nullopt;
    }
    auto* block = static_cast<wire::Block*>(view_);
    const LONG request = ++next_request_;
    if (!PostMessageW(window_, request_message(), static_cast<WPARAM>(request), 0)) {
        fail("cannot post the menu request (window gone?)");
        return std::nullopt;
    }
    const bool answered = poll_until(
        [&] { return InterlockedCompareExchange(&block->completed_request, 0, 0) == request; },
        kWaitBound);
    if (!answered) {
        fail("the program did not answer the menu request within " + describe(kWaitBound) +
             " (is its message loop running?)");
        return std::nullopt;
    }
    if (block->magic != wire::kMagic || block->status == wire::kStatusNoMenu) {
        fail("the main window has no menu");
        return std::nullopt;
    }
    if (block->status == wire::kStatusTruncated) {
        fail("the menu has more items than the hook can carry");
        return std::nullopt;
    }
    Menu menu;
    build_items(*block, -1, menu.popups);
    return menu;
}

} // namespace brixtel::e2e
