#include "tests/e2e/driver/loop_setup.h"

#include "tests/e2e/driver/dialog.h"
#include "tests/e2e/driver/registry.h"
#include "tests/e2e/driver/tag_lists.h"
#include "tests/e2e/driver/window_query.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

namespace brixtel::e2e {

namespace {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

// The program reads a stored entry into a buffer of this many characters.
constexpr std::size_t kStoredEntryCapacity = 256;
constexpr wchar_t kLocalPortMark[] = L" || Local_Port=";
constexpr wchar_t kNotBound[] = L"<tba>";

std::optional<long long> decimal(std::wstring_view text) {
    if (text.empty() || text.size() > 10)
        return std::nullopt;
    long long value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        value = value * 10 + (c - L'0');
    }
    if (value > 0x7FFFFFFF)
        return std::nullopt;
    return value;
}

std::vector<std::wstring_view> split_at_blanks(std::wstring_view text) {
    std::vector<std::wstring_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t blank = text.find(L' ', start);
        parts.push_back(text.substr(start, blank - start));
        if (blank == std::wstring_view::npos)
            return parts;
        start = blank + 1;
    }
}

std::string check_mark(int check) {
    switch (check) {
    case 0:
        return "";
    case 1:
        return "[ ] ";
    case 2:
        return "[x] ";
    default:
        return "[state " + std::to_string(check) + "] ";
    }
}

} // namespace

// ---- Loop entries in the registry ----------------------------------------------------------

std::optional<StoredLoopEntry> parse_stored_loop_entry(std::wstring_view text) {
    const auto fields = split_at_blanks(text);
    if (fields.size() != 3 || fields[2].empty())
        return std::nullopt;
    StoredLoopEntry entry;
    std::wstring_view loop = fields[0];
    if (const std::size_t dot = loop.find(L'.'); dot != std::wstring_view::npos) {
        const auto pcu = decimal(loop.substr(dot + 1));
        if (!pcu)
            return std::nullopt;
        entry.pcu = static_cast<int>(*pcu);
        loop = loop.substr(0, dot);
    }
    const auto number = decimal(loop);
    const auto port = decimal(fields[1]);
    if (!number || !port)
        return std::nullopt;
    entry.loop = static_cast<int>(*number);
    entry.port = *port;
    entry.host = std::wstring(fields[2]);
    return entry;
}

std::optional<std::vector<std::wstring>> stored_loop_entries() {
    const auto count = read_dword(HKEY_CURRENT_USER, kLoopEntriesPath, L"NumberOfLoopEntries");
    if (!count)
        return std::nullopt;
    std::vector<std::wstring> texts;
    for (DWORD i = 1; i <= *count; ++i) {
        const auto value =
            raw_value(HKEY_CURRENT_USER, kLoopEntriesPath, L"LoopEntry" + std::to_wstring(i));
        if (!value || value->type != REG_SZ)
            return std::nullopt;
        std::wstring text(value->data.size() / sizeof(wchar_t), L'\0');
        std::memcpy(text.data(), value->data.data(), text.size() * sizeof(wchar_t));
        text.resize(wcsnlen(text.c_str(), text.size()));
        texts.push_back(std::move(text));
    }
    return texts;
}

AssertionResult loop_entries_well_formed() {
    const auto count = read_dword(HKEY_CURRENT_USER, kLoopEntriesPath, L"NumberOfLoopEntries");
    if (!count)
        return AssertionFailure() << "no NumberOfLoopEntries";
    const auto texts = stored_loop_entries();
    if (!texts)
        return AssertionFailure() << "a value up to LoopEntry" << *count
                                  << " is missing or not a text";
    for (std::size_t i = 0; i < texts->size(); ++i) {
        const std::wstring& text = (*texts)[i];
        if (text.size() >= kStoredEntryCapacity || !parse_stored_loop_entry(text))
            return AssertionFailure() << "LoopEntry" << i + 1 << " is malformed (" << text.size()
                                      << " characters): " << narrow(text);
    }
    if (raw_value(HKEY_CURRENT_USER, kLoopEntriesPath, L"LoopEntry" + std::to_wstring(*count + 1)))
        return AssertionFailure() << "a LoopEntry" << *count + 1 << " lies beyond the count";
    return AssertionSuccess();
}

