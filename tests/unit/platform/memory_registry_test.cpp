#include "platform/memory_registry.h"
#include "platform/private_profile.h"

#include <gtest/gtest.h>

namespace brixtel {
namespace {

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
const std::vector<std::uint8_t> kByte{1};

TEST(MemoryRegistry, NamesMatchWithoutRegardToCaseAndKeepTheirFirstSpelling) {
    MemoryRegistry registry;
    auto created = registry.create(kUser, L"Software\\Maker", RegistryAccess::ReadWrite);
    ASSERT_TRUE(created.key);
    EXPECT_FALSE(created.existed);
    created.key->set(L"Value", RegistryTypeBinary, kByte);
    created.key->set(L"VALUE", RegistryTypeBinary, std::vector<std::uint8_t>{2});

    auto again = registry.create(kUser, L"SOFTWARE\\maker", RegistryAccess::Read);
    EXPECT_TRUE(again.existed);
    EXPECT_EQ(again.key->query(L"value")->data, std::vector<std::uint8_t>{2});
    EXPECT_EQ(registry.value_names(kUser, L"software\\MAKER"), std::vector<std::wstring>{L"Value"});
    EXPECT_FALSE(registry.key_exists(RegistryRoot::LocalMachine, L"Software\\Maker"));
}

TEST(MemoryRegistry, EnumerationFollowsCreationOrder) {
    MemoryRegistry registry;
    auto key = registry.create(kUser, L"K", RegistryAccess::ReadWrite).key;
    for (const wchar_t* name : {L"b", L"a", L"c"}) {
        key->set(name, RegistryTypeBinary, kByte);
        registry.create(kUser, std::wstring(L"K\\") + name, RegistryAccess::ReadWrite);
    }
    std::vector<std::wstring> values, subkeys;
    for (std::uint32_t i = 0; auto name = key->value_name_at(i); ++i)
        values.push_back(*name);
    for (std::uint32_t i = 0; auto name = key->subkey_name_at(i); ++i)
        subkeys.push_back(*name);
    EXPECT_EQ(values, (std::vector<std::wstring>{L"b", L"a", L"c"}));
    EXPECT_EQ(subkeys, values);
    EXPECT_TRUE(key->delete_value(L"A"));
    EXPECT_EQ(*key->value_name_at(1), L"c");
}

TEST(MemoryRegistry, AccessLimitsWhatAKeyDoes) {
    MemoryRegistry registry;
    registry.put(kUser, L"K", L"v", {RegistryTypeBinary, kByte});
    auto read_only = registry.open(kUser, L"K", RegistryAccess::Read);
    auto write_only = registry.open(kUser, L"K", RegistryAccess::Write);
    EXPECT_FALSE(read_only->set(L"w", RegistryTypeBinary, kByte));
    EXPECT_FALSE(read_only->delete_value(L"v"));
    EXPECT_FALSE(write_only->query(L"v"));
    EXPECT_TRUE(write_only->set(L"w", RegistryTypeBinary, kByte));
    EXPECT_FALSE(registry.open(kUser, L"Missing", RegistryAccess::Read));
}

TEST(MemoryRegistry, InjectedFailuresHitOnlyWhatTheyName) {
    MemoryRegistry registry;
    registry.put(kUser, L"A\\B", L"v", {RegistryTypeBinary, kByte});
    registry.fail_key(kUser, L"a\\b", /*write_only=*/true);
    registry.fail_key(kUser, L"A\\C");
    registry.fail_set(kUser, L"A\\D", L"Bad");

    EXPECT_TRUE(registry.open(kUser, L"A\\B", RegistryAccess::Read));
    EXPECT_FALSE(registry.open(kUser, L"A\\B", RegistryAccess::ReadWrite));
    EXPECT_FALSE(registry.create(kUser, L"A\\C", RegistryAccess::Read).key);
    EXPECT_FALSE(registry.create(kUser, L"A\\C\\Below", RegistryAccess::Read).key);
    EXPECT_FALSE(registry.key_exists(kUser, L"A\\C"));
    EXPECT_FALSE(registry.key_exists(kUser, L"A\\D")); // naming a value creates nothing
    auto d = registry.create(kUser, L"A\\D", RegistryAccess::ReadWrite).key;
    EXPECT_FALSE(d->set(L"bad", RegistryTypeBinary, kByte));
    EXPECT_TRUE(d->set(L"Good", RegistryTypeBinary, kByte));
}

TEST(MemoryRegistry, SubkeysWithSubkeysCannotBeDeleted) {
    MemoryRegistry registry;
    registry.create(kUser, L"T\\L1\\Inner", RegistryAccess::ReadWrite);
    registry.create(kUser, L"T\\L2", RegistryAccess::ReadWrite);
    auto tags = registry.open(kUser, L"T", RegistryAccess::ReadWrite);
    auto l2 = registry.open(kUser, L"T\\L2", RegistryAccess::ReadWrite);
    EXPECT_FALSE(tags->delete_subkey(L"L1"));
    EXPECT_TRUE(tags->delete_subkey(L"l2"));
    EXPECT_FALSE(registry.key_exists(kUser, L"T\\L2"));
    // A handle to a deleted key stays usable.
    EXPECT_TRUE(l2->set(L"x", RegistryTypeBinary, kByte));
}

TEST(MemoryProfile, TextsAreCutToTheBufferAndIntegersReadTheirFront) {
    MemoryProfile profile;
    profile.set(L"Brixtel", L"Text", L"abcdef");
    profile.set(L"BRIXTEL", L"Number", L"  42abc");
    profile.set(L"Brixtel", L"Empty", L"");
    EXPECT_EQ(profile.read_text(L"brixtel", L"TEXT", L"d", 4), L"abc");
    EXPECT_EQ(profile.read_text(L"Brixtel", L"Missing", L"default", 1024), L"default");
    EXPECT_EQ(profile.read_integer(L"Brixtel", L"number", 7), 42);
    EXPECT_EQ(profile.read_integer(L"Brixtel", L"Empty", 7), 0);
    EXPECT_EQ(profile.read_integer(L"Brixtel", L"Missing", 7), 7);
    EXPECT_EQ(profile.read_integer(L"Other", L"Number", 7), 7);
}

} // namespace
} // namespace brixtel
