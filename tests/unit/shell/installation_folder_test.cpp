#include "shell/installation_folder.h"

#include <gtest/gtest.h>

#include <set>

namespace brixtel {
namespace {

struct BaseFolderCase {
    const wchar_t* current;
    const wchar_t* command_line;
    std::set<std::wstring> existing;
    const wchar_t* expected;
};

TEST(InstallationBaseFolder, IsTheFolderAboveThePrograms) {
    const BaseFolderCase cases[] = {
        // Started from the installation folder: its Programs folder holds the program.
        {L"C:\\Halvo", L"x", {L"C:\\Halvo\\Programs\\Brixtel.exe"}, L"C:\\Halvo"},
        // Started from the Programs folder itself (any case, first 8 letters).
        {L"C:\\Halvo\\PROGRAMS", L"x", {L"C:\\Halvo\\PROGRAMS\\Brixtel.exe"}, L"C:\\Halvo"},
        {L"C:\\Halvo\\programs32", L"x", {L"C:\\Halvo\\programs32\\Brixtel.exe"}, L"C:\\Halvo"},
        // Elsewhere: the command line names the program; switches and quotes are dropped.
        {L"D:\\Work", L"\"E:\\Apps\\Halvo\\Programs\\Brixtel.exe\" /x", {}, L"E:\\Apps\\Halvo"},
        {L"D:\\Work", L"  E:\\Tools\\Brixtel.exe  ", {}, L"E:\\Tools"},
        {L"D:\\Work", L"E:\\My Programs Here\\Brixtel.exe", {}, L"E:"},
        {L"", L"E:\\Halvo\\Programs\\Brixtel.exe", {}, L""},
        {L"D:\\Work", L"Brixtel.exe", {}, L""},
    };
    for (const auto& c : cases) {
        const auto exists = [&](std::wstring_view path) {
            return c.existing.count(std::wstring(path)) > 0;
        };
        EXPECT_EQ(installation_base_folder(c.current, c.command_line, exists), c.expected)
            << c.current << " | " << c.command_line;
    }
}

} // namespace
} // namespace brixtel
