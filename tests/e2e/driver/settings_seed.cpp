#include "tests/e2e/driver/settings_seed.h"

#include "tests/e2e/driver/registry.h"

#include <filesystem>
#include <fstream>

namespace brixtel::e2e {
namespace {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

const std::wstring kLoopEntriesKey = std::wstring(kSettingsKey) + L"\\LoopEntries";
const std::wstring kFirstListKey = std::wstring(kSettingsKey) + L"\\Tags\\List1";

AssertionResult written(bool ok, const std::wstring& key, const std::wstring& name) {
    if (ok)
        return AssertionSuccess();
    return AssertionFailure() << "could not write " << std::string(key.begin(), key.end()) << "\\"
                              << std::string(name.begin(), name.end());
}

} // namespace

AssertionResult store_loop_entries(const std::vector<std::wstring>& texts) {
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::wstring name = L"LoopEntry" + std::to_wstring(i + 1);
        if (auto result = written(write_string(HKEY_CURRENT_USER, kLoopEntriesKey, name, texts[i]),
                                  kLoopEntriesKey, name);
            !result)
            return result;
    }
    return written(write_dword(HKEY_CURRENT_USER, kLoopEntriesKey, L"NumberOfLoopEntries",
                               static_cast<DWORD>(texts.size())),
                   kLoopEntriesKey, L"NumberOfLoopEntries");
}

AssertionResult store_startup_tag_list(const std::wstring& name,
                                       const std::vector<std::wstring>& entries) {
    if (auto result = written(write_string(HKEY_CURRENT_USER, kFirstListKey, L"name", name),
                              kFirstListKey, L"name");
        !result)
        return result;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::wstring value = L"TagLookUp" + std::to_wstring(i + 1);
        if (auto result = written(write_string(HKEY_CURRENT_USER, kFirstListKey, value, entries[i]),
                                  kFirstListKey, value);
            !result)
            return result;
    }
    if (auto result = written(write_dword(HKEY_CURRENT_USER, kFirstListKey, L"NumberofTags",
                                          static_cast<DWORD>(entries.size())),
                              kFirstListKey, L"NumberofTags");
        !result)
        return result;
    return written(write_string(HKEY_CURRENT_USER, kSettingsKey, L"LastLoaded", name), kSettingsKey,
                   L"LastLoaded");
}

AssertionResult store_update_interval(DWORD milliseconds) {
    return written(write_dword(HKEY_CURRENT_USER, kSettingsKey, L"Frequency", milliseconds),
                   kSettingsKey, L"Frequency");
}

AssertionResult seed_initialisation_file(std::string_view content) {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    const std::wstring path = std::wstring(folder, length) + L"\\Brixtel.ini";
    std::ofstream file(std::filesystem::path(path), std::ios::binary);
    file << content;
    file.close();
    if (!file)
        return AssertionFailure() << "could not write " << std::string(path.begin(), path.end());
    return AssertionSuccess();
}

} // namespace brixtel::e2e
