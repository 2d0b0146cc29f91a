// The Live Loop Setup dialog's logic: the tree it shows, the checks of Insert and OK, and what
// OK does to a real loop configuration and the registry. Servers are named under the reserved
// "invalid" domain, so their Connect threads report BAD without a box or a datagram.
#include "core/loop_setup.h"
#include "platform/memory_registry.h"
#include "settings/registry_values.h"
#include "settings/settings.h"
#include "shell/number_entry.h"
#include "support/fake_seat.h"
#include "transport_fakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace brixtel {
namespace {

using testing::FakeSeat;
using testing::LockedSeat;
using testing::RecordingPoster;
using F = LoopSetupField;

class FakeView : public LoopSetupView {
  public:
    std::map<LoopSetupField, std::wstring> fields;
    std::vector<LoopSetupField> focused;
    bool ok_focused = false;
    bool default_box = false;
    int trees_shown = 0;
    std::vector<LoopSetupItem> leaves_shown;

    std::wstring field_text(LoopSetupField field) const override {
        auto it = fields.find(field);
        return it == fields.end() ? std::wstring() : it->second;
    }
    void set_field_text(LoopSetupField field, std::wstring_view text) override {
        fields[field] = text;
    }
    void focus_field(LoopSetupField field) override { focused.push_back(field); }
    void focus_ok() override { ok_focused = true; }
    bool default_range_checked() const override { return default_box; }
    void set_default_range_checked(bool checked) override { default_box = checked; }
    void show_tree(const LoopSetupTree&) override { ++trees_shown; }
    void show_leaf(const LoopSetupLeaf& leaf) override { leaves_shown.push_back(leaf.item); }

    void type(std::wstring loop, std::wstring pcu, std::wstring address, std::wstring port,
              std::wstring local_port = L"") {
        fields[F::Loop] = std::move(loop);
        fields[F::Pcu] = std::move(pcu);
        fields[F::Address] = std::move(address);
        fields[F::Port] = std::move(port);
        fields[F::LocalPort] = std::move(local_port);
    }
};

class RecordingLinkView : public LinkStateView {
  public:
    void show_link_state(std::uintptr_t item, bool ok) override {
        std::lock_guard hold(lock);
        shown.push_back({item, ok});
    }
    std::vector<std::pair<std::uintptr_t, bool>> shown;
    std::mutex lock;
};

// The tree as a user reads it: one line per item, indented, leaves with their check box.
std::vector<std::wstring> lines(const LoopSetupTree& tree) {
    std::vector<std::wstring> out;
    for (const auto& loop : tree.loops()) {
        out.push_back(loop_item_text(loop.loop));
        for (const auto& pcu : loop.pcus) {
            out.push_back(L"  " + pcu_item_text(pcu.pcu));
            for (const auto& leaf : pcu.leaves)
                out.push_back(L"    " + leaf_text(leaf) + (leaf.checked ? L" [x]" : L" [ ]"));
        }
    }
    return out;
}

class LoopSetupTest : public ::testing::Test {
  protected:
    ~LoopSetupTest() override {
        setup.reset();
        loops().shut_down_all(false);
    }

    LoopConfiguration& loops() const { return *configuration; }
    std::unique_ptr<LoopConfiguration> make_configuration() {
        return std::make_unique<LoopConfiguration>(seat, poster, registry, [this] { return now; });
    }
    // A configuration shut down starts nothing more: each case of a table gets its own.
    void renew() {
        setup.reset();
        loops().shut_down_all(false);
        configuration = make_configuration();
        connstat_ticks = 0;
    }

