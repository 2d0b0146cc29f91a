#include "tests/e2e/driver/remote_controls.h"

#include "tests/e2e/driver/window_query.h"

#include <commctrl.h>

#include <cstring>

namespace brixtel::e2e {

namespace {

constexpr size_t kTextCapacity = 1024; // characters per remote text buffer
constexpr size_t kMaxTreeItems = 20000;

// Memory inside the process that owns a window, freed with the object.
class RemoteBuffer {
  public:
    RemoteBuffer(HWND owner, size_t size) : size_(size) {
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               window_process(owner));
        if (process_)
            address_ =
                VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBuffer() {
        if (address_)
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_)
            CloseHandle(process_);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool valid() const { return address_ != nullptr; }
    LPARAM at(size_t offset = 0) const {
        return reinterpret_cast<LPARAM>(static_cast<char*>(address_) + offset);
    }
    bool write(const void* data, size_t size, size_t offset = 0) const {
        SIZE_T written = 0;
        return offset + size <= size_ &&
               WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, size,
                                  &written) &&
               written == size;
    }
    bool read(void* data, size_t size, size_t offset = 0) const {
        SIZE_T got = 0;
        return offset + size <= size_ &&
               ReadProcessMemory(process_, static_cast<char*>(address_) + offset, data, size,
                                 &got) &&
               got == size;
    }
    std::optional<std::wstring> read_text(size_t offset, size_t capacity) const {
        std::wstring text(capacity, L'\0');
        if (!read(text.data(), capacity * sizeof(wchar_t), offset))
            return std::nullopt;
        text.resize(wcsnlen(text.c_str(), capacity));
        return text;
    }

  private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    size_t size_;
};

// A control structure followed by its text buffer in one remote block.
template <class Item> struct ItemWithText {
    static constexpr size_t text_offset = (sizeof(Item) + 15) & ~size_t{15};
    static constexpr size_t size = text_offset + kTextCapacity * sizeof(wchar_t);
};

} // namespace

std::optional<std::vector<int>> status_bar_parts(HWND bar) {
    const auto count = send_bounded(bar, SB_GETPARTS, 0, 0);
    if (!count || *count < 0)
        return std::nullopt;
    std::vector<int> edges(static_cast<size_t>(*count));
    if (edges.empty())
        return edges;
    RemoteBuffer remote(bar, edges.size() * sizeof(int));
    if (!remote.valid() || !send_bounded(bar, SB_GETPARTS, edges.size(), remote.at()) ||
        !remote.read(edges.data(), edges.size() * sizeof(int)))
        return std::nullopt;
    return edges;
}

std::optional<std::wstring> status_bar_text(HWND bar, int part) {
    const auto length = send_bounded(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0);
    if (!length)
        return std::nullopt;
    const size_t characters = LOWORD(*length);
    RemoteBuffer remote(bar, (characters + 1) * sizeof(wchar_t));
    if (!remote.valid() || !send_bounded(bar, SB_GETTEXTW, static_cast<WPARAM>(part), remote.at()))
        return std::nullopt;
    return remote.read_text(0, characters + 1);
}

std::optional<std::vector<std::vector<std::wstring>>> list_view_rows(HWND list) {
    const auto items = send_bounded(list, LVM_GETITEMCOUNT);
    if (!items || *items < 0)
        return std::nullopt;
    int columns = 1;
    if (const auto header = send_bounded(list, LVM_GETHEADER); header && *header) {
        const auto count = send_bounded(reinterpret_cast<HWND>(*header), HDM_GETITEMCOUNT);
        if (count && *count > 0)
            columns = static_cast<int>(*count);
    }
    using Layout = ItemWithText<LVITEMW>;
    RemoteBuffer remote(list, Layout::size);
    if (!remote.valid())
        return std::nullopt;
    std::vector<std::vector<std::wstring>> rows;
    for (int row = 0; row < *items; ++row) {
        std::vector<std::wstring> cells;
        for (int column = 0; column < columns; ++column) {
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = row;
            item.iSubItem = column;
            item.pszText = reinterpret_cast<LPWSTR>(remote.at(Layout::text_offset));
            item.cchTextMax = static_cast<int>(kTextCapacity);
            const wchar_t empty = L'\0';
            if (!remote.write(&item, sizeof item) ||
                !remote.write(&empty, sizeof empty, Layout::text_offset) ||
                !send_bounded(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), remote.at()))
                return std::nullopt;
            auto text = remote.read_text(Layout::text_offset, kTextCapacity);
            if (!text)
                return std::nullopt;
            cells.push_back(std::move(*text));
        }
        rows.push_back(std::move(cells));
    }
    return rows;
}

