#include "core/win/loop_setup_dialog.h"

#include "core/loop_setup_controls.h"
#include "core/loop_setup_layout.h"
#include "shell/win/dialog_seat.h"
#include "shell/win/help_popup.h"
#include "shell/win/reporting.h"

#include <commctrl.h>

#include <array>
#include <atomic>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace brixtel::win {
namespace {

// Posted to the dialog: a status report for the leaf whose item is wParam, OK when lParam is
// not 0.
constexpr UINT kLinkStateMessage = WM_APP + 1;
// Posted to the dialog once the tree has turned a check box the user clicked: wParam is the
// item.
constexpr UINT kCheckClickedMessage = WM_APP + 2;

constexpr int kHostCharacters = 255;
constexpr COLORREF kMaskColour = RGB(255, 0, 255);

// In image-list order; see LoopSetupImage.
constexpr std::array<int, 5> kBitmaps{IDB_IPSETUP_ROOT, IDB_UNCHECKED, IDB_CHECKED, IDB_BLOCK,
                                      IDB_REFERENCE};

int control_of(LoopSetupField field) {
    switch (field) {
    case LoopSetupField::Loop:
        return IDC_LOOP_SETUP_LOOP;
    case LoopSetupField::Pcu:
        return IDC_LOOP_SETUP_PCU;
    case LoopSetupField::Address:
        return IDC_LOOP_SETUP_ADDRESS;
    case LoopSetupField::Port:
        return IDC_LOOP_SETUP_PORT;
    case LoopSetupField::LocalPort:
        return IDC_LOOP_SETUP_LOCAL_PORT;
    case LoopSetupField::LowerLimit:
        return IDC_LOOP_SETUP_LOWER_LIMIT;
    case LoopSetupField::UpperLimit:
        return IDC_LOOP_SETUP_UPPER_LIMIT;
    }
    return 0;
}

// Status reports come from Connect threads as well as from the main thread, and may still be
// on their way when the dialog has gone: this view lives as long as the process and only
// posts to the dialog while there is one.
class PostedLinkStates final : public LinkStateView {
  public:
    void attach(HWND dialog) { dialog_.store(dialog); }
    void show_link_state(std::uintptr_t tree_item, bool ok) override {
        if (HWND dialog = dialog_.load())
            PostMessageW(dialog, kLinkStateMessage, tree_item, ok ? 1 : 0);
    }

  private:
    std::atomic<HWND> dialog_{nullptr};
};

PostedLinkStates& posted_link_states() {
    static PostedLinkStates* const view = new PostedLinkStates; // never destroyed, see above
    return *view;
}

HIMAGELIST load_tree_images(HINSTANCE instance) {
    HIMAGELIST images =
        ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, static_cast<int>(kBitmaps.size()), 0);
    if (!images)
        return nullptr;
    for (const int id : kBitmaps) {
        HBITMAP bitmap = LoadBitmapW(instance, MAKEINTRESOURCEW(id));
        if (bitmap && ImageList_AddMasked(images, bitmap, kMaskColour) >= 0) {
            DeleteObject(bitmap);
            continue;
        }
        if (bitmap)
            DeleteObject(bitmap);
        // A missing picture would shift the later ones; a blank keeps their places.
        HBITMAP blank = CreateBitmap(16, 16, 1, 32, nullptr);
        ImageList_Add(images, blank, nullptr);
        DeleteObject(blank);
    }
    return images;
}

class LoopSetupWindow final : public LoopSetupView {
  public:
    LoopSetupWindow(HINSTANCE instance, Seat& main_seat, const LoopSetupPartnersFor& partners_for)
        : instance_(instance), main_seat_(main_seat), partners_for_(partners_for) {}

    void on_init(HWND dialog);
    void on_destroy();
    bool on_command(int id, int code);
    void on_notify(const NMHDR& header);
    void on_check_clicked(LoopSetupItem item);
    void on_link_state(std::uintptr_t item, bool ok) {
        if (setup_)
            setup_->show_link_state(item, ok);
    }

    std::wstring field_text(LoopSetupField field) const override;
    void set_field_text(LoopSetupField field, std::wstring_view text) override;
    void focus_field(LoopSetupField field) override {
        focus(GetDlgItem(dialog_, control_of(field)));
    }
    void focus_ok() override { focus(GetDlgItem(dialog_, IDOK)); }
    bool default_range_checked() const override {
        return IsDlgButtonChecked(dialog_, IDC_LOOP_SETUP_DEFAULT_RANGE) == BST_CHECKED;
    }
    void set_default_range_checked(bool checked) override {
        CheckDlgButton(dialog_, IDC_LOOP_SETUP_DEFAULT_RANGE,
                       checked ? BST_CHECKED : BST_UNCHECKED);
    }
    void show_tree(const LoopSetupTree& tree) override;
    void show_leaf(const LoopSetupLeaf& leaf) override;