    LoopSetup& open() {
        setup = std::make_unique<LoopSetup>(
            LoopSetupPartners{loops(), registry, dialog_seat, stored_ports, defaults,
                              [this] { ++connstat_ticks; }, &link_view},
            view);
        setup->open();
        return *setup;
    }
    // The first leaf whose text starts with `host`.
    LoopSetupItem leaf_of(const std::wstring& host) const {
        for (const LoopSetupLeaf* leaf : setup->tree().leaves()) {
            if (leaf->host == host)
                return leaf->item;
        }
        return 0;
    }
    ConfigurationEntry* entry_of(const std::wstring& host) {
        for (auto& entry : loops().entries()) {
            if (entry.host == host)
                return &entry;
        }
        return nullptr;
    }
    std::vector<std::wstring> configured_hosts() const {
        std::vector<std::wstring> hosts;
        for (const auto& entry : loops().entries())
            hosts.push_back(entry.host);
        return hosts;
    }
    std::vector<std::wstring> transport_hosts() {
        std::vector<std::wstring> hosts;
        std::lock_guard hold(loops().loop_entries().lock);
        for (const auto& entry : loops().loop_entries().entries)
            hosts.push_back(entry.host);
        return hosts;
    }
    std::vector<std::wstring> stored() const {
        std::vector<std::wstring> texts;
        const auto count = registry.value(RegistryRoot::CurrentUser, keys::LoopEntries,
                                          values::NumberOfLoopEntries);
        const std::uint32_t n = count ? count->data[0] : 0;
        for (std::uint32_t i = 1; i <= n; ++i) {
            const auto value = registry.value(RegistryRoot::CurrentUser, keys::LoopEntries,
                                              L"LoopEntry" + std::to_wstring(i));
            texts.push_back(value ? text_of_value_bytes(value->data) : L"(missing)");
        }
        return texts;
    }
    std::optional<std::uint32_t> saved_number(std::wstring_view name) const {
        const auto value = registry.value(RegistryRoot::CurrentUser, keys::Settings, name);
        if (!value || value->data.size() != 4)
            return std::nullopt;
        return value->data[0] | value->data[1] << 8 | value->data[2] << 16 |
               static_cast<std::uint32_t>(value->data[3]) << 24;
    }
    void settle() { ASSERT_TRUE(loops().transport().wait_for_connects(std::chrono::seconds(5))); }
    // Configured, started, settled, and reported as the test wants.
    ConfigurationEntry& configure(std::int32_t loop, std::int32_t pcu, std::wstring host,
                                  std::int32_t port, bool ok) {
        ConfigurationEntry& entry = loops().add_entry(loop, pcu, std::move(host), port);
        loops().start_entry(entry, true);
        settle();
        loops().report_status(entry.endpoint(), ok);
        return entry;
    }

