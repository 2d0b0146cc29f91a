// The configuration list: its order, where it is loaded from, the Link-state staleness rule,
// and how removing an entry renumbers the stored values.
#include "core/loop_configuration.h"
#include "platform/memory_registry.h"
#include "settings/registry_values.h"
#include "settings/settings.h"
#include "settings/startup_read.h"
#include "shell/string_table.h"
#include "transport_fakes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brixtel {
namespace {

using testing::LockedSeat;
using testing::RecordingPoster;

struct Key {
    std::int32_t loop;
    std::int32_t pcu;
    std::wstring host;
    std::int32_t port;
    friend bool operator==(const Key&, const Key&) = default;
};

std::ostream& operator<<(std::ostream& out, const Key& key) {
    return out << key.loop << "." << key.pcu << " " << std::string(key.host.begin(), key.host.end())
               << ":" << key.port;
}

class LoopConfigurationTest : public ::testing::Test {
  protected:
    ~LoopConfigurationTest() override { loops.shut_down_all(false); }

    std::vector<Key> configuration() const {
        std::vector<Key> keys;
        for (const auto& e : loops.entries())
            keys.push_back({e.loop, e.pcu, e.host, e.remote_port});
        return keys;
    }
    std::vector<Key> transport_list() {
        std::vector<Key> keys;
        std::lock_guard hold(loops.loop_entries().lock);
        for (const auto& e : loops.loop_entries().entries)
            keys.push_back({e.loop, e.pcu, e.host, e.remote_port});
        return keys;
    }
    void store(const std::vector<std::wstring>& texts) {
        for (std::size_t i = 0; i < texts.size(); ++i)
            registry.put(RegistryRoot::CurrentUser, keys::LoopEntries,
                         L"LoopEntry" + std::to_wstring(i + 1),
                         {RegistryTypeText, text_value_bytes(texts[i])});
        registry.put(RegistryRoot::CurrentUser, keys::LoopEntries, values::NumberOfLoopEntries,
                     {RegistryTypeNumber, {static_cast<std::uint8_t>(texts.size()), 0, 0, 0}});
    }
    std::vector<std::wstring> stored() const { return stored_in(registry); }
    static std::vector<std::wstring> stored_in(const MemoryRegistry& registry) {
        std::vector<std::wstring> texts;
        for (const auto& name :
             registry.value_names(RegistryRoot::CurrentUser, keys::LoopEntries)) {
            if (name == values::NumberOfLoopEntries)
                continue;
            const auto value = registry.value(RegistryRoot::CurrentUser, keys::LoopEntries, name);
            texts.push_back(name + L"=" + text_of_value_bytes(value->data));
        }
        const auto count = registry.value(RegistryRoot::CurrentUser, keys::LoopEntries,
                                          values::NumberOfLoopEntries);
        texts.push_back(L"count=" + (count ? std::to_wstring(count->data[0]) : L"none"));
        return texts;
    }
    bool link_of_twin(const ConfigurationEntry& entry) {
        bool ok = false;
        loops.transport().update_entry(entry.endpoint(), [&](LoopEntry& e) { ok = e.link_ok; });
        return ok;
    }