  private:
    HWND tree_control() const { return GetDlgItem(dialog_, IDC_LOOP_SETUP_TREE); }
    // Through the dialog manager, so that the default button follows the focus.
    void focus(HWND control) {
        SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    }
    HTREEITEM handle_of(LoopSetupItem item) const {
        const auto found = shown_.find(item);
        return found == shown_.end() ? nullptr : found->second.handle;
    }
    void set_item(HTREEITEM handle, const LoopSetupRow& row);
    LoopSetupItem selected_item() const;
    void post_check_clicked(HTREEITEM handle);

    HINSTANCE instance_;
    Seat& main_seat_;
    const LoopSetupPartnersFor& partners_for_;
    HWND dialog_ = nullptr;
    HIMAGELIST images_ = nullptr;
    std::optional<DialogSeat> seat_;
    std::optional<LoopSetup> setup_;
    struct ShownItem {
        HTREEITEM handle = nullptr;
        LoopSetupItem parent = 0;
    };
    std::map<LoopSetupItem, ShownItem> shown_; // the tree as last shown
};

void LoopSetupWindow::on_init(HWND dialog) {
    dialog_ = dialog;
    center_window(dialog, GetParent(dialog));
    SendDlgItemMessageW(dialog, IDC_LOOP_SETUP_ADDRESS, EM_LIMITTEXT, kHostCharacters, 0);

    HWND tree = tree_control();
    images_ = load_tree_images(instance_);
    SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images_));
    // The same pictures serve as the check boxes: state image 1 is "UNCHECKED", 2 "CHECKED".
    const auto own_boxes = reinterpret_cast<HIMAGELIST>(
        SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(images_)));
    if (own_boxes && own_boxes != images_)
        ImageList_Destroy(own_boxes); // the control's own boxes are the caller's to free

    PostedLinkStates& link_view = posted_link_states();
    link_view.attach(dialog);
    seat_.emplace(dialog, main_seat_);
    setup_.emplace(partners_for_(*seat_, link_view), *this);
    setup_->open();
}

void LoopSetupWindow::on_destroy() {
    posted_link_states().attach(nullptr);
    HWND tree = tree_control();
    SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_STATE, 0);
    SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
    if (images_)
        ImageList_Destroy(images_);
    images_ = nullptr;
}

bool LoopSetupWindow::on_command(int id, int code) {
    if (!setup_)
        return false;
    switch (id) {
    case IDC_LOOP_SETUP_INSERT:
        setup_->insert();
        return true;
    case IDC_LOOP_SETUP_DELETE:
        setup_->delete_leaf(selected_item());
        return true;
    case IDC_LOOP_SETUP_LOWER_LIMIT:
    case IDC_LOOP_SETUP_UPPER_LIMIT:
        if (code == EN_CHANGE) {
            setup_->range_field_changed(id == IDC_LOOP_SETUP_LOWER_LIMIT
                                            ? LoopSetupField::LowerLimit
                                            : LoopSetupField::UpperLimit);
        }
        return true;
    case IDOK:
        if (setup_->ok())
            EndDialog(dialog_, 1);
        return true;
    case IDCANCEL:
        setup_->cancel();
        EndDialog(dialog_, 0);
        return true;
    }
    return false;
}

// The control turns a clicked check box after it has told the dialog of the click, so the
// box is read once the control is done.
void LoopSetupWindow::on_notify(const NMHDR& header) {
    if (header.idFrom != IDC_LOOP_SETUP_TREE)
        return;
    HWND tree = tree_control();
    if (header.code == NM_CLICK) {
        TVHITTESTINFO hit{};
        const DWORD where = GetMessagePos();
        hit.pt = POINT{static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
        ScreenToClient(tree, &hit.pt);
        SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (hit.hItem && (hit.flags & TVHT_ONITEMSTATEICON))
            post_check_clicked(hit.hItem);
    } else if (header.code == TVN_KEYDOWN) {
        const auto& key = reinterpret_cast<const NMTVKEYDOWN&>(header);
        if (key.wVKey == VK_SPACE)
            post_check_clicked(
                reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0)));
    }
}

void LoopSetupWindow::post_check_clicked(HTREEITEM handle) {
    if (!handle)
        return;
    PostMessageW(dialog_, kCheckClickedMessage,
                 static_cast<WPARAM>(get_item_data(tree_control(), handle)), 0);
}

void LoopSetupWindow::on_check_clicked(LoopSetupItem item) {
    HTREEITEM handle = handle_of(item);
    if (!setup_ || !handle)
        return;
    HWND tree = tree_control();
    const int state_image = get_check_state(tree, handle) + 1;
    // A loop or PCU item never shows a check box; a leaf's box, and those of the leaves
    // beside it, are shown again as the logic left them.
    if (!setup_->click_check_box(item, ticked_after_click(state_image)))
        set_check_state(tree, handle, kNoStateImage);
}

LoopSetupItem LoopSetupWindow::selected_item() const {
    HWND tree = tree_control();
    const auto selected =
        reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    return selected ? static_cast<LoopSetupItem>(get_item_data(tree, selected)) : 0;
}

std::wstring LoopSetupWindow::field_text(LoopSetupField field) const {
    HWND control = GetDlgItem(dialog_, control_of(field));
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    const int length = GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return text;
}

