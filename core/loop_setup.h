#pragma once
// What the Live Loop Setup dialog does, without its window: the tree of loops, PCUs and
// servers it edits, the checks of Insert, Delete, and what OK applies to the loop
// configuration and the registry. The dialog (core/win/) shows the tree and fields through
// `LoopSetupView` and calls the operations of `LoopSetup` from its buttons; unit tests use a
// recording fake.
#include "core/loop_configuration.h"
#include "core/loop_entry.h"
#include "platform/registry.h"
#include "settings/settings.h"
#include "shell/seat.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel {

// Identifies a loop, PCU or leaf item for as long as the dialog is open; never 0. A leaf's
// item is the `ConfigurationEntry::tree_item` of the entry it shows, and the window keeps it
// as its tree item's data.
using LoopSetupItem = std::uint32_t;

// One configured (or to be configured) server.
struct LoopSetupLeaf {
    LoopSetupItem item = 0;
    std::wstring host;
    std::int32_t remote_port = 0;
    std::uint16_t local_port = kNoLocalPort; // kNoLocalPort: choose one from the range
    bool checked = false;                    // ticked: to be connected; unticked: to be closed
    // The entry the leaf shows; none for a leaf inserted since the dialog opened, until OK
    // applies it.
    ConfigurationEntry* entry = nullptr;
};

struct LoopSetupPcuItem {
    LoopSetupItem item = 0;
    std::int32_t pcu = -1; // -1: "PCU All"
    std::vector<LoopSetupLeaf> leaves;
};

struct LoopSetupLoopItem {
    LoopSetupItem item = 0;
    std::int32_t loop = 0;
    std::vector<LoopSetupPcuItem> pcus;
};

// "Loop %d".
std::wstring loop_item_text(std::int32_t loop);
// "PCU %d", or "PCU All" for -1.
std::wstring pcu_item_text(std::int32_t pcu);
// "host port || Local_Port=n"; "<tba>" in place of n while the leaf has no entry.
std::wstring leaf_text(const LoopSetupLeaf& leaf);

// Loops in the order they were added, each with its PCU items in the order added, each with
// its leaves in the order added.
class LoopSetupTree {
  public:
    const std::vector<LoopSetupLoopItem>& loops() const { return loops_; }
    bool empty() const { return loops_.empty(); }
    std::size_t leaf_count() const;

    // Finds or adds the loop item and under it the PCU item, then appends the leaf, which
    // gets a new item number. The reference holds until the tree changes.
    LoopSetupLeaf& add_leaf(std::int32_t loop, std::int32_t pcu, LoopSetupLeaf leaf);
    LoopSetupLeaf* find_leaf(LoopSetupItem item);
    const LoopSetupLeaf* find_leaf(LoopSetupItem item) const;
    // Sets a leaf's check state; ticking it unticks the other leaves of its PCU item. Returns
    // the leaves whose state changed (the clicked one first), empty when `item` is no leaf.
    std::vector<LoopSetupItem> set_checked(LoopSetupItem item, bool checked);
    // Removes the leaf and the PCU and loop items it leaves empty; false when `item` is no
    // leaf.
    bool remove_leaf(LoopSetupItem item);
    // Calls `visit` with every leaf and the loop and PCU above it, in tree order.
    void for_each_leaf(
        const std::function<void(std::int32_t loop, std::int32_t pcu, LoopSetupLeaf& leaf)>& visit);
    // Every leaf, in tree order. The pointers hold until the tree changes.
    std::vector<LoopSetupLeaf*> leaves();
    std::vector<const LoopSetupLeaf*> leaves() const;

  private:
    LoopSetupItem next_item_ = 1;
    std::vector<LoopSetupLoopItem> loops_;
};

enum class LoopSetupField { Loop, Pcu, Address, Port, LocalPort, LowerLimit, UpperLimit };

