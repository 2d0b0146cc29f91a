#include "platform/memory_registry.h"
#include "settings/registry_values.h"

#include <gtest/gtest.h>

namespace brixtel {
namespace {

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
constexpr std::wstring_view kKey = L"Software\\Test";

class RegistryValuesTest : public ::testing::Test {
  protected:
    std::unique_ptr<RegistryKey> key() {
        return registry.create(kUser, kKey, RegistryAccess::ReadWrite).key;
    }
    MemoryRegistry registry;
};

struct FlagCase {
    const char* name;
    std::optional<RegistryValue> stored;
    bool fallback;
    bool expected_found;
    bool expected;
};

TEST_F(RegistryValuesTest, FlagsReadAnyNonZeroByteAsYesAndAnythingElseAsTheDefault) {
    const FlagCase cases[] = {
        {"zero byte", RegistryValue{RegistryTypeBinary, {0}}, true, true, false},
        {"one", RegistryValue{RegistryTypeBinary, {1}}, false, true, true},
        {"two counts as yes", RegistryValue{RegistryTypeBinary, {2}}, false, true, true},
        {"0xFF counts as yes", RegistryValue{RegistryTypeBinary, {0xFF}}, false, true, true},
        {"missing", std::nullopt, true, false, true},
        {"two bytes do not fit", RegistryValue{RegistryTypeBinary, {1, 0}}, false, false, false},
        {"empty binary", RegistryValue{RegistryTypeBinary, {}}, true, false, true},
        {"a word is not a flag", RegistryValue{RegistryTypeNumber, {1, 0, 0, 0}}, false, false,
         false},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        MemoryRegistry fresh;
        if (test.stored)
            fresh.put(kUser, kKey, L"Flag", *test.stored);
        auto k = fresh.create(kUser, kKey, RegistryAccess::Read).key;
        bool out = !test.expected;
        EXPECT_EQ(read_flag(*k, L"flag", out, test.fallback), test.expected_found);
        EXPECT_EQ(out, test.expected);
    }
}

TEST_F(RegistryValuesTest, NumbersLeaveTheOutputAloneWhenTheyCannotBeRead) {
    registry.put(kUser, kKey, L"Good", {RegistryTypeNumber, {0x10, 0x27, 0, 0}});
    registry.put(kUser, kKey, L"Short", {RegistryTypeNumber, {1, 0}});
    registry.put(kUser, kKey, L"Text", {RegistryTypeText, text_value_bytes(L"12")});
    auto k = key();
    std::uint32_t out = 77;
    EXPECT_TRUE(read_number(*k, L"good", out));
    EXPECT_EQ(out, 10000u);
    for (const wchar_t* name : {L"Short", L"Text", L"Missing"}) {
        out = 77;
        EXPECT_FALSE(read_number(*k, name, out)) << name;
        EXPECT_EQ(out, 77u) << name;
    }
}

TEST_F(RegistryValuesTest, TextsLongerThan511CharactersCannotBeRead) {
    auto k = key();
    const std::wstring longest(511, L'a');
    const std::wstring too_long(512, L'b');
    ASSERT_TRUE(write_text(*k, L"Longest", longest));
    ASSERT_TRUE(write_text(*k, L"TooLong", too_long));
    EXPECT_EQ(read_text(*k, L"Longest", L"default"), longest);
    EXPECT_EQ(read_text(*k, L"TooLong", L"default"), L"default");
    EXPECT_EQ(read_text(*k, L"Missing", L"default"), L"default");
}

TEST_F(RegistryValuesTest, WritesUseTheStoredForms) {
    auto k = key();
    write_flag(*k, L"Flag", true);
    write_number(*k, L"Number", 0x01020304);
    write_text(*k, L"Text", L"ab");
    EXPECT_EQ(registry.value(kUser, kKey, L"Flag")->data, std::vector<std::uint8_t>{1});
    EXPECT_EQ(registry.value(kUser, kKey, L"Flag")->type, RegistryTypeBinary);
    EXPECT_EQ(registry.value(kUser, kKey, L"Number")->data,
              (std::vector<std::uint8_t>{4, 3, 2, 1}));
    EXPECT_EQ(registry.value(kUser, kKey, L"Number")->type, RegistryTypeNumber);
    // (characters + 1) x 2 bytes: the null travels with the text.
    EXPECT_EQ(registry.value(kUser, kKey, L"Text")->data,
              (std::vector<std::uint8_t>{'a', 0, 'b', 0, 0, 0}));
    EXPECT_EQ(registry.value(kUser, kKey, L"Text")->type, RegistryTypeText);
}

TEST_F(RegistryValuesTest, TextBytesRoundTripOutsideTheBasicPlane) {
    const std::wstring text = L"K\u00e9y \u4e2d";
    EXPECT_EQ(text_of_value_bytes(text_value_bytes(text)), text);
    const std::vector<std::uint8_t> unterminated{'h', 0, 'i', 0, 'x'};
    EXPECT_EQ(text_of_value_bytes(unterminated), L"hi");
}

TEST_F(RegistryValuesTest, ValueListRewriteRenumbersFromOneAndReplacesEverything) {
    auto k = key();
    for (const wchar_t* name : {L"Item1", L"Item2", L"Item3", L"Stray", L"Count"})
        write_text(*k, name, L"old");
    k.reset();
    const std::vector<std::wstring> texts{L"first", L"second"};
    ASSERT_TRUE(rewrite_value_list(registry, kUser, kKey, L"Item", L"Count", texts));
    EXPECT_EQ(registry.value_names(kUser, kKey),
              (std::vector<std::wstring>{L"Item1", L"Item2", L"Count"}));
    auto reread = key();
    EXPECT_EQ(read_text(*reread, L"Item2", L""), L"second");
    std::uint32_t count = 0;
    EXPECT_TRUE(read_number(*reread, L"Count", count));
    EXPECT_EQ(count, 2u);
}

TEST_F(RegistryValuesTest, ValueListRewriteFailsOnlyWhenTheKeyCannotBeMade) {
    registry.fail_key(kUser, kKey);
    EXPECT_FALSE(rewrite_value_list(registry, kUser, kKey, L"Item", L"Count", {}));
    EXPECT_FALSE(registry.key_exists(kUser, kKey));
}

TEST_F(RegistryValuesTest, DeletingAllValuesStopsWhenAValueRefuses) {
    // A key that only reads cannot lose values; the loop must still end.
    registry.put(kUser, kKey, L"A", {RegistryTypeText, text_value_bytes(L"x")});
    auto read_only = registry.open(kUser, kKey, RegistryAccess::Read);
    delete_all_values(*read_only);
    EXPECT_EQ(registry.value_names(kUser, kKey).size(), 1u);
}

} // namespace
} // namespace brixtel
