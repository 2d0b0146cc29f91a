#include "logging/log_size_entry.h"

#include "platform/memory_registry.h"
#include "settings/registry_values.h"
#include "support/fake_seat.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace brixtel {
namespace {

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;

struct EntryCase {
    const char* name;
    bool no_limit;
    const wchar_t* field;
    std::optional<std::uint32_t> accepted; // nullopt: refused with message 71
};

TEST(LogSizeEntry, AcceptsAPositiveLimitOrNoLimitAndRefusesTheRestWithOneMessage) {
    const EntryCase cases[] = {
        {"no-limit box ignores the field", true, L"abc", 0u},
        {"no-limit box with an empty field", true, L"", 0u},
        {"plain number", false, L"7", 7u},
        {"blanks at both ends trimmed", false, L" \t12 ", 12u},
        {"beyond 32 bits is held at the limit", false, L"99999999999", 2147483647u},
        {"empty", false, L"", std::nullopt},
        {"blanks only", false, L"   ", std::nullopt},
        {"zero", false, L"0", std::nullopt},
        {"zeros", false, L" 000 ", std::nullopt},
        {"blank inside", false, L"1 2", std::nullopt},
        {"letter", false, L"7a", std::nullopt},
        {"sign", false, L"-7", std::nullopt},
        {"decimal point", false, L"1.5", std::nullopt},
    };
    const EntryRefusal refused{ids::SizeLimitRequired, ids::InvalidSize, true};
    for (const EntryCase& c : cases) {
        SCOPED_TRACE(c.name);
        const NumberEntry entry = check_log_size_entry(c.no_limit, c.field);
        if (c.accepted) {
            EXPECT_TRUE(entry.accepted());
            EXPECT_EQ(entry.value, *c.accepted);
        } else {
            ASSERT_FALSE(entry.accepted());
            EXPECT_EQ(*entry.refusal, refused);
        }
    }
}

struct TakeCase {
    const char* name;
    std::uint32_t in_use;
    std::uint32_t accepted;
    bool settings_key; // whether the Settings key can be opened
    bool changed;
    std::optional<std::uint32_t> stored; // LogSize afterwards; nullopt: not written
    std::vector<StringId> messages;
};

TEST(LogSizeEntry, TakesAChangedLimitIntoUseAndSavesIt) {
    const TakeCase cases[] = {
        {"new limit", 5, 7, true, true, 7u, {}},
        {"no limit", 5, 0, true, true, 0u, {}},
        {"unchanged limit writes nothing", 7, 7, true, false, std::nullopt, {}},
        {"failed save keeps the limit in use",
         5,
         9,
         false,
         true,
         std::nullopt,
         {ids::NamedValueWriteFailed}},
    };
    for (const TakeCase& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryRegistry registry;
        if (c.settings_key)
            registry.create(kUser, keys::Settings, RegistryAccess::ReadWrite);
        testing::FakeSeat seat;
        LoggingOptions options;
        options.log_size = c.in_use;
        Settings settings;
        settings.log_size_mb = c.in_use;

        EXPECT_EQ(take_log_size(c.accepted, options, settings, registry, seat), c.changed);

        EXPECT_EQ(options.log_size, c.accepted);
        EXPECT_EQ(settings.log_size_mb, c.accepted);
        EXPECT_EQ(seat.shown_texts(), c.messages);
        std::optional<std::uint32_t> stored;
        if (auto key = registry.open(kUser, keys::Settings, RegistryAccess::Read)) {
            std::uint32_t value = 0;
            if (read_number(*key, values::LogSize, value))
                stored = value;
        }
        EXPECT_EQ(stored, c.stored);
    }
}

} // namespace
} // namespace brixtel
