// The Type tool as Brixtel finds it: vexrun.exe in the Programs folder beside Brixtel.exe,
// run on files of each kind; only its exit code counts.
#include "tests/e2e/driver/brixtel_process.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>
#include <string_view>

namespace brixtel::e2e {
namespace {

// The ASCII text as little-endian UTF-16 after the given mark bytes.
std::string utf16(std::string mark, std::string_view ascii) {
    for (char c : ascii) {
        mark += c;
        mark += '\0';
    }
    return mark;
}

std::wstring tool_path() {
    std::wstring path = program_path();
    path.resize(path.find_last_of(L'\\') + 1);
    return path + L"vexrun.exe";
}

class TypeTool : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
        folder_ =
            std::wstring(temp) + L"brixtel type tool " + std::to_wstring(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr) ||
                    GetLastError() == ERROR_ALREADY_EXISTS);
    }
    void TearDown() override {
        for (const std::wstring& file : written_) {
            DeleteFileW(file.c_str());
        }
        RemoveDirectoryW(folder_.c_str());
    }

    std::wstring write(std::wstring_view name, std::string_view bytes) {
        const std::wstring path = folder_ + L"\\" + std::wstring(name);
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        written_.push_back(path);
        return path;
    }

    // The tool's exit code for the path (quoted, as Brixtel quotes paths with blanks).
    ::testing::AssertionResult run(const std::wstring& database, DWORD* exit_code) {
        std::wstring command = L"\"" + tool_path() + L"\"";
        if (!database.empty()) {
            command += L" \"" + database + L"\"";
        }
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                            nullptr, nullptr, &startup, &process)) {
            return ::testing::AssertionFailure()
                   << "cannot start the tool, error " << GetLastError();
        }
        const DWORD waited = WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, exit_code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        if (waited != WAIT_OBJECT_0) {
            return ::testing::AssertionFailure() << "the tool did not end within 60 s";
        }
        return ::testing::AssertionSuccess();
    }

    std::wstring folder_;
    std::vector<std::wstring> written_;
};

TEST_F(TypeTool, ShipsBesideTheProgram) {
    EXPECT_NE(GetFileAttributesW(tool_path().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(TypeTool, AnswersByExitCode) {
    // A dBASE table: 32-byte header, five descriptors, terminator, one record.
    std::string dbf(32, '\0');
    dbf[0] = 3;
    dbf[4] = 1;
    dbf[8] = static_cast<char>(32 + 5 * 32 + 1);
    dbf[10] = 1 + 10 + 3 + 3 + 3 + 5;
    const std::pair<const char*, char> fields[] = {
        {"TAGNAME", 10}, {"LOOP", 3}, {"PCU", 3}, {"MODULE", 3}, {"BLOCK", 5}};
    for (const auto& [name, length] : fields) {
        std::string descriptor(32, '\0');
        descriptor.replace(0, std::string(name).size(), name);
        descriptor[11] = 'C';
        descriptor[16] = length;
        dbf += descriptor;
    }
    dbf += "\x0D FIC-101     1  2  3    4\x1A";

    const struct {
        const wchar_t* name;
        std::string bytes;
        DWORD exit_code;
    } cases[] = {
        {L"good tags.csv", "tagname,loop,pcu,module,block\r\nFIC-101,1,2,3,4\r\n", 0},
        {L"utf16.csv", utf16("\xFF\xFE", "TAGNAME,LOOP,PCU,MODULE,BLOCK\r\nA,1,2,3,4\r\n"), 0},
        {L"utf16 no mark.csv", utf16("", "TagName,Loop,Pcu,Module,Block\r\nA,1,2,3,4\r\n"), 0},
        {L"plant.DBF", dbf, 0},
        {L"no pcu.csv", "TAGNAME,LOOP,MODULE,BLOCK\r\nFIC-101,1,3,4\r\n", 1},
        {L"text.dbf", "TAGNAME,LOOP,PCU,MODULE,BLOCK\r\n", 1},
    };
    for (const auto& c : cases) {
        DWORD exit_code = 99;
        ASSERT_TRUE(run(write(c.name, c.bytes), &exit_code)) << c.name;
        EXPECT_EQ(exit_code, c.exit_code) << c.name;
    }
}

TEST_F(TypeTool, RefusesMissingArgumentAndUnreadableFile) {
    DWORD exit_code = 0;
    ASSERT_TRUE(run(L"", &exit_code));
    EXPECT_NE(exit_code, 0u);
    ASSERT_TRUE(run(folder_ + L"\\absent.csv", &exit_code));
    EXPECT_NE(exit_code, 0u);
}

} // namespace
} // namespace brixtel::e2e