// ---- The tree ------------------------------------------------------------------------------

int check_of(const TreeItem& item) {
    return static_cast<int>((item.state & TVIS_STATEIMAGEMASK) >> 12);
}

std::vector<LoopLeaf> leaves_of(const std::vector<TreeItem>& items) {
    std::vector<LoopLeaf> leaves;
    std::wstring loop, pcu;
    for (const TreeItem& item : items) {
        if (item.depth == 0)
            loop = item.text, pcu.clear();
        else if (item.depth == 1)
            pcu = item.text;
        else
            leaves.push_back(LoopLeaf{loop, pcu, item.text, check_of(item), item.handle});
    }
    return leaves;
}

std::string describe_tree(const std::vector<TreeItem>& items) {
    std::string text;
    for (const TreeItem& item : items)
        text += std::string(2 + 2 * item.depth, ' ') + check_mark(check_of(item)) +
                narrow(item.text) + "\n";
    return text.empty() ? "  (empty tree)\n" : text;
}

std::optional<LeafText> parse_leaf_text(std::wstring_view text) {
    const std::size_t mark = text.find(kLocalPortMark);
    if (mark == std::wstring_view::npos)
        return std::nullopt;
    const std::wstring_view address = text.substr(0, mark);
    const std::wstring_view local = text.substr(mark + std::wcslen(kLocalPortMark));
    const std::size_t blank = address.rfind(L' ');
    if (blank == std::wstring_view::npos)
        return std::nullopt;
    const auto port = decimal(address.substr(blank + 1));
    if (!port)
        return std::nullopt;
    LeafText leaf{std::wstring(address.substr(0, blank)), static_cast<int>(*port), std::nullopt};
    if (local != kNotBound) {
        const auto bound = decimal(local);
        if (!bound)
            return std::nullopt;
        leaf.local_port = static_cast<int>(*bound);
    }
    return leaf;
}

std::wstring leaf_text(std::wstring_view host, int remote_port, std::optional<int> local_port) {
    return std::wstring(host) + L" " + std::to_wstring(remote_port) + kLocalPortMark +
           (local_port ? std::to_wstring(*local_port) : std::wstring(kNotBound));
}

std::wstring loop_label(std::wstring_view loop) {
    return L"Loop " + std::wstring(loop);
}

std::wstring pcu_label(std::wstring_view pcu) {
    return pcu.empty() || pcu == L"0" ? std::wstring(L"PCU All") : L"PCU " + std::wstring(pcu);
}

// ---- The dialog ----------------------------------------------------------------------------

AssertionResult LoopSetupDialog::open() {
    if (!program_.post_command(kSetIpAddressCommand))
        return AssertionFailure() << "command " << kSetIpAddressCommand << " not posted";
    if (auto shown = program_.wait_for_window(kLoopSetupTitle, &dialog_); !shown)
        return shown;
    if (!tree())
        return AssertionFailure() << "the dialog has no tree " << IDC_LOOP_SETUP_TREE;
    return AssertionSuccess();
}

std::optional<std::vector<TreeItem>> LoopSetupDialog::items() const {
    return tree_view_items(tree());
}

AssertionResult LoopSetupDialog::wait_for_leaf(std::wstring_view loop, std::wstring_view pcu,
                                               std::wstring_view host, int port, LoopLeaf* leaf,
                                               bool (*wanted)(const LoopLeaf&),
                                               Millis bound) const {
    auto fits = [&](const LoopLeaf& candidate) {
        const auto shown = parse_leaf_text(candidate.text);
        return candidate.loop == loop && candidate.pcu == pcu && shown && shown->host == host &&
               shown->remote_port == port && (!wanted || wanted(candidate));
    };
    std::vector<TreeItem> seen;
    auto found = wait_for_tree(
        [&](const std::vector<TreeItem>& items) {
            for (const LoopLeaf& candidate : leaves_of(items))
                if (fits(candidate))
                    return true;
            return false;
        },
        &seen, bound);
    if (!found)
        return found << "\n(wanted a leaf " << narrow(host) << " " << port << " under "
                     << narrow(loop) << " / " << narrow(pcu) << ")";
    if (leaf)
        for (const LoopLeaf& candidate : leaves_of(seen))
            if (fits(candidate))
                *leaf = candidate;
    return AssertionSuccess();
}

