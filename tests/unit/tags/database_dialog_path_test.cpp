// The path the Database File Names dialog adds from its folder and file-name box.
#include "tags/database_dialog_path.h"

#include <gtest/gtest.h>

namespace brixtel {
namespace {

TEST(DatabaseDialogPath, JoinsNamesAndKeepsFullPaths) {
    const struct {
        const wchar_t* folder;
        const wchar_t* text;
        const wchar_t* path;
    } cases[] = {
        {L"C:\\Tags", L"plant.dbf", L"C:\\Tags\\plant.dbf"},
        {L"C:\\", L"plant.csv", L"C:\\plant.csv"},
        {L"C:\\Tags", L"sub\\plant.csv", L"C:\\Tags\\sub\\plant.csv"},
        {L"", L"plant.csv", L"plant.csv"},
        // A name with its own drive or share names the file wherever the dialog stands.
        {L"C:\\Tags", L"Z:\\tmp\\plant.dbf", L"Z:\\tmp\\plant.dbf"},
        {L"C:\\Tags", L"z:plant.dbf", L"z:plant.dbf"},
        {L"C:\\Tags", L"\\\\server\\tags\\plant.csv", L"\\\\server\\tags\\plant.csv"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(database_dialog_path(c.folder, c.text), c.path);
    }
}

} // namespace
} // namespace brixtel