// The dialog as its logic sees it. Message boxes go through the partners' seat, whose boxes
// the dialog owns.
class LoopSetupView {
  public:
    virtual ~LoopSetupView() = default;
    // The field's text as it stands.
    virtual std::wstring field_text(LoopSetupField field) const = 0;
    // Replaces the field's text.
    virtual void set_field_text(LoopSetupField field, std::wstring_view text) = 0;
    // Gives the field the keyboard focus.
    virtual void focus_field(LoopSetupField field) = 0;
    // Gives the OK button the focus.
    virtual void focus_ok() = 0;
    // Box 1067, "Reset Lower Limit and Upper Limit to Default Values".
    virtual bool default_range_checked() const = 0;
    virtual void set_default_range_checked(bool checked) = 0;
    // Rebuilds the tree control from `tree`: loop and PCU items without a check box, leaves
    // with their text and check state, all expanded; Delete enabled only while a leaf exists.
    virtual void show_tree(const LoopSetupTree& tree) = 0;
    // Shows one leaf's text and check state again.
    virtual void show_leaf(const LoopSetupLeaf& leaf) = 0;
};

// What the dialog reads and changes outside itself.
struct LoopSetupPartners {
    LoopConfiguration& loops;
    Registry& registry; // PortLowerLimit and PortUpperLimit are saved here
    Seat& seat;         // boxes owned by the dialog
    // The settings' copy of the local port range; the configuration keeps its own.
    PortRange& stored_ports;
    // What box 1067 resets the range to: default_port_range() of the running system.
    PortRange default_ports;
    // Runs a connstat tick at once (the Connection-status timer's work).
    std::function<void()> connstat_tick;
    // Told of status reports while the dialog is open; it may be called on any thread and
    // hands the report to the dialog's thread, which calls LoopSetup::show_link_state.
    LinkStateView* link_view = nullptr;
};

class LoopSetup {
  public:
    LoopSetup(LoopSetupPartners partners, LoopSetupView& view);
    // Unregisters the link view if the dialog did not close through OK or Cancel.
    ~LoopSetup();
    LoopSetup(const LoopSetup&) = delete;
    LoopSetup& operator=(const LoopSetup&) = delete;

    // The dialog opens: registers the link view, fills the tree from the configuration in
    // list order (each leaf ticked while its entry's Link state is OK) and the range fields
    // from the current limits.
    void open();
    // Insert (1017): false when a check refused the fields (message shown, field focused).
    bool insert();
    // Delete (1018) with the selected item: false when it is no leaf.
    bool delete_leaf(LoopSetupItem selected);
    // The user ticked or unticked an item's check box: false when it is no leaf (the window
    // then takes the item's check box away).
    bool click_check_box(LoopSetupItem item, bool ticked);
    // A range field (LowerLimit, UpperLimit) changed: anything but digits is refused (24) and
    // the field emptied.
    void range_field_changed(LoopSetupField field);
    // A status report for the entry shown as `tree_item`, on the dialog's thread.
    void show_link_state(std::uintptr_t tree_item, bool ok);
    // OK (1): true when the dialog closes; false keeps it open (a check refused).
    bool ok();
    // Cancel (2): the configuration stays as it was.
    void cancel();

    const LoopSetupTree& tree() const { return tree_; }

  private:
    struct InsertFields;
    std::optional<InsertFields> checked_insert_fields();
    bool check_port_range();
    void apply_port_range();
    void remove_entries_not_in_tree();
    void apply_tree();
    void save_and_drop_unmarked();
    void close();
    bool in_configuration(const ConfigurationEntry* entry) const;
    ConfigurationEntry* configured(const LoopSetupLeaf& leaf, std::int32_t loop, std::int32_t pcu);

    LoopSetupPartners partners_;
    LoopSetupView& view_;
    LoopSetupTree tree_;
    bool open_ = false;
    bool deleted_ = false; // a leaf was deleted since the dialog opened
};

} // namespace brixtel
