#include "shell/message_format.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace brixtel {
namespace {

struct FormatCase {
    const wchar_t* format;
    std::vector<MessageArg> args;
    std::optional<std::wstring> expected;
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << std::string(c.format, c.format + std::wcslen(c.format)).c_str();
}

class FormatMessageTable : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatMessageTable, GivesWhatTheSystemFormatterGives) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(format_message(c.format, c.args), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    InsertForms, FormatMessageTable,
    testing::Values(
        FormatCase{L"%1", {L"text"}, L"text"}, FormatCase{L"<%1!s!>", {L"text"}, L"<text>"},
        FormatCase{L"%2!d! %1", {L"b", -42}, L"-42 b"}, FormatCase{L"%1!u!", {-1}, L"4294967295"},
        FormatCase{L"%1!x! %1!X!", {255}, L"ff FF"},
        FormatCase{L"[%1!4d!][%1!-4d!][%1!04d!][%1!.3d!]", {7}, L"[   7][7   ][0007][007]"},
        FormatCase{L"%1!c!%2!c!", {L'o', L'k'}, L"ok"},
        FormatCase{L"[%1!5s!][%1!-5s!][%1!.2s!]", {L"abc"}, L"[  abc][abc  ][ab]"},
        FormatCase{L"%1%1%1", {L"ab"}, L"ababab"},
        FormatCase{L"%10-%1!d!", {1, 2, 3, 4, 5, 6, 7, 8, 9, L"ten"}, L"ten-1"},
        FormatCase{L"%100", {1, 2, 3, 4, 5, 6, 7, 8, 9, L"ten"}, L"ten0"},
        // A number past 32 bits prints its low 32 bits, as from a machine word.
        FormatCase{L"%1!d!", {0x1'0000'0005LL}, L"5"},
        FormatCase{L"%1", {static_cast<const wchar_t*>(nullptr)}, L"(null)"},
        // An insert's own text is not formatted again.
        FormatCase{L"%1", {L"%2 stays\n"}, L"%2 stays\n"}));

INSTANTIATE_TEST_SUITE_P(
    Escapes, FormatMessageTable,
    testing::Values(FormatCase{L"100%% sure", {}, L"100% sure"}, FormatCase{L"a%nb", {}, L"a\r\nb"},
                    FormatCase{L"a%rb%tc", {}, L"a\rb\tc"}, FormatCase{L"%.%!% %x", {}, L".! x"},
                    FormatCase{L"kept%0dropped %1", {}, L"kept"},
                    FormatCase{L"plain text", {}, L"plain text"},
                    FormatCase{L"unused inserts", {L"a", 1}, L"unused inserts"}));

INSTANTIATE_TEST_SUITE_P(LineBreaks, FormatMessageTable,
                         testing::Values(FormatCase{L"a\nb\n", {}, L"a\r\nb\r\n"},
                                         FormatCase{L"a\r\nb", {}, L"a\r\nb"},
                                         FormatCase{L"a\rb", {}, L"a\r\nb"},
                                         FormatCase{L"\r\r\n", {}, L"\r\n\r\n"}));

INSTANTIATE_TEST_SUITE_P(
    Refused, FormatMessageTable,
    testing::Values(
        FormatCase{L"%1 and %2", {L"one"}, std::nullopt}, FormatCase{L"%1", {}, std::nullopt},
        FormatCase{L"ends in %", {}, std::nullopt}, FormatCase{L"%1!d", {1}, std::nullopt},
        FormatCase{L"%1!!", {1}, std::nullopt}, FormatCase{L"%1!*d!", {4, 1}, std::nullopt},
        FormatCase{L"%1!f!", {1}, std::nullopt}, FormatCase{L"%1!I64d!", {1}, std::nullopt},
        FormatCase{L"%1!hs!", {L"narrow"}, std::nullopt},
        FormatCase{L"%1!d!", {L"not a number"}, std::nullopt}, FormatCase{L"%1", {5}, std::nullopt},
        // Nothing to show counts as a failure, as it does for the system.
        FormatCase{L"", {}, std::nullopt}, FormatCase{L"%0text", {}, std::nullopt},
        FormatCase{L"%1", {L""}, std::nullopt}));