AssertionResult LoopSetupDialog::fill(const LoopEntryFields& fields) const {
    const std::pair<int, const std::wstring*> texts[] = {
        {IDC_LOOP_SETUP_LOOP, &fields.loop},
        {IDC_LOOP_SETUP_PCU, &fields.pcu},
        {IDC_LOOP_SETUP_ADDRESS, &fields.address},
        {IDC_LOOP_SETUP_PORT, &fields.port},
        {IDC_LOOP_SETUP_LOCAL_PORT, &fields.local_port}};
    for (const auto& [id, text] : texts) {
        if (!set_item_text(dialog_, id, *text))
            return AssertionFailure() << "field " << id << " cannot be filled in";
        // A field may keep less than it is given (a text limit); tests read what it holds.
    }
    return AssertionSuccess();
}

AssertionResult LoopSetupDialog::clear_entry_fields() const {
    return fill(LoopEntryFields{});
}

AssertionResult LoopSetupDialog::type_into(int id, std::wstring_view text) const {
    HWND field = dialog_item(dialog_, id);
    if (!field)
        return AssertionFailure() << "the dialog has no field " << id;
    const std::wstring copy(text);
    DWORD_PTR result = 0;
    // A box opened by the field's check holds the send until it is answered; the text is in
    // the field by then, so a send that times out has done its work.
    if (!SendMessageTimeoutW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()),
                             SMTO_NORMAL, 500, &result) &&
        GetLastError() != ERROR_TIMEOUT && GetLastError() != 0)
        return AssertionFailure() << "field " << id << " cannot be typed into (error "
                                  << GetLastError() << ")";
    return AssertionSuccess();
}

AssertionResult LoopSetupDialog::press_button(int id) const {
    if (!click(dialog_, id))
        return AssertionFailure() << "button " << id << " cannot be pressed (disabled or missing)";
    return AssertionSuccess();
}

AssertionResult LoopSetupDialog::insert(const LoopEntryFields& fields, LoopLeaf* added) const {
    if (auto filled = fill(fields); !filled)
        return filled;
    if (auto pressed = press_button(IDC_LOOP_SETUP_INSERT); !pressed)
        return pressed;
    const std::wstring loop = loop_label(fields.loop);
    const std::wstring pcu = pcu_label(fields.pcu);
    const std::wstring text = leaf_text(fields.address, _wtoi(fields.port.c_str()), std::nullopt);
    std::vector<HWND> boxes;
    std::vector<TreeItem> seen;
    const bool done = poll_until(
        [&] {
            boxes.clear();
            for (HWND window : program_.open_dialogs())
                if (window != dialog_)
                    boxes.push_back(window);
            if (const auto read = items())
                seen = *read;
            for (const LoopLeaf& leaf : leaves_of(seen)) {
                if (leaf.loop == loop && leaf.pcu == pcu && leaf.text == text) {
                    if (added)
                        *added = leaf;
                    return true;
                }
            }
            return !boxes.empty();
        },
        kWaitBound, 50ms);
    if (done && boxes.empty())
        return AssertionSuccess();
    AssertionResult failure = AssertionFailure();
    failure << "Insert did not add " << narrow(text) << " under " << narrow(loop) << " / "
            << narrow(pcu);
    for (HWND box : boxes)
        if (const auto content = read_message_box(box))
            failure << "; a box \"" << narrow(content->caption) << "\" says "
                    << escaped(content->text);
    return failure << "; the tree:\n" << describe_tree(seen);
}

