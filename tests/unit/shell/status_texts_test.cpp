#include "shell/printf_text.h"
#include "shell/status_texts.h"

#include <gtest/gtest.h>

namespace brixtel {
namespace {

struct PrintfCase {
    const wchar_t* format;
    std::initializer_list<PrintfArg> args;
    const wchar_t* expected;
};

TEST(PrintfText, FormatsTheConversionsTheTextsUse) {
    const PrintfCase cases[] = {
        {L"%02d:%02d", {std::int64_t{3}, std::int64_t{12}}, L"03:12"},
        {L"Log Size: %.1f MB (of %d MB)", {2.25, std::int64_t{5}}, L"Log Size: 2.2 MB (of 5 MB)"},
        {L"Log File: %s", {std::wstring_view(L"C:\\x\\Ä.csv")}, L"Log File: C:\\x\\Ä.csv"},
        {L"%08X,%d", {std::int64_t{0x1a2b}, std::int64_t{-7}}, L"00001A2B,-7"},
        {L"%08X", {std::int64_t{-1}}, L"FFFFFFFF"},
        {L"%.3f", {0.5}, L"0.500"},
        {L"100%% done", {}, L"100% done"},
        {L"%-5s|%5s", {std::wstring_view(L"ab"), std::wstring_view(L"cd")}, L"ab   |   cd"},
        {L"%.*E", {std::int64_t{2}, 1234.5}, L"1.23E+03"},
        {L"%.*E", {std::int64_t{2}, 0.001234}, L"1.23E-03"},
        {L"[%*d]", {std::int64_t{4}, std::int64_t{7}}, L"[   7]"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(printf_text(c.format, c.args), c.expected) << c.format;
}

TEST(PrintfText, MissingOrMismatchedArgumentsPrintNothing) {
    EXPECT_EQ(printf_text(L"a%db%sc", {}), L"abc");
    EXPECT_EQ(printf_text(L"a%db", {std::wstring_view(L"x")}), L"ab");
    EXPECT_EQ(printf_text(L"trailing %", {}), L"trailing ");
}

struct IntervalCase {
    std::uint32_t ms;
    const wchar_t* off_text;
};

TEST(StatusTexts, MonitoringIntervalIsSplitIntoHoursMinutesSeconds) {
    const IntervalCase cases[] = {
        {1000, L"Monitoring: OFF (00:00:01.000)"},
        {1500, L"Monitoring: OFF (00:00:01.500)"},
        {10, L"Monitoring: OFF (00:00:00.010)"},
        {61001, L"Monitoring: OFF (00:01:01.001)"},
        {3600000, L"Monitoring: OFF (01:00:00.000)"},
        {2147400000, L"Monitoring: OFF (596:30:00.000)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(monitoring_state_text(false, c.ms), c.off_text) << c.ms;
    EXPECT_EQ(monitoring_state_text(true, 1500), L"Monitoring: ON (00:00:01.500)");
}

TEST(StatusTexts, CreationAndLogSizeTexts) {
    EXPECT_EQ(monitoring_created_text(1000), L"Monitoring: OFF (1000 sec)");
    EXPECT_EQ(log_size_zero_text(5), L"Log Size: 0 MB (of 5 MB)");
    EXPECT_EQ(log_size_zero_text(0), L"Log Size: 0 MB (of unlimited size)");
}

} // namespace
} // namespace brixtel
