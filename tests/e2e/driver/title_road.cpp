#include "tests/e2e/driver/title_road.h"

#include "tests/e2e/driver/brixtel_process.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <fstream>

namespace brixtel::e2e {
namespace {

std::filesystem::path system_folder() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return std::filesystem::path(std::wstring(folder, length));
}

::testing::AssertionResult failed(const char* step, HRESULT result) {
    return ::testing::AssertionFailure()
           << "shortcut: " << step << " failed, 0x" << std::hex << static_cast<unsigned>(result);
}

// The shell link object through COM, released however the steps end.
::testing::AssertionResult save_shortcut(IShellLinkW& link, const std::filesystem::path& shortcut,
                                         const std::filesystem::path& target,
                                         const std::wstring& arguments) {
    if (const HRESULT result = link.SetPath(target.c_str()); FAILED(result))
        return failed("SetPath", result);
    if (const HRESULT result = link.SetArguments(arguments.c_str()); FAILED(result))
        return failed("SetArguments", result);
    IPersistFile* file = nullptr;
    if (const HRESULT result =
            link.QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
        FAILED(result))
        return failed("QueryInterface(IPersistFile)", result);
    const HRESULT saved = file->Save(shortcut.c_str(), TRUE);
    file->Release();
    if (FAILED(saved))
        return failed("Save", saved);
    return ::testing::AssertionSuccess();
}

} // namespace

StagedTitleLibrary::StagedTitleLibrary() : target_(system_folder() / L"MVCL14N.dll") {}

StagedTitleLibrary::~StagedTitleLibrary() {
    std::error_code ignored;
    std::filesystem::remove(target_, ignored);
}

::testing::AssertionResult StagedTitleLibrary::install() const {
    std::error_code failed;
    std::filesystem::copy_file(suite_file(L"MVCL14N.dll"), target_,
                               std::filesystem::copy_options::overwrite_existing, failed);
    if (failed)
        return ::testing::AssertionFailure()
               << "cannot stage the title library: " << failed.message();
    return ::testing::AssertionSuccess();
}

std::filesystem::path test_folder(const std::wstring& folder_name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::filesystem::path folder = std::filesystem::path(temp) / folder_name;
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return folder;
}

std::filesystem::path write_title(const std::wstring& folder_name, const std::wstring& name,
                                  const std::string& information) {
    const std::filesystem::path path = test_folder(folder_name) / name;
    std::ofstream(path, std::ios::binary) << "MVTITLE\r\ninfo10=" << information << "\r\n";
    return path;
}

::testing::AssertionResult create_shortcut(const std::filesystem::path& shortcut,
                                           const std::filesystem::path& target,
                                           const std::wstring& arguments) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* link = nullptr;
    HRESULT created = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IShellLinkW, reinterpret_cast<void**>(&link));
    ::testing::AssertionResult result = failed("CoCreateInstance(CLSID_ShellLink)", created);
    if (SUCCEEDED(created)) {
        result = save_shortcut(*link, shortcut, target, arguments);
        link->Release();
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return result;
}

} // namespace brixtel::e2e