AssertionResult LoopSetupDialog::try_insert(const LoopEntryFields& fields,
                                            InsertOutcome* outcome) const {
    auto before = items();
    if (!before)
        return AssertionFailure() << "the tree cannot be read";
    auto same = [](const LoopLeaf& a, const LoopLeaf& b) {
        return a.loop == b.loop && a.pcu == b.pcu && a.text == b.text;
    };
    const std::vector<LoopLeaf> old_leaves = leaves_of(*before);
    if (auto filled = fill(fields); !filled)
        return filled;
    if (auto pressed = press_button(IDC_LOOP_SETUP_INSERT); !pressed)
        return pressed;
    *outcome = InsertOutcome{};
    HWND box = nullptr;
    const bool done = poll_until(
        [&] {
            for (HWND window : program_.open_dialogs())
                if (window != dialog_)
                    return (box = window) != nullptr;
            const auto now = items();
            if (!now || leaves_of(*now).size() <= old_leaves.size())
                return false;
            std::vector<LoopLeaf> unmatched = old_leaves;
            for (const LoopLeaf& leaf : leaves_of(*now)) {
                const auto known =
                    std::find_if(unmatched.begin(), unmatched.end(),
                                 [&](const LoopLeaf& old) { return same(old, leaf); });
                if (known != unmatched.end())
                    unmatched.erase(known);
                else
                    outcome->leaf = leaf;
            }
            return outcome->leaf.has_value();
        },
        kWaitBound, 50ms);
    if (!done)
        return AssertionFailure() << "Insert neither added a leaf nor showed a box within "
                                  << describe(kWaitBound);
    if (box) {
        outcome->box = read_message_box(box);
        if (!press_message_box_button(box, L"OK"))
            return AssertionFailure() << "the box after Insert has no OK button";
        if (auto gone = program_.wait_until_gone(box); !gone)
            return gone;
    }
    return AssertionSuccess();
}

AssertionResult LoopSetupDialog::click_at(HTREEITEM item, bool on_check_box) const {
    HWND control = tree();
    send_bounded(control, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    RECT request{};
    std::memcpy(&request, &item, sizeof item); // TVM_GETITEMRECT names the item in the rectangle
    const auto text = control_rect(control, TVM_GETITEMRECT, TRUE, request);
    if (!text)
        return AssertionFailure() << "the item has no place in the tree";
    POINT at{(text->left + text->right) / 2, (text->top + text->bottom) / 2};
    if (on_check_box) {
        // The check box is the state image left of the item's icon: find it as the tree's own
        // hit test places it, so the click lands there whatever the icon sizes.
        std::optional<int> right, left;
        for (int x = text->left - 1; x >= 0; --x) {
            const auto hit = tree_hit_test(control, POINT{x, at.y});
            if (!hit)
                return AssertionFailure() << "the tree does not answer its hit test";
            const bool on = hit->item == item && (hit->flags & TVHT_ONITEMSTATEICON);
            if (on && !right)
                right = x;
            if (on)
                left = x;
            else if (right)
                break;
        }
        if (!right)
            return AssertionFailure() << "the item shows no check box";
        at.x = (*left + *right) / 2;
    }
    // The pointer goes there too, for code that asks where the last message happened.
    POINT screen = at;
    ClientToScreen(control, &screen);
    SetCursorPos(screen.x, screen.y);
    const LPARAM where = MAKELPARAM(at.x, at.y);
    if (!PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, where) ||
        !PostMessageW(control, WM_LBUTTONUP, 0, where))
        return AssertionFailure() << "the click was not posted";
    return AssertionSuccess();
}

AssertionResult LoopSetupDialog::set_ticked(const LoopLeaf& leaf, bool ticked) const {
    const int wanted = ticked ? 2 : 1;
    auto check_now = [&]() -> std::optional<int> {
        const auto read = items();
        if (!read)
            return std::nullopt;
        for (const TreeItem& item : *read)
            if (item.handle == leaf.handle)
                return check_of(item);
        return std::nullopt;
    };
    if (check_now() == wanted)
        return AssertionSuccess();
    if (auto clicked = click_at(leaf.handle, true); !clicked)
        return clicked << " (" << narrow(leaf.text) << ")";
    if (poll_until([&] { return check_now() == wanted; }, kWaitBound))
        return AssertionSuccess();
    const auto read = items();
    return AssertionFailure() << "the check box of " << narrow(leaf.text) << " does not show "
                              << (ticked ? "ticked" : "unticked") << " after a click; the tree:\n"
                              << describe_tree(read.value_or(std::vector<TreeItem>{}));
}

