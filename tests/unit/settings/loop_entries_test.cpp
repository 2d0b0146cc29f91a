#include "platform/memory_registry.h"
#include "settings/loop_entries.h"
#include "settings/registry_values.h"

#include <gtest/gtest.h>

#include <optional>

namespace brixtel {
namespace {

constexpr auto kUser = RegistryRoot::CurrentUser;

TEST(LoopEntryText, ReadsTheStoredFormsOfAnEntry) {
    const struct {
        const wchar_t* text;
        std::int32_t loop, pcu;
        std::uint32_t port;
        const wchar_t* host;
    } cases[] = {
        {L"1.2 5099 zandor.plant", 1, 2, 5099, L"zandor.plant"},
        {L"3 5001 10.0.0.7", 3, -1, 5001, L"10.0.0.7"},
        {L"4 simhost", 4, -1, 0, L"simhost"},
        {L"1. 5000 host", 1, -1, 5000, L"host"}, // a dot without a digit: no PCU
        {L"7", 7, -1, 0, L""},
        {L"  2.10\n5100   127.0.0.1 extra", 2, 10, 5100, L"127.0.0.1"},
        {L"-2.-1 -5 h", -2, -1, static_cast<std::uint32_t>(-5), L"h"},
    };
    for (const auto& c : cases) {
        const auto entry = parse_loop_entry_text(c.text);
        ASSERT_TRUE(entry) << c.text;
        EXPECT_EQ(entry->loop, c.loop) << c.text;
        EXPECT_EQ(entry->pcu, c.pcu) << c.text;
        EXPECT_EQ(entry->remote_port, c.port) << c.text;
        EXPECT_EQ(entry->host, c.host) << c.text;
    }
    EXPECT_FALSE(parse_loop_entry_text(L""));
    EXPECT_FALSE(parse_loop_entry_text(L" \n "));
}

TEST(StoredLoopEntries, RegistryCountWinsAndPlaceholdersAreSkipped) {
    MemoryRegistry registry;
    MemoryProfile profile;
    auto key = registry.create(kUser, keys::LoopEntries, RegistryAccess::ReadWrite).key;
    ASSERT_TRUE(key);
    write_number(*key, values::NumberOfLoopEntries, 3);
    write_text(*key, L"LoopEntry1", L"1.2 5099 alpha");
    write_text(*key, L"LoopEntry2", L"dummy value");
    // LoopEntry3 is missing from the registry: the file's value is taken.
    profile.set(kProfileSection, L"LoopEntry3", L"3 5001 beta");
    profile.set(kProfileSection, values::NumberOfLoopEntries, L"9");

    const auto entries = read_stored_loop_entries(registry, profile);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].host, L"alpha");
    EXPECT_EQ(entries[1].host, L"beta");
    EXPECT_EQ(entries[1].pcu, -1);
}

// Damaged counts read at most 1,000 entries, from the registry or from the file.
TEST(StoredLoopEntries, CountsAreHeldToAThousand) {
    const struct {
        const char* name;
        std::optional<std::uint32_t> registry_count;
        const wchar_t* file_count;
        int present;
        std::size_t read;
    } cases[] = {
        {"registry, four billion", 0xFFFFFFFF, L"0", 2, 2},
        {"registry, one past", 1001, L"0", 1001, 1000},
        {"file, past 32 bits", std::nullopt, L"99999999999", 3, 3},
        {"file, minus one", std::nullopt, L"-1", 1001, 1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryRegistry registry;
        MemoryProfile profile;
        profile.set(kProfileSection, values::NumberOfLoopEntries, c.file_count);
        if (c.registry_count) {
            auto key = registry.create(kUser, keys::LoopEntries, RegistryAccess::ReadWrite).key;
            write_number(*key, values::NumberOfLoopEntries, *c.registry_count);
            for (int i = 1; i <= c.present; ++i)
                write_text(*key, L"LoopEntry" + std::to_wstring(i), L"1 5001 h");
        } else {
            for (int i = 1; i <= c.present; ++i)
                profile.set(kProfileSection, L"LoopEntry" + std::to_wstring(i), L"1 5001 h");
        }
        EXPECT_EQ(read_stored_loop_entries(registry, profile).size(), c.read);
    }
}

TEST(StoredLoopEntries, FirstStartTakesTheFilesEntries) {
    MemoryRegistry registry;
    MemoryProfile profile;
    profile.set(kProfileSection, values::NumberOfLoopEntries, L"2");
    profile.set(kProfileSection, L"LoopEntry1", L"2 5200 127.0.0.1");
    profile.set(kProfileSection, L"LoopEntry2", L"");
    const auto entries = read_stored_loop_entries(registry, profile);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].loop, 2);
    EXPECT_EQ(entries[0].remote_port, 5200u);
}

} // namespace
} // namespace brixtel