TEST(MessageInserts, NamesTheKindOfEveryInsertUpToTheHighest) {
    const auto kinds = message_inserts(L"%3!d! of %1, %% %n %4!s!");
    ASSERT_TRUE(kinds);
    EXPECT_EQ(*kinds, (std::vector<InsertKind>{InsertKind::Text, InsertKind::Unused,
                                               InsertKind::Number, InsertKind::Text}));
    EXPECT_EQ(message_inserts(L"no inserts %%"), std::vector<InsertKind>{});
    EXPECT_EQ(message_inserts(L"%1 %2!d!%0 %3"),
              (std::vector<InsertKind>{InsertKind::Text, InsertKind::Number}));
}

TEST(MessageInserts, RefusesBrokenTextsAndMixedUse) {
    EXPECT_FALSE(message_inserts(L"%1 and %1!d!"));
    EXPECT_FALSE(message_inserts(L"%2!e!"));
    EXPECT_FALSE(message_inserts(L"trailing %"));
}

// Builds arguments of the right kinds: numbers 1001, 1002, ... and texts "<1>", "<2>", ...
std::vector<MessageArg> plausible_args(const std::vector<InsertKind>& kinds) {
    std::vector<MessageArg> args;
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        if (kinds[i] == InsertKind::Number) {
            args.emplace_back(1001 + static_cast<int>(i));
        } else {
            args.emplace_back(L"<" + std::to_wstring(i + 1) + L">");
        }
    }
    return args;
}

TEST(TableTexts, EveryTextWithInsertsFormatsWithItsInserts) {
    int formatted = 0;
    for (const StringEntry& entry : all_strings()) {
        SCOPED_TRACE(entry.id);
        const auto kinds = message_inserts(entry.text);
        ASSERT_TRUE(kinds) << "the text's insert syntax is broken";
        if (kinds->empty()) {
            continue;
        }
        const auto args = plausible_args(*kinds);
        const auto text = format_message(entry.text, args);
        ASSERT_TRUE(text);
        for (std::size_t i = 0; i < kinds->size(); ++i) {
            const std::wstring shown = (*kinds)[i] == InsertKind::Number
                                           ? std::to_wstring(1001 + i)
                                           : L"<" + std::to_wstring(i + 1) + L">";
            if ((*kinds)[i] != InsertKind::Unused) {
                EXPECT_NE(text->find(shown), std::wstring::npos) << "insert " << i + 1;
            }
        }
        EXPECT_EQ(text->find(L"!d!"), std::wstring::npos);
        EXPECT_EQ(text->find(L"!s!"), std::wstring::npos);
        ++formatted;
    }
    EXPECT_GE(formatted, 40);
}

TEST(TableTexts, KnownMessagesComeOutAsTheUserReadsThem) {
    EXPECT_EQ(format_table_text(ids::ApiError, {L"CreatePipe", 5, L"Access is denied."}),
              L"ERROR: API    = CreatePipe.\r\n   error code = 5.\r\n"
              L"   message    = Access is denied..\r\n");
    EXPECT_EQ(format_table_text(ids::ConnstatResultAllPcus, {3, L"10.0.0.7", 5099, L"OK"}),
              L"Loop: 3 PCU: All IP: 10.0.0.7 remote port: 5099 connstat=OK");
    EXPECT_EQ(format_table_text(ids::ImportTooManyPoints, {55, 5}),
              L"There are still 55 points in the list and that exceeds the maximum of 50 "
              L"allowed.\r\nYou will need to remove 5 more points before the import can succeed.");
    EXPECT_EQ(format_table_text(ids::ConnstatAttempt, {2, 7, L"host", 5099}),
              L"\"connstat attempt Loop: 2 PCU: 7 IP: host remote port: 5099\"");
    EXPECT_EQ(format_table_text(ids::PlainInsert, {L"Brixtel"}), L"Brixtel");
    EXPECT_FALSE(format_table_text(ids::ApiError, {L"CreatePipe", 5}));
}

} // namespace
} // namespace brixtel