AssertionResult LoopSetupDialog::select(HTREEITEM item) const {
    if (auto clicked = click_at(item, false); !clicked)
        return clicked;
    if (poll_until(
            [&] {
                const auto caret = send_bounded(tree(), TVM_GETNEXTITEM, TVGN_CARET, 0);
                return caret && reinterpret_cast<HTREEITEM>(*caret) == item;
            },
            kWaitBound))
        return AssertionSuccess();
    return AssertionFailure() << "a click on the item did not select it";
}

AssertionResult LoopSetupDialog::delete_leaf(const LoopLeaf& leaf) const {
    const auto before = items();
    if (!before)
        return AssertionFailure() << "the tree cannot be read";
    const std::size_t count = leaves_of(*before).size();
    if (auto selected = select(leaf.handle); !selected)
        return selected << " (" << narrow(leaf.text) << ")";
    if (!poll_until([&] { return item_enabled(dialog_, IDC_LOOP_SETUP_DELETE); }, kWaitBound))
        return AssertionFailure() << "Delete stays disabled with " << narrow(leaf.text)
                                  << " selected";
    if (auto pressed = press_button(IDC_LOOP_SETUP_DELETE); !pressed)
        return pressed;
    // The tree may be built anew, so items are known by their texts, not their handles.
    return wait_for_tree([&](const std::vector<TreeItem>& items) {
        const auto now = leaves_of(items);
        return now.size() + 1 == count &&
               std::none_of(now.begin(), now.end(), [&](const LoopLeaf& other) {
                   return other.loop == leaf.loop && other.pcu == leaf.pcu &&
                          other.text == leaf.text;
               });
    });
}

AssertionResult LoopSetupDialog::ok() const {
    if (auto pressed = press_button(IDOK); !pressed)
        return pressed;
    if (auto gone = program_.wait_until_gone(dialog_); !gone)
        return gone << "; windows: " << program_.describe_windows();
    return AssertionSuccess();
}

AssertionResult LoopSetupDialog::cancel() const {
    if (auto pressed = press_button(IDCANCEL); !pressed)
        return pressed;
    return program_.wait_until_gone(dialog_);
}

AssertionResult LoopSetupDialog::wait_for_box(std::wstring_view caption, HWND* box,
                                              MessageBoxContent* content) const {
    HWND found = nullptr;
    if (!poll_until(
            [&] {
                for (HWND window : program_.open_dialogs())
                    if (window != dialog_ && window_text(window) == caption)
                        return (found = window) != nullptr;
                return false;
            },
            kWaitBound))
        return AssertionFailure() << "no box \"" << narrow(caption) << "\" within "
                                  << describe(kWaitBound)
                                  << "; windows: " << program_.describe_windows();
    *box = found;
    if (content) {
        const auto read = read_message_box(found);
        if (!read)
            return AssertionFailure()
                   << "the box \"" << narrow(caption) << "\" went before it was read";
        *content = *read;
    }
    return AssertionSuccess();
}

AssertionResult LoopSetupDialog::answer_box(std::wstring_view caption, std::wstring_view text,
                                            std::wstring_view button) const {
    HWND box = nullptr;
    MessageBoxContent content;
    if (auto found = wait_for_box(caption, &box, &content); !found)
        return found;
    AssertionResult result = AssertionSuccess();
    if (as_shown(content.text) != as_shown(text))
        result = AssertionFailure() << "the box \"" << narrow(caption) << "\" says\n  "
                                    << escaped(content.text) << "\ninstead of\n  " << escaped(text);
    // Answered even when its text is wrong, so the dialog under it goes on.
    if (!press_message_box_button(box, button))
        return AssertionFailure() << "the box \"" << narrow(caption) << "\" has no button "
                                  << narrow(button);
    if (auto gone = program_.wait_until_gone(box); !gone)
        return gone;
    return result;
}

} // namespace brixtel::e2e