void LoopSetupWindow::set_field_text(LoopSetupField field, std::wstring_view text) {
    SetDlgItemTextW(dialog_, control_of(field), std::wstring(text).c_str());
}

// Brought in line with the tree item by item rather than rebuilt: the items that stay keep
// their handles, their place in view, the selection and what the user expanded or collapsed.
void LoopSetupWindow::show_tree(const LoopSetupTree& tree) {
    HWND control = tree_control();
    const std::vector<LoopSetupRow> rows = loop_setup_rows(tree);
    std::set<LoopSetupItem> wanted;
    for (const LoopSetupRow& row : rows)
        wanted.insert(row.item);

    SendMessageW(control, WM_SETREDRAW, FALSE, 0);
    // An item that goes takes its children along: only the topmost of those that go is deleted.
    for (const auto& [item, shown] : shown_) {
        if (!wanted.contains(item) && (shown.parent == 0 || wanted.contains(shown.parent)))
            SendMessageW(control, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(shown.handle));
    }
    std::map<LoopSetupItem, ShownItem> now_shown;
    std::map<LoopSetupItem, HTREEITEM> last_child; // by parent, 0 for the top
    std::vector<HTREEITEM> new_parents;
    for (const LoopSetupRow& row : rows) {
        HTREEITEM parent = TVI_ROOT;
        if (row.parent) {
            const auto found = now_shown.find(row.parent);
            if (found == now_shown.end())
                continue;
            parent = found->second.handle;
        }
        const auto before = last_child.find(row.parent);
        HTREEITEM after = before == last_child.end() ? TVI_FIRST : before->second;
        HTREEITEM handle = nullptr;
        if (const auto old = shown_.find(row.item); old != shown_.end()) {
            handle = old->second.handle;
            set_item(handle, row);
        } else {
            handle = insert_tree_item(parent, row.text, after, row.image, control, row.item);
            if (!handle)
                continue;
            set_check_state(control, handle, static_cast<UINT>(row.state_image));
            if (row.image != kLoopSetupReferenceImage)
                new_parents.push_back(handle);
        }
        now_shown[row.item] = ShownItem{handle, row.parent};
        last_child[row.parent] = handle;
    }
    shown_ = std::move(now_shown);
    for (HTREEITEM parent : new_parents)
        SendMessageW(control, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
    SendMessageW(control, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(control, nullptr, TRUE);
    EnableWindow(GetDlgItem(dialog_, IDC_LOOP_SETUP_DELETE), tree.leaf_count() > 0);
}

void LoopSetupWindow::set_item(HTREEITEM handle, const LoopSetupRow& row) {
    std::wstring text = row.text;
    TVITEMW update{};
    update.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
    update.hItem = handle;
    update.pszText = text.data();
    update.iImage = row.image;
    update.iSelectedImage = row.image;
    update.stateMask = TVIS_STATEIMAGEMASK;
    update.state = INDEXTOSTATEIMAGEMASK(row.state_image);
    SendMessageW(tree_control(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&update));
}

void LoopSetupWindow::show_leaf(const LoopSetupLeaf& leaf) {
    if (HTREEITEM handle = handle_of(leaf.item)) {
        set_item(handle, {leaf.item, 0, leaf_text(leaf), kLoopSetupReferenceImage,
                          leaf_state_image(leaf.checked)});
    }
}

LoopSetupWindow* window_of(HWND dialog) {
    return reinterpret_cast<LoopSetupWindow*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

INT_PTR CALLBACK loop_setup_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        auto* window = reinterpret_cast<LoopSetupWindow*>(lparam);
        SetWindowLongPtrW(dialog, DWLP_USER, lparam);
        window->on_init(dialog);
        return TRUE;
    }
    LoopSetupWindow* window = window_of(dialog);
    if (!window)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        return window->on_command(LOWORD(wparam), HIWORD(wparam)) ? TRUE : FALSE;
    case WM_NOTIFY:
        window->on_notify(*reinterpret_cast<const NMHDR*>(lparam));
        return FALSE;
    case kCheckClickedMessage:
        window->on_check_clicked(static_cast<LoopSetupItem>(wparam));
        return TRUE;
    case kLinkStateMessage:
        window->on_link_state(static_cast<std::uintptr_t>(wparam), lparam != 0);
        return TRUE;
    case WM_HELP: {
        const auto& info = *reinterpret_cast<const HELPINFO*>(lparam);
        const std::wstring text = loop_setup_help_text(info.iCtrlId, default_port_range());
        if (!text.empty())
            show_help_popup(dialog, text, info.MousePos);
        return TRUE;
    }
    case WM_DESTROY:
        window->on_destroy();
        return FALSE;
    }
    return FALSE;
}

} // namespace

bool run_loop_setup_dialog(HWND owner, HINSTANCE instance, Seat& main_seat,
                           const LoopSetupPartnersFor& partners_for) {
    LoopSetupWindow window(instance, main_seat, partners_for);
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(LIVELOOPSETUP), owner, loop_setup_procedure,
                           reinterpret_cast<LPARAM>(&window)) == 1;
}

} // namespace brixtel::win