bool set_list_view_item_state(HWND list, int row, UINT state, UINT mask) {
    LVITEMW item{};
    item.state = state;
    item.stateMask = mask;
    RemoteBuffer remote(list, sizeof item);
    if (!remote.valid() || !remote.write(&item, sizeof item))
        return false;
    const auto done = send_bounded(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), remote.at());
    return done && *done;
}

std::optional<RECT> control_rect(HWND control, UINT message, WPARAM wparam, RECT rect) {
    RemoteBuffer remote(control, sizeof rect);
    if (!remote.valid() || !remote.write(&rect, sizeof rect))
        return std::nullopt;
    const auto done = send_bounded(control, message, wparam, remote.at());
    if (!done || !*done || !remote.read(&rect, sizeof rect))
        return std::nullopt;
    return rect;
}

namespace {

HTREEITEM tree_next(HWND tree, UINT relation, HTREEITEM item) {
    const auto next = send_bounded(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item));
    return next ? reinterpret_cast<HTREEITEM>(*next) : nullptr;
}

std::optional<TreeItem> tree_item(HWND tree, const RemoteBuffer& remote, HTREEITEM handle,
                                  int depth) {
    using Layout = ItemWithText<TVITEMW>;
    TVITEMW item{};
    item.mask = TVIF_TEXT | TVIF_STATE | TVIF_HANDLE;
    item.hItem = handle;
    item.stateMask = 0xFFFF;
    item.pszText = reinterpret_cast<LPWSTR>(remote.at(Layout::text_offset));
    item.cchTextMax = static_cast<int>(kTextCapacity);
    if (!remote.write(&item, sizeof item))
        return std::nullopt;
    const auto ok = send_bounded(tree, TVM_GETITEMW, 0, remote.at());
    if (!ok || !*ok || !remote.read(&item, sizeof item))
        return std::nullopt;
    auto text = remote.read_text(Layout::text_offset, kTextCapacity);
    if (!text)
        return std::nullopt;
    return TreeItem{depth, std::move(*text), item.state, handle};
}

} // namespace

std::optional<std::vector<TreeItem>> tree_view_items(HWND tree) {
    RemoteBuffer remote(tree, ItemWithText<TVITEMW>::size);
    if (!remote.valid())
        return std::nullopt;
    std::vector<TreeItem> items;
    // Explicit stack of (item, depth) for a pre-order walk; siblings pushed in reverse order.
    std::vector<std::pair<HTREEITEM, int>> pending;
    auto push_siblings = [&](HTREEITEM first, int depth) {
        std::vector<HTREEITEM> siblings;
        for (HTREEITEM item = first; item && siblings.size() < kMaxTreeItems;
             item = tree_next(tree, TVGN_NEXT, item))
            siblings.push_back(item);
        for (auto it = siblings.rbegin(); it != siblings.rend(); ++it)
            pending.emplace_back(*it, depth);
    };
    push_siblings(tree_next(tree, TVGN_ROOT, nullptr), 0);
    while (!pending.empty() && items.size() < kMaxTreeItems) {
        const auto [handle, depth] = pending.back();
        pending.pop_back();
        auto item = tree_item(tree, remote, handle, depth);
        if (!item)
            return std::nullopt;
        items.push_back(std::move(*item));
        push_siblings(tree_next(tree, TVGN_CHILD, handle), depth + 1);
    }
    return items;
}

std::optional<TreeHit> tree_hit_test(HWND tree, POINT at) {
    TVHITTESTINFO hit{};
    hit.pt = at;
    RemoteBuffer remote(tree, sizeof hit);
    if (!remote.valid() || !remote.write(&hit, sizeof hit) ||
        !send_bounded(tree, TVM_HITTEST, 0, remote.at()) || !remote.read(&hit, sizeof hit))
        return std::nullopt;
    return TreeHit{hit.flags, hit.hItem};
}

namespace {

std::optional<std::vector<std::wstring>> indexed_texts(HWND control, UINT count_message,
                                                       UINT length_message, UINT text_message) {
    const auto count = send_bounded(control, count_message);
    if (!count || *count < 0)
        return std::nullopt;
    std::vector<std::wstring> texts;
    for (WPARAM index = 0; index < static_cast<WPARAM>(*count); ++index) {
        const auto length = send_bounded(control, length_message, index);
        if (!length || *length < 0)
            return std::nullopt;
        std::wstring text(static_cast<size_t>(*length) + 1, L'\0');
        const auto copied =
            send_bounded(control, text_message, index, reinterpret_cast<LPARAM>(text.data()));
        if (!copied || *copied < 0)
            return std::nullopt;
        text.resize(static_cast<size_t>(*copied));
        texts.push_back(std::move(text));
    }
    return texts;
}

} // namespace

std::optional<std::vector<std::wstring>> list_box_items(HWND list) {
    return indexed_texts(list, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

std::optional<std::vector<std::wstring>> combo_box_items(HWND combo) {
    return indexed_texts(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

} // namespace brixtel::e2e
