#include "tests/e2e/driver/installer.h"

#include "tests/e2e/driver/window_query.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

namespace brixtel::e2e {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

namespace {

// COM for the calling thread while it lives, when it was not already there.
class ComScope {
  public:
    ComScope() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComScope() {
        if (initialised_)
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

  private:
    bool initialised_;
};

template <class Interface> class ComPtr {
  public:
    ComPtr() = default;
    ~ComPtr() {
        if (pointer_)
            pointer_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    Interface* operator->() const { return pointer_; }
    Interface** put() { return &pointer_; }
    void** put_void() { return reinterpret_cast<void**>(&pointer_); }

  private:
    Interface* pointer_ = nullptr;
};

std::string hresult_text(HRESULT result) {
    char text[16];
    snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(result));
    return text;
}

} // namespace

std::wstring installer_path() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"BRIXTEL_INSTALLER", path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(path) : std::wstring();
}

AssertionResult run_to_end(const std::wstring& executable, const std::wstring& arguments,
                           DWORD* exit_code, Millis bound) {
    std::wstring command_line = L"\"" + executable + L"\"";
    if (!arguments.empty())
        command_line += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(executable.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &info))
        return AssertionFailure() << "cannot start " << narrow(command_line) << ", error "
                                  << GetLastError();
    CloseHandle(info.hThread);
    const bool ended =
        WaitForSingleObject(info.hProcess, static_cast<DWORD>(scaled(bound).count())) ==
        WAIT_OBJECT_0;
    if (!ended) {
        // Nothing may be left running into the next test.
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, static_cast<DWORD>(scaled(kExitBound).count()));
    }
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    if (!ended)
        return AssertionFailure() << narrow(command_line) << " did not end within "
                                  << describe(bound);
    if (exit_code)
        *exit_code = code;
    return AssertionSuccess();
}

AssertionResult install_silently(const std::wstring& folder, DWORD* exit_code) {
    const std::wstring installer = installer_path();
    if (installer.empty())
        return AssertionFailure() << "BRIXTEL_INSTALLER is not set";
    return run_to_end(installer, L"/S /D=" + folder, exit_code);
}

AssertionResult uninstall_silently(const std::wstring& folder, DWORD* exit_code) {
    return run_to_end(folder + L"\\" + kUninstaller, L"/S _?=" + folder, exit_code);
}

AssertionResult read_shortcut(const std::wstring& path, Shortcut* shortcut) {
    ComScope com;
    ComPtr<IShellLinkW> link;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkW, link.put_void());
    if (FAILED(result))
        return AssertionFailure() << "no shell link object: " << hresult_text(result);
    ComPtr<IPersistFile> file;
    result = link->QueryInterface(IID_IPersistFile, file.put_void());
    if (FAILED(result))
        return AssertionFailure() << "the shell link cannot load files: " << hresult_text(result);
    result = file->Load(path.c_str(), STGM_READ);
    if (FAILED(result))
        return AssertionFailure() << "cannot load " << narrow(path) << ": " << hresult_text(result);
    std::vector<wchar_t> text(32768);
    const int size = static_cast<int>(text.size());
    if (FAILED(link->GetPath(text.data(), size, nullptr, SLGP_RAWPATH)))
        return AssertionFailure() << "no target in " << narrow(path);
    shortcut->target = text.data();
    text[0] = L'\0';
    link->GetArguments(text.data(), size);
    shortcut->arguments = text.data();
    text[0] = L'\0';
    link->GetWorkingDirectory(text.data(), size);
    shortcut->working_folder = text.data();
    return AssertionSuccess();
}

std::wstring common_programs_folder() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(
            SHGetFolderPathW(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return {};
    return folder;
}

bool file_exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace brixtel::e2e
