// The helper-process runner against real programs of the system: exit codes, a child that
// writes more than a pipe holds, and the registry editor's export form that the settings move
// rewrites.
#include "platform/process.h"
#include "tests/e2e/driver/registry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace brixtel::e2e {
namespace {

using namespace std::chrono_literals;

std::wstring windows_folder() {
    wchar_t folder[MAX_PATH] = {};
    return std::wstring(folder, GetWindowsDirectoryW(folder, MAX_PATH));
}

std::wstring temp_folder() {
    wchar_t folder[MAX_PATH] = {};
    return std::wstring(folder, GetTempPathW(MAX_PATH, folder));
}

struct Run {
    ProcessOutcome outcome;
    std::vector<std::wstring> failed_calls;
};

// The runner waits without a limit; the test does not: a stalled run fails it.
std::optional<Run> run_bounded(const std::wstring& command, const std::wstring& folder) {
    auto run = std::make_shared<std::promise<Run>>();
    auto result = run->get_future();
    std::thread([run, command, folder] {
        Run done;
        done.outcome =
            run_hidden_process(command, folder, [&](std::wstring_view call, std::uint32_t) {
                done.failed_calls.emplace_back(call);
            });
        run->set_value(done);
    }).detach();
    if (result.wait_for(120s) != std::future_status::ready)
        return std::nullopt;
    return result.get();
}

TEST(ProcessRunner, ReportsTheChildsExitCode) {
    const std::wstring cmd = windows_folder() + L"\\system32\\cmd.exe";
    for (const int code : {0, 3, 255}) {
        const auto run = run_bounded(cmd + L" /c exit " + std::to_wstring(code), windows_folder());
        ASSERT_TRUE(run) << "the run did not end";
        EXPECT_TRUE(run->outcome.ran);
        EXPECT_EQ(run->outcome.exit_code, static_cast<std::uint32_t>(code));
        EXPECT_TRUE(run->failed_calls.empty());
    }
}

TEST(ProcessRunner, AChildWritingFarMoreThanThePipeHoldsStillEnds) {
    const std::wstring big = temp_folder() + L"runner_big.txt";
    {
        std::ofstream file(std::filesystem::path(big), std::ios::binary);
        const std::string line(200, 'x');
        for (int i = 0; i < 5000; ++i) // about 1 MB against a 4 KB pipe
            file << line << "\r\n";
    }
    const auto run = run_bounded(windows_folder() + L"\\system32\\cmd.exe /c type \"" + big + L"\"",
                                 temp_folder());
    DeleteFileW(big.c_str());
    ASSERT_TRUE(run) << "the run stalled on a full pipe";
    EXPECT_TRUE(run->outcome.ran);
    EXPECT_EQ(run->outcome.exit_code, 0u);
}

TEST(ProcessRunner, AProgramThatDoesNotExistIsReportedAsCreateProcess) {
    const auto run = run_bounded(L"C:\\no\\such\\program.exe", windows_folder());
    ASSERT_TRUE(run);
    EXPECT_FALSE(run->outcome.ran);
    EXPECT_EQ(run->failed_calls, std::vector<std::wstring>{L"CreateProcess"});
}

// The move rewrites the editor's export; this pins down the form it has to handle here.
TEST(ProcessRunner, RegistryEditorExportsTheMachineWideKeyAsUtf16WithItsName) {
    const std::wstring key = L"Software\\Quorrel\\Halvo Brixtel";
    ASSERT_TRUE(write_dword(HKEY_LOCAL_MACHINE, key, L"Frequency", 250));
    const std::wstring file = temp_folder() + L"runner_export.reg";
    const auto run = run_bounded(windows_folder() + L"\\regedit.exe /e " + file +
                                     L" \"HKEY_LOCAL_MACHINE\\" + key + L"\"",
                                 windows_folder());
    delete_key_tree(HKEY_LOCAL_MACHINE, L"Software\\Quorrel");
    ASSERT_TRUE(run);
    EXPECT_EQ(run->outcome.exit_code, 0u);
    std::ifstream in(std::filesystem::path(file), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    in.close();
    DeleteFileW(file.c_str());
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xFE);
    std::wstring text((bytes.size() - 2) / 2, L'\0');
    memcpy(text.data(), bytes.data() + 2, text.size() * 2);
    EXPECT_NE(text.find(L"[HKEY_LOCAL_MACHINE\\Software\\Quorrel\\Halvo Brixtel]"),
              std::wstring::npos);
}

} // namespace
} // namespace brixtel::e2e