    LockedSeat seat;
    RecordingPoster poster{{}};
    MemoryRegistry registry;
    MemoryProfile profile;
    StatusTime now{5000, 0};
    LoopConfiguration loops{seat, poster, registry, [this] { return now; }};
};

TEST_F(LoopConfigurationTest, ConfigurationIsOrderedAndTheTransportListKeepsCreationOrder) {
    const std::vector<Key> added = {
        {3, -1, L"b", 5001}, {1, 2, L"a", 5002},  {1, -1, L"z", 5003},
        {1, -1, L"a", 5004}, {1, -1, L"a", 5005}, {2, 0, L"c", 5006},
    };
    for (const Key& key : added)
        loops.add_entry(key.loop, key.pcu, key.host, key.port);
    const std::vector<Key> expected = {
        {1, -1, L"a", 5004}, {1, -1, L"a", 5005}, {1, -1, L"z", 5003},
        {1, 2, L"a", 5002},  {2, 0, L"c", 5006},  {3, -1, L"b", 5001},
    };
    EXPECT_EQ(configuration(), expected);
    EXPECT_EQ(transport_list(), added);
}

TEST_F(LoopConfigurationTest, LoadsFromTheTitleOrElseFromTheRegistry) {
    const struct {
        const char* name;
        std::optional<std::string> title;
        std::vector<Key> expected;
        bool title_active;
    } cases[] = {
        {"no title", std::nullopt, {{4, -1, L"sim-host", 0}, {6, 1, L"", 0}}, false},
        {"empty information", std::string(), {}, false},
        {"title entries",
         std::string("version=1.0|zandor=2.1,alpha,0|zandor=3,beta,0"),
         {{2, 1, L"alpha", 0}, {3, -1, L"beta", 0}},
         true},
        {"no zandor token after the version",
         std::string("version=1.0|author=x|zandor=2.1,alpha,0"),
         {{4, -1, L"sim-host", 0}, {6, 1, L"", 0}},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryRegistry stored_registry;
        LockedSeat case_seat;
        LoopConfiguration config(case_seat, poster, stored_registry);
        for (const auto& [name, text] :
             std::vector<std::pair<std::wstring, std::wstring>>{{L"LoopEntry1", L"4 sim-host"},
                                                                {L"LoopEntry2", L"dummy value"},
                                                                {L"LoopEntry3", L"6.1"}})
            stored_registry.put(RegistryRoot::CurrentUser, keys::LoopEntries, name,
                                {RegistryTypeText, text_value_bytes(text)});
        stored_registry.put(RegistryRoot::CurrentUser, keys::LoopEntries,
                            values::NumberOfLoopEntries, {RegistryTypeNumber, {3, 0, 0, 0}});

        config.load_configuration(c.title, profile);
        ASSERT_TRUE(config.transport().wait_for_connects(std::chrono::seconds(5)));
        std::vector<Key> keys;
        for (const auto& e : config.entries())
            keys.push_back({e.loop, e.pcu, e.host, e.remote_port});
        EXPECT_EQ(keys, c.expected);
        EXPECT_EQ(config.title_configuration_active(), c.title_active);
        // Every loaded entry was started: simulation entries report OK at once.
        for (const auto& e : config.entries())
            EXPECT_TRUE(e.link_ok);
        config.shut_down_all(false);
    }
}

// Start-up's part between the settings read and the loop configuration.
class LoopTargets : public StartupReadTargets {
  public:
    LoopTargets(LoopConfiguration& loops, PrivateProfile& profile)
        : loops_(loops), profile_(profile) {}
    void read_first_start_loop_entries() override { loops_.read_first_start_entries(profile_); }
    std::vector<StoredLoopEntry> loop_entries() override { return loops_.first_start_entries(); }
    void add_database_file(std::uint32_t, const std::wstring&) override {}
    std::vector<std::wstring> database_paths() override { return {}; }
    std::vector<std::wstring> current_tag_entries() override { return {}; }
    void read_all_tag_lists() override {}
    void seed_first_tag_list(const std::vector<std::wstring>&) override {}

  private:
    LoopConfiguration& loops_;
    PrivateProfile& profile_;
};

// A Simulation entry is never stored, so a first start must not read its loops back from the
// registry it has just written.
TEST_F(LoopConfigurationTest, FirstStartLoadsTheFileEntriesAsReadWithoutATitle) {
    const struct {
        const char* name;
        std::vector<std::wstring> file_entries;
        std::optional<std::string> title;
        std::vector<Key> expected;
        std::vector<std::wstring> stored;
    } cases[] = {
        {"only a simulation entry",
         {L"4 127.0.0.1"},
         std::nullopt,
         {{4, -1, L"127.0.0.1", 0}},
         {L"count=0"}},
        {"simulation and server entries",
         {L"4 sim-host", L"1.2 5099 zandor.invalid"},
         std::nullopt,
         {{1, 2, L"zandor.invalid", 5099}, {4, -1, L"sim-host", 0}},
         {L"LoopEntry1=1.2 5099 zandor.invalid", L"count=1"}},
        {"a title wins",
         {L"4 sim-host"},
         std::string("zandor=2,title-host,0"),
         {{2, -1, L"title-host", 0}},
         {L"count=0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryRegistry fresh_registry;
        MemoryProfile file;
        LockedSeat case_seat;
        file.set(L"Brixtel", values::NumberOfLoopEntries, std::to_wstring(c.file_entries.size()));
        for (std::size_t i = 0; i < c.file_entries.size(); ++i)
            file.set(L"Brixtel", L"LoopEntry" + std::to_wstring(i + 1), c.file_entries[i]);
        LoopConfiguration config(case_seat, poster, fresh_registry);
        LoopTargets targets(config, file);
        Settings settings;
        LoggingOptions logging;
        read_settings_at_startup(fresh_registry, file, case_seat, targets, false, settings,
                                 logging);

        EXPECT_EQ(stored_in(fresh_registry), c.stored);
        config.load_configuration(c.title, file);
        ASSERT_TRUE(config.transport().wait_for_connects(std::chrono::seconds(5)));
        std::vector<Key> keys;
        for (const auto& e : config.entries())
            keys.push_back({e.loop, e.pcu, e.host, e.remote_port});
        EXPECT_EQ(keys, c.expected);
        EXPECT_TRUE(config.transport().simulation_mode());
        const auto connection_texts = case_seat.texts_of(5);
        EXPECT_EQ(connection_texts.empty() ? std::wstring() : connection_texts.back(),
                  string_text(ids::DemoConfigurationInUse));
        EXPECT_TRUE(config.first_start_entries().empty());
        config.shut_down_all(false);
    }
}

TEST_F(LoopConfigurationTest, EntryNotReportedForTwentySecondsTurnsBadWhenAnotherReports) {
    ConfigurationEntry& a = loops.add_entry(1, -1, L"a", 5001);
    ConfigurationEntry& b = loops.add_entry(2, -1, L"b", 5002);
    loops.transport().update_entry(a.endpoint(), [](LoopEntry& e) { e.connstat_retries = 3; });

    const struct {
        StatusTime at;
        const ConfigurationEntry* reported;
        bool ok;
        bool a_ok;
        bool b_ok;
    } steps[] = {
        {{5000, 0}, &a, true, true, false},  {{5010, 0}, &b, true, true, true},
        {{5020, 0}, &b, true, true, true},   // a exactly 20 s old: still fresh
        {{5020, 1}, &b, true, false, true},  // a one millisecond older: stale
        {{5021, 0}, &a, false, false, true}, // a reports BAD itself
        {{5022, 0}, &a, true, true, true},
    };
    for (const auto& step : steps) {
        now = step.at;
        loops.report_status(step.reported->endpoint(), step.ok);
        EXPECT_EQ(a.link_ok, step.a_ok) << step.at.seconds << "." << step.at.milliseconds;
        EXPECT_EQ(b.link_ok, step.b_ok) << step.at.seconds << "." << step.at.milliseconds;
        EXPECT_EQ(link_of_twin(a), step.a_ok);
        EXPECT_EQ(link_of_twin(b), step.b_ok);
    }
    std::int32_t retries = -1;
    loops.transport().update_entry(a.endpoint(),
                                   [&](LoopEntry& e) { retries = e.connstat_retries; });
    EXPECT_EQ(retries, 0);
}

TEST_F(LoopConfigurationTest, StatusAndFeatureReportsForUnknownEntriesChangeNothing) {
    ConfigurationEntry& a = loops.add_entry(1, -1, L"a", 5001);
    loops.report_status({1, -1, L"A", 5001}, true); // hosts compare exactly
    loops.report_status({1, 2, L"a", 5001}, true);
    EXPECT_FALSE(a.link_ok);

    loops.report_feature_state(a.endpoint(), 1);
    std::int32_t twin_state = 0;
    loops.transport().update_entry(a.endpoint(),
                                   [&](LoopEntry& e) { twin_state = e.user_name_feature; });
    EXPECT_EQ(a.user_name_feature, 1);
    EXPECT_EQ(twin_state, 1);
}

class RecordingView : public LinkStateView {
  public:
    void show_link_state(std::uintptr_t item, bool ok) override { shown.push_back({item, ok}); }
    std::vector<std::pair<std::uintptr_t, bool>> shown;
};

TEST_F(LoopConfigurationTest, OpenDialogSeesStaleEntriesClearedAndTheReportedOneTicked) {
    ConfigurationEntry& a = loops.add_entry(1, -1, L"a", 5001);
    ConfigurationEntry& b = loops.add_entry(2, -1, L"b", 5002);
    a.tree_item = 11;
    b.tree_item = 22;
    RecordingView view;
    loops.set_link_state_view(&view);
    now = {5000, 0};
    loops.report_status(a.endpoint(), true);
    const std::vector<std::pair<std::uintptr_t, bool>> expected = {{22, false}, {11, true}};
    EXPECT_EQ(view.shown, expected);
    loops.set_link_state_view(nullptr);
}

TEST_F(LoopConfigurationTest, RemovingAnEntryRenumbersTheStoredValues) {
    const std::vector<std::wstring> seed = {L"1.2 5001 alpha", L"3 5002 beta", L"4 gamma",
                                            L"3 5002 beta"};
    const struct {
        const char* name;
        Key removed;
        bool from_registry;
        std::vector<std::wstring> expected;
    } cases[] = {
        {"first match goes, later values move down",
         {3, -1, L"beta", 5002},
         true,
         {L"LoopEntry1=1.2 5001 alpha", L"LoopEntry2=4 gamma", L"LoopEntry3=3 5002 beta",
          L"count=3"}},
        {"first value",
         {1, 2, L"alpha", 5001},
         true,
         {L"LoopEntry1=3 5002 beta", L"LoopEntry2=4 gamma", L"LoopEntry3=3 5002 beta", L"count=3"}},
        {"simulation entry",
         {4, -1, L"gamma", 0},
         true,
         {L"LoopEntry1=1.2 5001 alpha", L"LoopEntry2=3 5002 beta", L"LoopEntry3=3 5002 beta",
          L"count=3"}},
        {"no match",
         {1, -1, L"alpha", 5001},
         true,
         {L"LoopEntry1=1.2 5001 alpha", L"LoopEntry2=3 5002 beta", L"LoopEntry3=4 gamma",
          L"LoopEntry4=3 5002 beta", L"count=4"}},
        {"not asked",
         {3, -1, L"beta", 5002},
         false,
         {L"LoopEntry1=1.2 5001 alpha", L"LoopEntry2=3 5002 beta", L"LoopEntry3=4 gamma",
          L"LoopEntry4=3 5002 beta", L"count=4"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& name : registry.value_names(RegistryRoot::CurrentUser, keys::LoopEntries))
            registry.open(RegistryRoot::CurrentUser, keys::LoopEntries, RegistryAccess::Write)
                ->delete_value(name);
        store(seed);
        ConfigurationEntry& entry =
            loops.add_entry(c.removed.loop, c.removed.pcu, c.removed.host, c.removed.port);
        loops.remove_entry(entry, c.from_registry);
        EXPECT_EQ(stored(), c.expected);
        EXPECT_TRUE(loops.entries().empty());
        EXPECT_TRUE(transport_list().empty());
    }
}

TEST_F(LoopConfigurationTest, TitleConfigurationLeavesTheRegistryAlone) {
    store({L"2.1 0 alpha", L"9 5009 other"});
    loops.load_configuration(std::string("zandor=2.1,alpha,0"), profile);
    ASSERT_TRUE(loops.title_configuration_active());
    const auto before = stored();

    loops.add_entry(5, -1, L"new", 5005);
    EXPECT_TRUE(loops.save_all());
    loops.remove_entry(loops.entries().front(), true);
    EXPECT_EQ(stored(), before);
}

TEST_F(LoopConfigurationTest, SaveAllWritesTheListInItsOrderWithoutSimulationEntries) {
    loops.add_entry(3, -1, L"c", 5003);
    loops.add_entry(1, 2, L"a", 5001);
    loops.add_entry(2, -1, L"sim", 0);
    EXPECT_TRUE(loops.save_all());
    const std::vector<std::wstring> expected = {L"LoopEntry1=1.2 5001 a", L"LoopEntry2=3 5003 c",
                                                L"count=2"};
    EXPECT_EQ(stored(), expected);
}

TEST_F(LoopConfigurationTest, LocalPortInUseAndShutDownAll) {
    ConfigurationEntry& a = loops.add_entry(1, -1, L"a", 5001);
    loops.add_entry(2, -1, L"b", 5002);
    a.local_port->store(5150);
    EXPECT_TRUE(loops.local_port_in_use(5150));
    EXPECT_FALSE(loops.local_port_in_use(5151));
    EXPECT_FALSE(loops.local_port_in_use(5100));

    const auto cell = a.local_port;
    loops.shut_down_all(true);
    EXPECT_EQ(cell->load(), kNoLocalPort);
    EXPECT_TRUE(loops.empty());
    EXPECT_TRUE(transport_list().empty());
    EXPECT_FALSE(loops.local_port_in_use(5150));
}

} // namespace
} // namespace brixtel
