#include "core/loop_setup.h"

#include "settings/settings_store.h"
#include "shell/number_entry.h"

#include <algorithm>
#include <utility>

namespace brixtel {
namespace {

// A leaf keeps its host in a buffer of 256 characters with the terminator.
constexpr std::size_t kLeafHostCharacters = 255;
// A stored loop entry is read back into 256 characters with the terminator.
constexpr std::size_t kStoredEntryCharacters = 255;

// The host as a leaf keeps it: cut so that the entry's stored text still reads back whole, or
// the server would be lost at the next start.
std::wstring leaf_host(std::wstring_view host, std::int32_t loop, std::int32_t pcu,
                       std::int32_t remote_port) {
    const std::size_t others =
        loop_entry_text({loop, pcu, static_cast<std::uint32_t>(remote_port), L""}).size();
    const std::size_t room = kStoredEntryCharacters > others ? kStoredEntryCharacters - others : 0;
    return std::wstring(host.substr(0, std::min(kLeafHostCharacters, room)));
}

constexpr unsigned kInsertBox = mb::Ok | mb::IconInformation;
constexpr unsigned kRangeBox = mb::Ok | mb::IconExclamation;

Digits read_field(const LoopSetupView& view, LoopSetupField field) {
    return read_digits(trim_blanks(view.field_text(field)));
}

bool holds_text(const LoopSetupView& view, LoopSetupField field) {
    return !trim_blanks(view.field_text(field)).empty();
}

std::uint16_t as_port(std::uint32_t value) {
    return static_cast<std::uint16_t>(std::min<std::uint32_t>(value, kNoLocalPort));
}

} // namespace

std::wstring loop_item_text(std::int32_t loop) {
    return L"Loop " + std::to_wstring(loop);
}

std::wstring pcu_item_text(std::int32_t pcu) {
    return pcu == -1 ? std::wstring(L"PCU All") : L"PCU " + std::to_wstring(pcu);
}

std::wstring leaf_text(const LoopSetupLeaf& leaf) {
    return leaf.host + L" " + std::to_wstring(leaf.remote_port) + L" || Local_Port=" +
           (leaf.entry ? std::to_wstring(leaf.local_port) : std::wstring(L"<tba>"));
}

std::size_t LoopSetupTree::leaf_count() const {
    std::size_t count = 0;
    for (const LoopSetupLoopItem& loop : loops_) {
        for (const LoopSetupPcuItem& pcu : loop.pcus)
            count += pcu.leaves.size();
    }
    return count;
}

LoopSetupLeaf& LoopSetupTree::add_leaf(std::int32_t loop, std::int32_t pcu, LoopSetupLeaf leaf) {
    auto loop_item =
        std::find_if(loops_.begin(), loops_.end(),
                     [loop](const LoopSetupLoopItem& item) { return item.loop == loop; });
    if (loop_item == loops_.end()) {
        loops_.push_back({next_item_++, loop, {}});
        loop_item = std::prev(loops_.end());
    }
    auto& pcus = loop_item->pcus;
    auto pcu_item = std::find_if(pcus.begin(), pcus.end(),
                                 [pcu](const LoopSetupPcuItem& item) { return item.pcu == pcu; });
    if (pcu_item == pcus.end()) {
        pcus.push_back({next_item_++, pcu, {}});
        pcu_item = std::prev(pcus.end());
    }
    leaf.item = next_item_++;
    return pcu_item->leaves.emplace_back(std::move(leaf));
}

LoopSetupLeaf* LoopSetupTree::find_leaf(LoopSetupItem item) {
    for (LoopSetupLeaf* leaf : leaves()) {
        if (leaf->item == item)
            return leaf;
    }
    return nullptr;
}

const LoopSetupLeaf* LoopSetupTree::find_leaf(LoopSetupItem item) const {
    return const_cast<LoopSetupTree*>(this)->find_leaf(item);
}

std::vector<LoopSetupItem> LoopSetupTree::set_checked(LoopSetupItem item, bool checked) {
    for (LoopSetupLoopItem& loop : loops_) {
        for (LoopSetupPcuItem& pcu : loop.pcus) {
            auto clicked =
                std::find_if(pcu.leaves.begin(), pcu.leaves.end(),
                             [item](const LoopSetupLeaf& leaf) { return leaf.item == item; });
            if (clicked == pcu.leaves.end())
                continue;
            clicked->checked = checked;
            std::vector<LoopSetupItem> changed{item};
            // One server at a time answers for a PCU item.
            if (checked) {
                for (LoopSetupLeaf& other : pcu.leaves) {
                    if (other.item != item && other.checked) {
                        other.checked = false;
                        changed.push_back(other.item);
                    }
                }
            }
            return changed;
        }
    }
    return {};
}

bool LoopSetupTree::remove_leaf(LoopSetupItem item) {
    for (auto loop = loops_.begin(); loop != loops_.end(); ++loop) {
        for (auto pcu = loop->pcus.begin(); pcu != loop->pcus.end(); ++pcu) {
            auto& leaves = pcu->leaves;
            auto leaf = std::find_if(leaves.begin(), leaves.end(),
                                     [item](const LoopSetupLeaf& l) { return l.item == item; });
            if (leaf == leaves.end())
                continue;
            leaves.erase(leaf);
            if (leaves.empty())
                loop->pcus.erase(pcu);
            if (loop->pcus.empty())
                loops_.erase(loop);
            return true;
        }
    }
    return false;
}

void LoopSetupTree::for_each_leaf(
    const std::function<void(std::int32_t loop, std::int32_t pcu, LoopSetupLeaf& leaf)>& visit) {
    for (LoopSetupLoopItem& loop : loops_) {
        for (LoopSetupPcuItem& pcu : loop.pcus) {
            for (LoopSetupLeaf& leaf : pcu.leaves)
                visit(loop.loop, pcu.pcu, leaf);
        }
    }
}

std::vector<LoopSetupLeaf*> LoopSetupTree::leaves() {
    std::vector<LoopSetupLeaf*> all;
    for (LoopSetupLoopItem& loop : loops_) {
        for (LoopSetupPcuItem& pcu : loop.pcus) {
            for (LoopSetupLeaf& leaf : pcu.leaves)
                all.push_back(&leaf);
        }
    }
    return all;
}

std::vector<const LoopSetupLeaf*> LoopSetupTree::leaves() const {
    std::vector<const LoopSetupLeaf*> all;
    for (LoopSetupLeaf* leaf : const_cast<LoopSetupTree*>(this)->leaves())
        all.push_back(leaf);
    return all;
}

struct LoopSetup::InsertFields {
    std::int32_t loop = 0;
    std::int32_t pcu = -1;
    std::wstring host;
    std::int32_t remote_port = 0;
    std::uint16_t local_port = kNoLocalPort;
};

LoopSetup::LoopSetup(LoopSetupPartners partners, LoopSetupView& view)
    : partners_(std::move(partners)), view_(view) {}

LoopSetup::~LoopSetup() {
    close();
}

void LoopSetup::open() {
    open_ = true;
    if (partners_.link_view)
        partners_.loops.set_link_state_view(partners_.link_view);
    for (ConfigurationEntry& entry : partners_.loops.entries()) {
        LoopSetupLeaf leaf;
        leaf.host = entry.host;
        leaf.remote_port = entry.remote_port;
        leaf.local_port = entry.bound_port();
        leaf.checked = partners_.loops.link_state(entry);
        leaf.entry = &entry;
        const LoopSetupItem item = tree_.add_leaf(entry.loop, entry.pcu, std::move(leaf)).item;
        partners_.loops.set_tree_item(entry, item);
    }
    const PortRange ports = partners_.loops.port_range();
    view_.set_field_text(LoopSetupField::LowerLimit, std::to_wstring(ports.lower));
    view_.set_field_text(LoopSetupField::UpperLimit, std::to_wstring(ports.upper));
    view_.show_tree(tree_);
}

std::optional<LoopSetup::InsertFields> LoopSetup::checked_insert_fields() {
    auto refuse = [this](StringId text, LoopSetupField field) {
        partners_.seat.message_box(text, ids::Error, kInsertBox);
        view_.focus_field(field);
        return std::nullopt;
    };
    const Digits loop = read_field(view_, LoopSetupField::Loop);
    if (loop.reading != DigitsReading::Number)
        return refuse(ids::LoopNotNumeric, LoopSetupField::Loop);
    const Digits pcu = read_field(view_, LoopSetupField::Pcu);
    if (pcu.reading == DigitsReading::NotDigits)
        return refuse(ids::PcuNotNumeric, LoopSetupField::Pcu);
    const Digits port = read_field(view_, LoopSetupField::Port);
    // A number no UDP port can have is refused like text: it names no server.
    if (port.reading != DigitsReading::Number || port.value > 65535)
        return refuse(ids::PortNotNumeric, LoopSetupField::Port);
    const Digits local_port = read_field(view_, LoopSetupField::LocalPort);
    if (local_port.reading == DigitsReading::NotDigits)
        return refuse(ids::LocalPortNotNumeric, LoopSetupField::LocalPort);
    if (loop.value == 0)
        return refuse(ids::LoopZeroNotPermitted, LoopSetupField::Loop);
    const std::wstring address = view_.field_text(LoopSetupField::Address);
    const std::wstring_view host = trim_blanks(address);
    if (host.empty())
        return refuse(ids::IpAddressRequired, LoopSetupField::Address);

    InsertFields fields;
    fields.loop = static_cast<std::int32_t>(loop.value);
    fields.pcu = pcu.value == 0 ? -1 : static_cast<std::int32_t>(pcu.value);
    fields.remote_port = static_cast<std::int32_t>(port.value);
    fields.host = leaf_host(host, fields.loop, fields.pcu, fields.remote_port);
    fields.local_port = local_port.value == 0 ? kNoLocalPort : as_port(local_port.value);

    // A Simulation entry (remote port 0) stands alone: not beside a server, nor a server
    // beside it.
    const auto leaves = std::as_const(tree_).leaves();
    const bool simulation_listed = std::any_of(
        leaves.begin(), leaves.end(), [](const auto* leaf) { return leaf->remote_port == 0; });
    if (!leaves.empty() && (simulation_listed || fields.remote_port == 0))
        return refuse(ids::SimulationBesideOtherEntries, LoopSetupField::Port);
    return fields;
}

bool LoopSetup::insert() {
    std::optional<InsertFields> fields = checked_insert_fields();
    if (!fields)
        return false;
    LoopSetupLeaf leaf;
    leaf.host = std::move(fields->host);
    leaf.remote_port = fields->remote_port;
    leaf.local_port = fields->local_port;
    tree_.add_leaf(fields->loop, fields->pcu, std::move(leaf));
    // Emptied, so that OK does not offer the same entry again.
    for (LoopSetupField field : {LoopSetupField::Loop, LoopSetupField::Pcu, LoopSetupField::Address,
                                 LoopSetupField::Port, LoopSetupField::LocalPort})
        view_.set_field_text(field, L"");
    view_.show_tree(tree_);
    view_.focus_ok();
    return true;
}

bool LoopSetup::delete_leaf(LoopSetupItem selected) {
    if (!tree_.remove_leaf(selected))
        return false;
    deleted_ = true;
    view_.show_tree(tree_);
    view_.focus_ok();
    return true;
}

bool LoopSetup::click_check_box(LoopSetupItem item, bool ticked) {
    const std::vector<LoopSetupItem> changed = tree_.set_checked(item, ticked);
    for (LoopSetupItem leaf_item : changed)
        view_.show_leaf(*tree_.find_leaf(leaf_item));
    return !changed.empty();
}

void LoopSetup::range_field_changed(LoopSetupField field) {
    if (read_digits(view_.field_text(field)).reading != DigitsReading::NotDigits)
        return;
    partners_.seat.message_box(ids::NumericCharacterRequired, ids::IncorrectFormat, kRangeBox);
    view_.set_field_text(field, L"");
}

void LoopSetup::show_link_state(std::uintptr_t tree_item, bool ok) {
    if (tree_item > UINT32_MAX)
        return;
    LoopSetupLeaf* leaf = tree_.find_leaf(static_cast<LoopSetupItem>(tree_item));
    if (!leaf)
        return;
    leaf->checked = ok;
    view_.show_leaf(*leaf);
}

bool LoopSetup::check_port_range() {
    auto refuse = [this](StringId text) {
        partners_.seat.message_box(text, ids::IncorrectFormat, kRangeBox);
        view_.focus_field(LoopSetupField::LowerLimit);
        return false;
    };
    const Digits lower = read_field(view_, LoopSetupField::LowerLimit);
    if (lower.reading != DigitsReading::Number)
        return refuse(ids::PortLowerLimitMissing);
    const Digits upper = read_field(view_, LoopSetupField::UpperLimit);
    if (upper.reading != DigitsReading::Number)
        return refuse(ids::PortUpperLimitMissing);
    if (lower.value > upper.value)
        return refuse(ids::PortLimitsReversed);
    return true;
}

void LoopSetup::apply_port_range() {
    if (view_.default_range_checked()) {
        view_.set_field_text(LoopSetupField::LowerLimit,
                             std::to_wstring(partners_.default_ports.lower));
        view_.set_field_text(LoopSetupField::UpperLimit,
                             std::to_wstring(partners_.default_ports.upper));
        view_.set_default_range_checked(false);
    }
    const PortRange wanted{as_port(read_field(view_, LoopSetupField::LowerLimit).value),
                           as_port(read_field(view_, LoopSetupField::UpperLimit).value)};
    const PortRange current = partners_.loops.port_range();
    if (wanted.lower == current.lower && wanted.upper == current.upper)
        return;
    partners_.loops.set_port_range(wanted);
    partners_.stored_ports = wanted;
    if (wanted.lower != current.lower)
        save_number_setting(partners_.registry, partners_.seat, values::PortLowerLimit,
                            wanted.lower);
    if (wanted.upper != current.upper)
        save_number_setting(partners_.registry, partners_.seat, values::PortUpperLimit,
                            wanted.upper);
}

bool LoopSetup::in_configuration(const ConfigurationEntry* entry) const {
    for (const ConfigurationEntry& configured : partners_.loops.entries()) {
        if (&configured == entry)
            return true;
    }
    return false;
}

// A leaf inserted with the key of a configured entry shows that entry rather than a second
// connection to the same server.
ConfigurationEntry* LoopSetup::configured(const LoopSetupLeaf& leaf, std::int32_t loop,
                                          std::int32_t pcu) {
    if (leaf.entry && in_configuration(leaf.entry))
        return leaf.entry;
    for (ConfigurationEntry& entry : partners_.loops.entries()) {
        if (entry.loop == loop && entry.pcu == pcu && entry.host == leaf.host &&
            entry.remote_port == leaf.remote_port)
            return &entry;
    }
    return nullptr;
}

// An entry is in the tree while a leaf shows it. A leaf deleted and inserted again (the way
// to give a server another local port) names a new entry, so the old one goes.
void LoopSetup::remove_entries_not_in_tree() {
    std::vector<ConfigurationEntry*> gone;
    const auto leaves = std::as_const(tree_).leaves();
    for (ConfigurationEntry& entry : partners_.loops.entries()) {
        if (std::none_of(leaves.begin(), leaves.end(),
                         [&entry](const LoopSetupLeaf* leaf) { return leaf->entry == &entry; }))
            gone.push_back(&entry);
    }
    for (ConfigurationEntry* entry : gone)
        partners_.loops.remove_entry(*entry, true);
}

void LoopSetup::apply_tree() {
    LoopConfiguration& loops = partners_.loops;
    for (ConfigurationEntry& entry : loops.entries())
        entry.kept = false;
    const PortRange range = loops.port_range();
    // A Simulation entry among others is closed: it cannot run beside a server. (Counted in
    // leaves: the loop and PCU items above a lone entry are not other entries.)
    const bool several = tree_.leaf_count() > 1;
    bool tick = false;
    tree_.for_each_leaf([&](std::int32_t loop, std::int32_t pcu, LoopSetupLeaf& leaf) {
        // A leaf inserted since the dialog opened is to be connected whatever its check box
        // says, as a new entry is started; when it names a configured entry, that one.
        const bool wanted = leaf.checked || !leaf.entry;
        ConfigurationEntry* entry = configured(leaf, loop, pcu);
        const bool ok = entry && loops.link_state(*entry);
        if (!entry) {
            std::uint16_t port = leaf.local_port;
            if (port < range.lower || port > range.upper || loops.local_port_in_use(port))
                port = kNoLocalPort;
            entry = &loops.add_entry(loop, pcu, leaf.host, leaf.remote_port);
            entry->local_port->store(port);
            loops.start_entry(*entry, false);
        } else if (entry->remote_port == 0 && several) {
            loops.close_entry(*entry, false);
        } else if (wanted && !ok) {
            loops.start_entry(*entry, false);
        } else if (!wanted && ok) {
            // Unticking closes the connection for this run only: the entry stays in the
            // list and in "LoopEntries", so it connects again at the next start. Taking its
            // value out of the registry would lose the server at the next start though the
            // list still shows it; Delete is the way to forget it.
            loops.close_entry(*entry, false);
        }
        entry->kept = true;
        leaf.entry = entry;
        leaf.local_port = entry->bound_port();
        loops.set_tree_item(*entry, leaf.item);
        if (entry->remote_port != 0 && leaf.local_port == kNoLocalPort)
            leaf.checked = false;
        else
            tick = true;
        view_.show_leaf(leaf);
    });
    // One tick serves every leaf: a tick per leaf would count several unanswered connstat
    // requests against each entry and reconnect it.
    if (tick && partners_.connstat_tick)
        partners_.connstat_tick();
}

void LoopSetup::save_and_drop_unmarked() {
    LoopConfiguration& loops = partners_.loops;
    loops.save_all();
    std::vector<ConfigurationEntry*> unmarked;
    for (ConfigurationEntry& entry : loops.entries()) {
        if (!entry.kept)
            unmarked.push_back(&entry);
    }
    for (ConfigurationEntry* entry : unmarked)
        loops.remove_entry(*entry, true);
}

bool LoopSetup::ok() {
    if (!view_.default_range_checked() && !check_port_range())
        return false;
    apply_port_range();
    if (deleted_)
        remove_entries_not_in_tree();
    if (holds_text(view_, LoopSetupField::Loop) || holds_text(view_, LoopSetupField::Port) ||
        holds_text(view_, LoopSetupField::Address)) {
        const int answer = partners_.seat.message_box(
            ids::AddCurrentEntryQuestion, ids::LiveLoopSetup, mb::YesNo | mb::IconQuestion);
        if (answer == ButtonYes && !insert())
            return false;
    }
    apply_tree();
    save_and_drop_unmarked();
    view_.show_tree(tree_);
    close();
    return true;
}

void LoopSetup::cancel() {
    close();
}

void LoopSetup::close() {
    if (!open_)
        return;
    open_ = false;
    if (partners_.link_view)
        partners_.loops.set_link_state_view(nullptr);
    for (ConfigurationEntry& entry : partners_.loops.entries())
        partners_.loops.set_tree_item(entry, 0);
}

} // namespace brixtel
