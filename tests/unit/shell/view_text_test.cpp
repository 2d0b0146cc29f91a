// Values as the views show them, the Export View's header cells and the buffer counts the
// logging dialogs quote.
#include "core/poll_snapshot.h"
#include "shell/view_text.h"

#include <gtest/gtest.h>

namespace brixtel {
namespace {

struct PreparedCase {
    const wchar_t* value;
    std::uint16_t type;
    std::uint32_t digits;
    const wchar_t* shown;
};

TEST(PreparedValue, FollowsTheValueTypeAndTheSignificantDigits) {
    const PreparedCase cases[] = {
        // Numbers longer than the limit go to exponent form; the "." is not counted.
        {L"1234.5", kValueNumber, 3, L"1.23E+03"},
        {L"12.5", kValueNumber, 3, L"12.5"},
        {L"0.001234", kValueNumber, 3, L"1.23E-03"},
        {L"123", kValueNumber, 3, L"123"},
        {L"1234", kValueNumber, 3, L"1.23E+03"},
        {L"-12.76", kValueNumber, 3, L"-1.28E+01"},
        {L"00042", kValueNumber, 2, L"4.2E+01"},
        {L"987654", kValueNumber, 1, L"1E+06"},
        {L"1234.5", kValueNumber, 0, L"1234.5"}, // no limit
        {L"", kValueNumber, 3, L""},
        // Strings: longer than 20 characters show 19.
        {L"ABCDEFGHIJKLMNOPQRSTU", kValueString, 3, L"ABCDEFGHIJKLMNOPQRS"},
        {L"ABCDEFGHIJKLMNOPQRST", kValueString, 3, L"ABCDEFGHIJKLMNOPQRST"},
        // Anything else as received, however long.
        {L"MISSING", kValueOther, 3, L"MISSING"},
        {L"1234.5678", kValueOther, 3, L"1234.5678"},
        {L"CANCEL_201", kValueOther, 2, L"CANCEL_201"},
    };
    for (const PreparedCase& c : cases)
        EXPECT_EQ(prepare_value(c.value, c.type, c.digits), c.shown)
            << c.value << " type " << c.type << " digits " << c.digits;
}

TEST(PreparedValue, SignificantDigitsOfAHugeLimitLeaveTheTextAlone) {
    EXPECT_EQ(format_significant_digits(L"3.14159", 0xFFFFFFFFu), L"3.14159");
}

TEST(HeaderCells, NameTheAddressAndTheTag) {
    const struct {
        const wchar_t* entry;
        const wchar_t* block;
        const wchar_t* tag;
    } cases[] = {
        {L"Module 1,2,3 Block 100 -- FIC-101 -- C:\\db\\plant.dbf", L"1-2-3-100", L"FIC-101"},
        {L"Module 10,250,31 Block 65535 -- NO_TAG -- NO_DATABASE", L"10-250-31-65535", L"NO_TAG"},
        {L"Module 1,2,3 Block 7 --  -- NO_DATABASE", L"1-2-3-7", L""},
        // The tag ends at the next " --" only; a tag with dashes of its own survives.
        {L"Module 1,2,3 Block 7 -- A-B--C -- x", L"1-2-3-7", L"A-B--C"},
        {L"not a point -- TAG -- x", L"", L"TAG"},
    };
    for (const auto& c : cases) {
        const HeaderCells cells = header_cells(c.entry);
        EXPECT_EQ(cells.block, c.block) << c.entry;
        EXPECT_EQ(cells.tag, c.tag) << c.entry;
    }
    EXPECT_EQ(entry_address_key(L"not a point"), L"0-0-0-0");
}

TEST(RecordsForLogging, TheNewestCountsOnlyWhenEveryColumnHoldsText) {
    SnapshotList buffer;
    EXPECT_EQ(records_available_for_logging(buffer, 2), 0u);
    buffer.allocate();
    PollSnapshot& newest = buffer.allocate();
    EXPECT_EQ(records_available_for_logging(buffer, 2), 1u);
    newest.values[0] = L"10:00:00.000";
    newest.values[1] = L"10:00:00.100";
    newest.values[2] = L"1.00";
    EXPECT_EQ(records_available_for_logging(buffer, 2), 1u) << "second point still empty";
    newest.values[3] = L"";
    EXPECT_EQ(records_available_for_logging(buffer, 2), 1u) << "an empty text is no value";
    newest.values[3] = L"MISSING";
    EXPECT_EQ(records_available_for_logging(buffer, 2), 2u);
}

TEST(RecordsForLogging, BufferCountTextNamesTheCount) {
    EXPECT_EQ(buffer_count_text(0), L"There are presently 0 lines in the buffer.");
    EXPECT_EQ(buffer_count_text(1), L"There are presently 1 lines in the buffer.");
    EXPECT_EQ(buffer_count_text(10000), L"There are presently 10000 lines in the buffer.");
}

} // namespace
} // namespace brixtel