    LockedSeat seat;
    RecordingPoster poster{{}};
    MemoryRegistry registry;
    StatusTime now{5000, 0};
    std::unique_ptr<LoopConfiguration> configuration = make_configuration();
    FakeSeat dialog_seat;
    PortRange stored_ports{5100, 5200};
    PortRange defaults{3100, 3200};
    int connstat_ticks = 0;
    RecordingLinkView link_view;
    FakeView view;
    std::unique_ptr<LoopSetup> setup;
};

TEST_F(LoopSetupTest, OpensWithTheConfigurationInListOrderTickedWhileOk) {
    loops().set_port_range({5100, 5200});
    loops().add_entry(3, -1, L"c.invalid", 5003);
    ConfigurationEntry& bound = loops().add_entry(1, 2, L"b.invalid", 5002);
    loops().add_entry(1, -1, L"a.invalid", 5001);
    loops().add_entry(1, 2, L"d.invalid", 0);
    bound.local_port->store(5150);
    loops().report_status(bound.endpoint(), true);

    open();
    const std::vector<std::wstring> expected = {
        L"Loop 1",
        L"  PCU All",
        L"    a.invalid 5001 || Local_Port=65535 [ ]",
        L"  PCU 2",
        L"    b.invalid 5002 || Local_Port=5150 [x]",
        L"    d.invalid 0 || Local_Port=65535 [ ]",
        L"Loop 3",
        L"  PCU All",
        L"    c.invalid 5003 || Local_Port=65535 [ ]",
    };
    EXPECT_EQ(lines(setup->tree()), expected);
    EXPECT_EQ(view.fields[F::LowerLimit], L"5100");
    EXPECT_EQ(view.fields[F::UpperLimit], L"5200");
    EXPECT_EQ(view.trees_shown, 1);
    // Each entry knows its leaf, so status reports reach it.
    for (const auto& entry : loops().entries())
        EXPECT_EQ(entry.tree_item, leaf_of(entry.host)) << entry.host.c_str();
}

TEST_F(LoopSetupTest, TickingALeafUnticksTheOtherLeavesOfItsPcuOnly) {
    LoopSetupTree tree;
    const auto a = tree.add_leaf(1, 2, {0, L"a", 1, kNoLocalPort, true, nullptr}).item;
    const auto b = tree.add_leaf(1, 2, {0, L"b", 1, kNoLocalPort, false, nullptr}).item;
    const auto c = tree.add_leaf(1, 2, {0, L"c", 1, kNoLocalPort, true, nullptr}).item;
    const auto other = tree.add_leaf(1, -1, {0, L"o", 1, kNoLocalPort, true, nullptr}).item;
    const auto loop_item = tree.loops()[0].item;
    const auto pcu_item = tree.loops()[0].pcus[0].item;

    const struct {
        const char* name;
        LoopSetupItem clicked;
        bool ticked;
        std::vector<LoopSetupItem> changed;
        std::vector<bool> states; // a, b, c, other
    } steps[] = {
        {"tick b", b, true, {b, a, c}, {false, true, false, true}},
        {"untick b", b, false, {b}, {false, false, false, true}},
        {"tick a", a, true, {a}, {true, false, false, true}},
        {"loop item", loop_item, true, {}, {true, false, false, true}},
        {"PCU item", pcu_item, true, {}, {true, false, false, true}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        EXPECT_EQ(tree.set_checked(step.clicked, step.ticked), step.changed);
        std::vector<bool> states;
        for (LoopSetupItem item : {a, b, c, other})
            states.push_back(tree.find_leaf(item)->checked);
        EXPECT_EQ(states, step.states);
    }
}

TEST_F(LoopSetupTest, DeletePrunesEmptiedItemsAndLeavesTheConfigurationToOk) {
    loops().add_entry(1, -1, L"a.invalid", 5001);
    loops().add_entry(1, 2, L"b.invalid", 5002);
    loops().add_entry(1, 2, L"c.invalid", 5003);
    loops().add_entry(2, -1, L"d.invalid", 5004);
    open();
    const struct {
        const char* name;
        std::wstring host; // empty: the first loop item
        bool deleted;
        std::vector<std::wstring> loops_and_pcus;
    } steps[] = {
        {"a non-leaf", L"", false, {L"Loop 1", L"PCU All", L"PCU 2", L"Loop 2", L"PCU All"}},
        {"one of two",
         L"b.invalid",
         true,
         {L"Loop 1", L"PCU All", L"PCU 2", L"Loop 2", L"PCU All"}},
        {"the last of a PCU", L"c.invalid", true, {L"Loop 1", L"PCU All", L"Loop 2", L"PCU All"}},
        {"the last of a loop", L"d.invalid", true, {L"Loop 1", L"PCU All"}},
        {"the last of all", L"a.invalid", true, {}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        view.ok_focused = false;
        const LoopSetupItem item =
            step.host.empty() ? setup->tree().loops()[0].item : leaf_of(step.host);
        EXPECT_EQ(setup->delete_leaf(item), step.deleted);
        std::vector<std::wstring> names;
        for (const auto& loop : setup->tree().loops()) {
            names.push_back(loop_item_text(loop.loop));
            for (const auto& pcu : loop.pcus)
                names.push_back(pcu_item_text(pcu.pcu));
        }
        EXPECT_EQ(names, step.loops_and_pcus);
        EXPECT_EQ(view.ok_focused, step.deleted);
    }
    EXPECT_TRUE(setup->tree().empty());
    EXPECT_EQ(configured_hosts().size(), 4u);
}

TEST_F(LoopSetupTest, InsertChecksTheFieldsInOrder) {
    const struct {
        const char* name;
        std::vector<std::wstring> typed; // loop, PCU, address, port, local port
        StringId message;
        LoopSetupField focus;
    } cases[] = {
        {"empty loop", {L"", L"", L"h", L"5001", L""}, ids::LoopNotNumeric, F::Loop},
        {"loop before PCU", {L"x", L"y", L"h", L"5001", L""}, ids::LoopNotNumeric, F::Loop},
        {"PCU", {L"1", L"2b", L"h", L"5001", L""}, ids::PcuNotNumeric, F::Pcu},
        {"PCU before port", {L"1", L"-1", L"h", L"", L""}, ids::PcuNotNumeric, F::Pcu},
        {"empty port", {L"1", L"", L"h", L"", L""}, ids::PortNotNumeric, F::Port},
        {"port before loop 0", {L"0", L"", L"h", L"50 01", L""}, ids::PortNotNumeric, F::Port},
        {"local port", {L"1", L"", L"h", L"5001", L"auto"}, ids::LocalPortNotNumeric, F::LocalPort},
        {"local port before loop 0",
         {L"0", L"", L"", L"5001", L"x"},
         ids::LocalPortNotNumeric,
         F::LocalPort},
        {"port above 65535", {L"1", L"", L"h", L"65536", L""}, ids::PortNotNumeric, F::Port},
        {"port of 20 digits",
         {L"1", L"", L"h", std::wstring(20, L'9'), L""},
         ids::PortNotNumeric,
         F::Port},
        {"loop 0", {L"0", L"", L"", L"5001", L""}, ids::LoopZeroNotPermitted, F::Loop},
        {"no address", {L"1", L"", L"  ", L"5001", L""}, ids::IpAddressRequired, F::Address},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dialog_seat.boxes.clear();
        view.focused.clear();
        view.ok_focused = false;
        open();
        view.type(c.typed[0], c.typed[1], c.typed[2], c.typed[3], c.typed[4]);
        EXPECT_FALSE(setup->insert());
        ASSERT_EQ(dialog_seat.boxes.size(), 1u);
        EXPECT_EQ(dialog_seat.boxes[0].text, c.message);
        EXPECT_EQ(dialog_seat.boxes[0].caption, ids::Error);
        EXPECT_EQ(dialog_seat.boxes[0].flags, mb::Ok | mb::IconInformation);
        EXPECT_EQ(view.focused, std::vector<LoopSetupField>{c.focus});
        EXPECT_TRUE(setup->tree().empty());
        EXPECT_FALSE(view.ok_focused);
        EXPECT_EQ(view.fields[F::Loop], c.typed[0]); // kept for the user to correct
    }
}

TEST_F(LoopSetupTest, InsertFillsInDefaultsAndFindsOrAddsItsItems) {
    open();
    const struct {
        std::vector<std::wstring> typed; // loop, PCU, address, port, local port
        std::uint16_t local_port;
    } steps[] = {
        {{L"2", L"", L"a.invalid", L"5001", L""}, kNoLocalPort},
        {{L"2", L"0", L" b.invalid ", L"5002", L"0"}, kNoLocalPort},
        {{L"1", L"7", L"c.invalid", L"5003", L"5150"}, 5150},
        {{L"2", L"7", L"d.invalid", L"5004", L"99999"}, kNoLocalPort},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(::testing::PrintToString(step.typed[2]));
        view.ok_focused = false;
        view.type(step.typed[0], step.typed[1], step.typed[2], step.typed[3], step.typed[4]);
        EXPECT_TRUE(setup->insert());
        const LoopSetupLeaf* leaf =
            setup->tree().find_leaf(leaf_of(std::wstring(trim_blanks(step.typed[2]))));
        ASSERT_NE(leaf, nullptr);
        EXPECT_EQ(leaf->local_port, step.local_port);
        EXPECT_EQ(leaf->entry, nullptr);
        EXPECT_TRUE(view.ok_focused);
        for (LoopSetupField field : {F::Loop, F::Pcu, F::Address, F::Port, F::LocalPort})
            EXPECT_EQ(view.fields[field], L"");
    }
    EXPECT_TRUE(dialog_seat.boxes.empty());
    const std::vector<std::wstring> tree = {
        L"Loop 2",
        L"  PCU All",
        L"    a.invalid 5001 || Local_Port=<tba> [ ]",
        L"    b.invalid 5002 || Local_Port=<tba> [ ]",
        L"  PCU 7",
        L"    d.invalid 5004 || Local_Port=<tba> [ ]",
        L"Loop 1",
        L"  PCU 7",
        L"    c.invalid 5003 || Local_Port=<tba> [ ]",
    };
    EXPECT_EQ(lines(setup->tree()), tree);
    EXPECT_TRUE(loops().empty()); // nothing configured before OK
}

TEST_F(LoopSetupTest, LongHostIsCutSoItsStoredEntryReadsBack) {
    open();
    view.type(L"12", L"34", std::wstring(300, L'h'), L"65535", L"");
    ASSERT_TRUE(setup->insert());
    const auto leaves = setup->tree().leaves();
    ASSERT_EQ(leaves.size(), 1u);
    const std::wstring stored = loop_entry_text({12, 34, 65535, leaves[0]->host});
    EXPECT_EQ(stored.size(), 255u) << "what is stored must read back whole, and no shorter";
}

TEST_F(LoopSetupTest, SimulationEntryStandsAlone) {
    const struct {
        const char* name;
        std::vector<std::int32_t> listed_ports;
        std::wstring new_port;
        bool refused;
    } cases[] = {
        {"simulation into an empty list", {}, L"0", false},
        {"server beside a simulation", {0}, L"5001", true},
        {"simulation beside a server", {5001}, L"0", true},
        {"server beside a server", {5001}, L"5002", false},
        {"server beside a server and a simulation", {5001, 0}, L"5002", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        renew();
        dialog_seat.boxes.clear();
        view.focused.clear();
        for (std::size_t i = 0; i < c.listed_ports.size(); ++i)
            loops().add_entry(static_cast<std::int32_t>(i + 1), -1, L"listed.invalid",
                              c.listed_ports[i]);
        open();
        const std::size_t before = setup->tree().leaf_count();
        view.type(L"9", L"", L"new.invalid", c.new_port);
        EXPECT_EQ(setup->insert(), !c.refused);
        EXPECT_EQ(setup->tree().leaf_count(), before + (c.refused ? 0 : 1));
        if (c.refused) {
            ASSERT_EQ(dialog_seat.shown_texts(),
                      std::vector<StringId>{ids::SimulationBesideOtherEntries});
            EXPECT_EQ(view.focused, std::vector<LoopSetupField>{F::Port});
        }
    }
}

TEST_F(LoopSetupTest, RangeFieldsTakeDigitsOnly) {
    open();
    const struct {
        std::wstring typed;
        bool refused;
    } cases[] = {{L"5100", false}, {L"", false}, {L"51a0", true}, {L" 5100", true}, {L"-1", true}};
    for (const auto& c : cases) {
        for (LoopSetupField field : {F::LowerLimit, F::UpperLimit}) {
            SCOPED_TRACE(::testing::PrintToString(c.typed));
            dialog_seat.boxes.clear();
            view.fields[field] = c.typed;
            setup->range_field_changed(field);
            EXPECT_EQ(view.fields[field], c.refused ? L"" : c.typed);
            ASSERT_EQ(dialog_seat.boxes.size(), c.refused ? 1u : 0u);
            if (c.refused) {
                EXPECT_EQ(dialog_seat.boxes[0].text, ids::NumericCharacterRequired);
                EXPECT_EQ(dialog_seat.boxes[0].caption, ids::IncorrectFormat);
                EXPECT_EQ(dialog_seat.boxes[0].flags, mb::Ok | mb::IconExclamation);
            }
        }
    }
}

TEST_F(LoopSetupTest, OkChecksTheRangeUnlessResetToDefaults) {
    const struct {
        const char* name;
        std::wstring lower, upper;
        bool reset_box;
        std::optional<StringId> refusal;
        PortRange range;                        // afterwards
        std::uint32_t saved_lower, saved_upper; // 7: not saved
    } cases[] = {
        {"no lower", L"", L"5200", false, ids::PortLowerLimitMissing, {5100, 5200}, 7, 7},
        {"no upper", L"5100", L"", false, ids::PortUpperLimitMissing, {5100, 5200}, 7, 7},
        {"no limits", L"", L"", false, ids::PortLowerLimitMissing, {5100, 5200}, 7, 7},
        {"reversed", L"5201", L"5200", false, ids::PortLimitsReversed, {5100, 5200}, 7, 7},
        {"unchanged", L"5100", L"5200", false, {}, {5100, 5200}, 7, 7},
        {"one port", L"6000", L"6000", false, {}, {6000, 6000}, 6000, 6000},
        {"upper only", L"5100", L"5300", false, {}, {5100, 5300}, 7, 5300},
        {"reset with empty fields", L"", L"", true, {}, {3100, 3200}, 3100, 3200},
        {"reset over reversed fields", L"9", L"1", true, {}, {3100, 3200}, 3100, 3200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (std::wstring_view name : {values::PortLowerLimit, values::PortUpperLimit})
            registry.put(RegistryRoot::CurrentUser, keys::Settings, name,
                         {RegistryTypeNumber, {7, 0, 0, 0}});
        dialog_seat.boxes.clear();
        view.focused.clear();
        loops().set_port_range({5100, 5200});
        stored_ports = {5100, 5200};
        open();
        view.fields[F::LowerLimit] = c.lower;
        view.fields[F::UpperLimit] = c.upper;
        view.default_box = c.reset_box;

        EXPECT_EQ(setup->ok(), !c.refusal);
        if (c.refusal) {
            ASSERT_EQ(dialog_seat.boxes.size(), 1u);
            EXPECT_EQ(dialog_seat.boxes[0].text, *c.refusal);
            EXPECT_EQ(dialog_seat.boxes[0].caption, ids::IncorrectFormat);
            EXPECT_EQ(dialog_seat.boxes[0].flags, mb::Ok | mb::IconExclamation);
            EXPECT_EQ(view.focused, std::vector<LoopSetupField>{F::LowerLimit});
        } else {
            EXPECT_TRUE(dialog_seat.boxes.empty());
        }
        EXPECT_EQ(loops().port_range().lower, c.range.lower);
        EXPECT_EQ(loops().port_range().upper, c.range.upper);
        EXPECT_EQ(stored_ports.lower, c.range.lower);
        EXPECT_EQ(stored_ports.upper, c.range.upper);
        EXPECT_EQ(saved_number(values::PortLowerLimit), c.saved_lower);
        EXPECT_EQ(saved_number(values::PortUpperLimit), c.saved_upper);
        if (c.reset_box) {
            EXPECT_FALSE(view.default_box);
            EXPECT_EQ(view.fields[F::LowerLimit], L"3100");
            EXPECT_EQ(view.fields[F::UpperLimit], L"3200");
        }
    }
}

TEST_F(LoopSetupTest, OkOffersTextLeftInTheFieldsAsAnEntry) {
    const struct {
        const char* name;
        std::vector<std::wstring> typed;
        int answer;
        bool asked;
        bool closes;
        std::vector<std::wstring> configured;
    } cases[] = {
        {"empty fields", {L"", L"", L"", L"", L""}, ButtonYes, false, true, {}},
        {"PCU and local port alone", {L"", L"3", L"", L"", L"5150"}, ButtonYes, false, true, {}},
        {"no", {L"1", L"", L"a.invalid", L"5001", L""}, ButtonNo, true, true, {}},
        {"yes", {L"1", L"", L"a.invalid", L"5001", L""}, ButtonYes, true, true, {L"a.invalid"}},
        {"address alone, yes", {L"", L"", L"a.invalid", L"", L""}, ButtonYes, true, false, {}},
        {"port alone, no", {L"", L"", L"", L"5001", L""}, ButtonNo, true, true, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dialog_seat.boxes.clear();
        dialog_seat.answers = {c.answer};
        open();
        view.type(c.typed[0], c.typed[1], c.typed[2], c.typed[3], c.typed[4]);
        EXPECT_EQ(setup->ok(), c.closes);
        settle();
        if (c.asked) {
            ASSERT_FALSE(dialog_seat.boxes.empty());
            EXPECT_EQ(dialog_seat.boxes[0].text, ids::AddCurrentEntryQuestion);
            EXPECT_EQ(dialog_seat.boxes[0].caption, ids::LiveLoopSetup);
            EXPECT_EQ(dialog_seat.boxes[0].flags, mb::YesNo | mb::IconQuestion);
        } else {
            EXPECT_TRUE(dialog_seat.boxes.empty());
        }
        if (!c.closes) { // Insert refused: its message follows the question
            EXPECT_EQ(dialog_seat.shown_texts(),
                      (std::vector<StringId>{ids::AddCurrentEntryQuestion, ids::LoopNotNumeric}));
        }
        EXPECT_EQ(configured_hosts(), c.configured);
        renew();
    }
}

// The range and the deletions are applied before the question, so an Insert refused there
// keeps the dialog open with them already done.
TEST_F(LoopSetupTest, DeletedEntriesGoBeforeTheQuestion) {
    configure(1, -1, L"a.invalid", 5001, true);
    configure(2, -1, L"b.invalid", 5002, true);
    loops().save_all();
    open();
    setup->delete_leaf(leaf_of(L"a.invalid"));
    view.type(L"x", L"", L"c.invalid", L"5003");
    dialog_seat.answers = {ButtonYes};
    EXPECT_FALSE(setup->ok());
    EXPECT_EQ(configured_hosts(), std::vector<std::wstring>{L"b.invalid"});
    EXPECT_EQ(transport_hosts(), std::vector<std::wstring>{L"b.invalid"});
    EXPECT_EQ(stored(), std::vector<std::wstring>{L"2 5002 b.invalid"});
}

TEST_F(LoopSetupTest, OkBringsTheConfigurationInLineWithTheTree) {
    loops().set_port_range({47300, 47309});
    registry.put(RegistryRoot::CurrentUser, keys::LoopEntries, L"LoopEntry1",
                 {RegistryTypeText, text_value_bytes(L"9 5009 stale.invalid")});
    registry.put(RegistryRoot::CurrentUser, keys::LoopEntries, values::NumberOfLoopEntries,
                 {RegistryTypeNumber, {1, 0, 0, 0}});
    configure(1, -1, L"on.invalid", 5001, true);    // ticked, stays on
    configure(2, -1, L"off.invalid", 5002, true);   // to be unticked
    configure(3, -1, L"down.invalid", 5003, false); // to be ticked
    configure(9, -1, L"stale.invalid", 5009, true); // to be deleted
    configure(4, 5, L"held.invalid", 5004, false).local_port->store(47301);
    open();
    ASSERT_TRUE(setup->click_check_box(leaf_of(L"off.invalid"), false));
    ASSERT_TRUE(setup->click_check_box(leaf_of(L"down.invalid"), true));
    ASSERT_TRUE(setup->delete_leaf(leaf_of(L"stale.invalid")));
    const struct {
        std::wstring loop, pcu, host, port, local_port;
    } inserted[] = {
        {L"5", L"", L"new.invalid", L"5005", L"47305"},    // in range and free: kept
        {L"6", L"", L"outside.invalid", L"5006", L"5150"}, // outside the range: automatic
        {L"7", L"", L"taken.invalid", L"5007", L"47301"},  // held by another entry: automatic
        {L"1", L"", L"on.invalid", L"5001", L""},          // configured: that entry, left connected
    };
    for (const auto& i : inserted) {
        view.type(i.loop, i.pcu, i.host, i.port, i.local_port);
        ASSERT_TRUE(setup->insert());
    }
    const std::vector<std::wstring> before_ok = transport_hosts();

    ASSERT_TRUE(setup->ok());
    settle();

    // Deleted: gone from the configuration, the transport and the registry.
    EXPECT_EQ(entry_of(L"stale.invalid"), nullptr);
    const std::vector<std::wstring> configured = {
        L"on.invalid",  L"off.invalid",     L"down.invalid", L"held.invalid",
        L"new.invalid", L"outside.invalid", L"taken.invalid"};
    EXPECT_EQ(configured_hosts(), configured);
    // Unticked: closed and no longer polled or reconnected, but still configured and stored.
    const std::vector<std::wstring> connections = transport_hosts();
    EXPECT_EQ(std::count(connections.begin(), connections.end(), L"off.invalid"), 0);
    EXPECT_FALSE(loops().link_state(*entry_of(L"off.invalid")));
    // Ticked while down: started again (its twin is there); the rest kept their twins.
    for (const wchar_t* host : {L"on.invalid", L"down.invalid", L"held.invalid", L"new.invalid",
                                L"outside.invalid", L"taken.invalid"})
        EXPECT_EQ(std::count(connections.begin(), connections.end(), host), 1) << host;
    EXPECT_EQ(std::count(before_ok.begin(), before_ok.end(), L"on.invalid"), 1);
    // New entries take the wanted local port only when it is in range and free.
    EXPECT_EQ(entry_of(L"new.invalid")->bound_port(), 47305);
    EXPECT_EQ(entry_of(L"outside.invalid")->bound_port(), kNoLocalPort);
    EXPECT_EQ(entry_of(L"taken.invalid")->bound_port(), kNoLocalPort);
    // Every entry, the unticked one too, is stored in list order.
    const std::vector<std::wstring> saved = {
        L"1 5001 on.invalid",     L"2 5002 off.invalid", L"3 5003 down.invalid",
        L"4.5 5004 held.invalid", L"5 5005 new.invalid", L"6 5006 outside.invalid",
        L"7 5007 taken.invalid",
    };
    EXPECT_EQ(stored(), saved);
    // Leaves show their entries; one without a bound port is unticked, and a leaf with a
    // port asks for one connstat tick.
    const std::vector<std::wstring> tree = {
        L"Loop 1",
        L"  PCU All",
        L"    on.invalid 5001 || Local_Port=65535 [ ]",
        L"    on.invalid 5001 || Local_Port=65535 [ ]",
        L"Loop 2",
        L"  PCU All",
        L"    off.invalid 5002 || Local_Port=65535 [ ]",
        L"Loop 3",
        L"  PCU All",
        L"    down.invalid 5003 || Local_Port=65535 [ ]",
        L"Loop 4",
        L"  PCU 5",
        L"    held.invalid 5004 || Local_Port=47301 [ ]",
        L"Loop 5",
        L"  PCU All",
        L"    new.invalid 5005 || Local_Port=47305 [ ]",
        L"Loop 6",
        L"  PCU All",
        L"    outside.invalid 5006 || Local_Port=65535 [ ]",
        L"Loop 7",
        L"  PCU All",
        L"    taken.invalid 5007 || Local_Port=65535 [ ]",
    };
    EXPECT_EQ(lines(setup->tree()), tree);
    EXPECT_EQ(connstat_ticks, 1);
    // Closed: no entry keeps a tree item and status reports no longer reach the dialog.
    for (const auto& entry : loops().entries())
        EXPECT_EQ(entry.tree_item, 0u);
    link_view.shown.clear();
    loops().report_status(entry_of(L"on.invalid")->endpoint(), true);
    EXPECT_TRUE(link_view.shown.empty());
}

TEST_F(LoopSetupTest, UntickedThenTickedAgainReconnects) {
    configure(1, -1, L"a.invalid", 5001, true);
    const struct {
        bool tick;
        bool connected; // has a transport twin after OK
    } rounds[] = {{false, false}, {false, false}, {true, true}, {true, true}};
    for (const auto& round : rounds) {
        open();
        setup->click_check_box(leaf_of(L"a.invalid"), round.tick);
        ASSERT_TRUE(setup->ok());
        settle();
        EXPECT_EQ(transport_hosts().size(), round.connected ? 1u : 0u);
        EXPECT_EQ(stored(), std::vector<std::wstring>{L"1 5001 a.invalid"});
        // The server answers again while connected.
        if (round.connected)
            loops().report_status(entry_of(L"a.invalid")->endpoint(), true);
    }
}

TEST_F(LoopSetupTest, SimulationEntryIsClosedOnlyBesideOthers) {
    const struct {
        const char* name;
        bool with_server;
        bool simulation_after;
    } cases[] = {{"alone", false, true}, {"beside a server", true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        configure(4, -1, L"sim.invalid", 0, true);
        EXPECT_TRUE(loops().transport().simulation_mode());
        if (c.with_server)
            configure(1, -1, L"a.invalid", 5001, true);
        open();
        ASSERT_TRUE(setup->ok());
        settle();
        EXPECT_EQ(loops().transport().simulation_mode(), c.simulation_after);
        ASSERT_NE(entry_of(L"sim.invalid"), nullptr); // closed, still listed
        EXPECT_EQ(stored(), c.with_server ? std::vector<std::wstring>{L"1 5001 a.invalid"}
                                          : std::vector<std::wstring>{});
        EXPECT_EQ(connstat_ticks, 1);
        renew();
    }
}

TEST_F(LoopSetupTest, CancelLeavesTheConfigurationAsItWas) {
    configure(1, -1, L"a.invalid", 5001, true);
    configure(2, -1, L"b.invalid", 5002, true);
    loops().save_all();
    open();
    setup->click_check_box(leaf_of(L"a.invalid"), false);
    setup->delete_leaf(leaf_of(L"b.invalid"));
    view.type(L"3", L"", L"c.invalid", L"5003");
    setup->insert();
    view.fields[F::LowerLimit] = L"6000";
    setup->cancel();

    EXPECT_EQ(configured_hosts(), (std::vector<std::wstring>{L"a.invalid", L"b.invalid"}));
    EXPECT_EQ(transport_hosts(), (std::vector<std::wstring>{L"a.invalid", L"b.invalid"}));
    EXPECT_EQ(stored(), (std::vector<std::wstring>{L"1 5001 a.invalid", L"2 5002 b.invalid"}));
    EXPECT_EQ(loops().port_range().lower, 5100);
    EXPECT_EQ(connstat_ticks, 0);
    for (const auto& entry : loops().entries())
        EXPECT_EQ(entry.tree_item, 0u);
}

TEST_F(LoopSetupTest, StatusReportsWhileOpenReachTheLeaves) {
    ConfigurationEntry& a = configure(1, 2, L"a.invalid", 5001, false);
    configure(1, 2, L"b.invalid", 5002, true);
    open();
    loops().report_status(a.endpoint(), true);
    ASSERT_EQ(link_view.shown.size(), 1u);
    EXPECT_EQ(link_view.shown[0].first, leaf_of(L"a.invalid"));
    // On the dialog's thread: a report sets the leaf alone, without the click rule.
    view.leaves_shown.clear();
    setup->show_link_state(link_view.shown[0].first, true);
    EXPECT_TRUE(setup->tree().find_leaf(leaf_of(L"a.invalid"))->checked);
    EXPECT_TRUE(setup->tree().find_leaf(leaf_of(L"b.invalid"))->checked);
    EXPECT_EQ(view.leaves_shown, std::vector<LoopSetupItem>{leaf_of(L"a.invalid")});
    setup->show_link_state(0xDEAD, false); // an item the tree no longer has
    EXPECT_EQ(view.leaves_shown.size(), 1u);
}

} // namespace
} // namespace brixtel
