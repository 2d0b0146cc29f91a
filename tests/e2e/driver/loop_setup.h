// The Live Loop Setup dialog (command 40001) worked as a user would: the entry fields, Insert
// and Delete, the tree of loops with the check box of each entry, the port range with its reset
// box, OK and Cancel, and the message boxes over the dialog. Also the loop entries as the
// registry keeps them.
#pragma once

#include "core/loop_setup_controls.h"
#include "tests/e2e/driver/brixtel_process.h"
#include "tests/e2e/driver/remote_controls.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel::e2e {

inline constexpr UINT kSetIpAddressCommand = 40001;
inline constexpr wchar_t kLoopSetupTitle[] = L"Live Loop Setup";
inline constexpr wchar_t kLoopEntriesPath[] = L"Software\\Quorrel\\Halvo Brixtel\\LoopEntries";

// ---- Loop entries in the registry ----------------------------------------------------------

// One stored "LoopEntry%d" read back: "loop[.pcu] port host"; pcu -1 when the value has none.
struct StoredLoopEntry {
    int loop = 0;
    int pcu = -1;
    long long port = 0;
    std::wstring host;
};
// The stored form exactly: decimal numbers without signs that fit 32 bits, one blank between
// the fields, a host without blanks. Anything else is malformed.
std::optional<StoredLoopEntry> parse_stored_loop_entry(std::wstring_view text);

// LoopEntry1 ... LoopEntry<NumberOfLoopEntries> as texts; a value that is missing or not REG_SZ
// makes the whole reading fail, as does a missing count.
std::optional<std::vector<std::wstring>> stored_loop_entries();
// Every stored entry is well formed and short enough for the program to read back whole, the
// count matches the values and no value lies beyond it.
::testing::AssertionResult loop_entries_well_formed();

// ---- The tree ------------------------------------------------------------------------------

// The check box of an item: its state image, 0 none, 1 unticked, 2 ticked.
int check_of(const TreeItem& item);

struct LoopLeaf {
    std::wstring loop; // "Loop 2"
    std::wstring pcu;  // "PCU All", "PCU 3"
    std::wstring text; // "127.0.0.1 5301 || Local_Port=5100"
    int check = 0;
    HTREEITEM handle = nullptr;
};
// The leaves (third level) with the loop and PCU items above them, in tree order.
std::vector<LoopLeaf> leaves_of(const std::vector<TreeItem>& items);
std::string describe_tree(const std::vector<TreeItem>& items);

// What a leaf shows: "<host> <port> || Local_Port=<local port or <tba>>".
struct LeafText {
    std::wstring host;
    int remote_port = 0;
    std::optional<int> local_port; // none for "<tba>"
};
std::optional<LeafText> parse_leaf_text(std::wstring_view text);
std::wstring leaf_text(std::wstring_view host, int remote_port, std::optional<int> local_port);

// The tree's labels for the fields as typed: "Loop 2"; "PCU All" for a blank or 0 PCU.
std::wstring loop_label(std::wstring_view loop);
std::wstring pcu_label(std::wstring_view pcu);

// ---- The dialog ----------------------------------------------------------------------------

// The entry fields as typed; an empty text leaves the field blank.
struct LoopEntryFields {
    std::wstring loop;
    std::wstring pcu;
    std::wstring address;
    std::wstring port;
    std::wstring local_port;
};

class LoopSetupDialog {
  public:
    explicit LoopSetupDialog(const BrixtelProcess& program) : program_(program) {}

    // Posts the command and waits for the dialog with its tree.
    ::testing::AssertionResult open();
    HWND dialog() const { return dialog_; }
    HWND tree() const { return dialog_item(dialog_, IDC_LOOP_SETUP_TREE); }

    std::optional<std::vector<TreeItem>> items() const;
    // Polls the tree until `wanted` accepts its items; `items` gets the last ones read.
    template <class Wanted>
    ::testing::AssertionResult wait_for_tree(Wanted&& wanted,
                                             std::vector<TreeItem>* items = nullptr,
                                             Millis bound = kWaitBound) const;
    // Waits for the leaf under `loop` and `pcu` that shows `host` and `port` and that `wanted`
    // accepts (any such leaf when it is empty).
    ::testing::AssertionResult wait_for_leaf(std::wstring_view loop, std::wstring_view pcu,
                                             std::wstring_view host, int port, LoopLeaf* leaf,
                                             bool (*wanted)(const LoopLeaf&) = nullptr,
                                             Millis bound = kWaitBound) const;

    ::testing::AssertionResult fill(const LoopEntryFields& fields) const;
    ::testing::AssertionResult clear_entry_fields() const;
    // Types into a field whose check may open a message box (the range fields): the call does
    // not wait for the box to be answered.
    ::testing::AssertionResult type_into(int id, std::wstring_view text) const;
    // Presses a button of the dialog; what follows is the caller's to wait for.
    ::testing::AssertionResult press_button(int id) const;

    // Fills the fields in, presses Insert and waits for the new leaf ("<tba>" as its port).
    ::testing::AssertionResult insert(const LoopEntryFields& fields,
                                      LoopLeaf* added = nullptr) const;
    // What Insert did with fields it may refuse or take: the box it showed (answered with OK)
    // or the leaf it added.
    struct InsertOutcome {
        std::optional<MessageBoxContent> box;
        std::optional<LoopLeaf> leaf;
    };
    ::testing::AssertionResult try_insert(const LoopEntryFields& fields,
                                          InsertOutcome* outcome) const;
    // Clicks the leaf's check box until it shows `ticked`.
    ::testing::AssertionResult set_ticked(const LoopLeaf& leaf, bool ticked) const;
    // A click on the item's text, then waits until the tree has it selected.
    ::testing::AssertionResult select(HTREEITEM item) const;
    // Selects the leaf, presses Delete and waits until the leaf has gone. The handles of the
    // other items may not outlive a Delete or an Insert: read the tree again after either.
    ::testing::AssertionResult delete_leaf(const LoopLeaf& leaf) const;

    // Press OK or Cancel and wait for the dialog to close.
    ::testing::AssertionResult ok() const;
    ::testing::AssertionResult cancel() const;

    // A message box of the program other than the dialog itself (the question over it has the
    // dialog's own caption).
    ::testing::AssertionResult wait_for_box(std::wstring_view caption, HWND* box,
                                            MessageBoxContent* content = nullptr) const;
    // Waits for the box, checks its text as shown and presses the button.
    ::testing::AssertionResult answer_box(std::wstring_view caption, std::wstring_view text,
                                          std::wstring_view button) const;

  private:
    ::testing::AssertionResult click_at(HTREEITEM item, bool on_check_box) const;

    const BrixtelProcess& program_;
    HWND dialog_ = nullptr;
};

// ---- Template definitions ------------------------------------------------------------------

template <class Wanted>
::testing::AssertionResult
LoopSetupDialog::wait_for_tree(Wanted&& wanted, std::vector<TreeItem>* items, Millis bound) const {
    std::vector<TreeItem> last;
    const bool met = poll_until(
        [&] {
            const auto read = this->items();
            if (!read)
                return false;
            last = *read;
            return static_cast<bool>(wanted(last));
        },
        bound, 50ms);
    if (items)
        *items = last;
    if (met)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "the tree is not as wanted within " << describe(bound) << "; last seen:\n"
           << describe_tree(last);
}

} // namespace brixtel::e2e
