#include "shell/process_name.h"

#include <gtest/gtest.h>

namespace brixtel {
namespace {

TEST(ProcessName, CountsOnlyTheProgramsOwnFileName) {
    const struct {
        const wchar_t* path;
        bool counted;
    } cases[] = {
        {L"Brixtel.exe", true},
        {L"BRIXTEL.EXE", true},
        {L"C:\\Program Files\\Halvo\\Programs\\brixtel.exe", true},
        {L"Z:/build/stage/Programs/Brixtel.exe", true},
        {L"Brixtel.exe.old", true}, // only the first 11 characters are compared
        {L"BrixtelRenamedCopy.exe", false},
        {L"C:\\Brixtel.exe\\other.exe", false},
        {L"Brixtel.ex", false},
        {L"", false},
        {L"xBrixtel.exe", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(is_program_process_name(c.path), c.counted) << c.path;
}

} // namespace
} // namespace brixtel
