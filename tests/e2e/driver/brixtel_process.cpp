#include "tests/e2e/driver/brixtel_process.h"

#include "tests/e2e/driver/remote_controls.h"
#include "tests/e2e/driver/window_query.h"

#include <tlhelp32.h>

#include <cstdlib>

namespace brixtel::e2e {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

namespace {

std::wstring folder_of(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::string in_quotes(std::wstring_view text) {
    std::string quoted(1, '"');
    quoted += narrow(text);
    quoted += '"';
    return quoted;
}

std::optional<DWORD> exit_code_of(HANDLE process) {
    DWORD code = 0;
    if (!GetExitCodeProcess(process, &code) || code == STILL_ACTIVE)
        return std::nullopt;
    return code;
}

bool wait_for_process(HANDLE process, Millis bound) {
    return WaitForSingleObject(process, static_cast<DWORD>(scaled(bound).count())) == WAIT_OBJECT_0;
}

} // namespace

std::wstring program_path() {
    const wchar_t* path = _wgetenv(L"BRIXTEL_EXE");
    return path ? std::wstring(path) : std::wstring();
}

std::wstring suite_file(std::wstring_view name) {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    path.erase(path.find_last_of(L"\\/") + 1);
    return path + std::wstring(name);
}

int end_processes_named(std::wstring_view executable) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    int ended = 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        std::wstring_view name(entry.szExeFile);
        if (const size_t slash = name.find_last_of(L"\\/"); slash != name.npos)
            name.remove_prefix(slash + 1);
        if (entry.th32ProcessID == GetCurrentProcessId() || !same_text(name, executable))
            continue;
        if (HANDLE process =
                OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
            if (TerminateProcess(process, 1) && wait_for_process(process, kExitBound))
                ++ended;
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
    return ended;
}

BrixtelProcess::~BrixtelProcess() {
    kill();
    release();
}

void BrixtelProcess::release() {
    menu_reader_.detach();
    if (process_)
        CloseHandle(process_);
    process_ = nullptr;
    process_id_ = 0;
    main_window_ = nullptr;
}

AssertionResult BrixtelProcess::start(std::wstring_view arguments, std::wstring executable,
                                      std::wstring folder) {
    kill();
    release();
    if (executable.empty())
        executable = program_path();
    if (executable.empty())
        return AssertionFailure() << "BRIXTEL_EXE is not set (run the suite through "
                                     "scripts/run-e2e.sh)";
    if (GetFileAttributesW(executable.c_str()) == INVALID_FILE_ATTRIBUTES)
        return AssertionFailure() << "no program at " << in_quotes(executable);
    if (folder.empty())
        folder = folder_of(executable);
    std::wstring command_line = L"\"" + executable + L"\"";
    if (!arguments.empty())
        command_line += L" " + std::wstring(arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // Detached, as when started from the desktop: what a windowed program prints goes nowhere.
    // On a heavily loaded machine Wine's process creation now and then gives up with an internal
    // error before the program runs a single instruction; a user would simply start it again.
    const auto create = [&] {
        return CreateProcessW(executable.c_str(), command_line.data(), nullptr, nullptr, FALSE,
                              DETACHED_PROCESS, nullptr, folder.c_str(), &startup, &info);
    };
    bool created = create();
    for (int retry = 0; !created && GetLastError() == ERROR_INTERNAL_ERROR && retry < 3; ++retry) {
        Sleep(200);
        created = create();
    }
    if (!created)
        return AssertionFailure() << "CreateProcessW " << in_quotes(command_line)
                                  << " failed, error " << GetLastError();
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    process_id_ = info.dwProcessId;
    return AssertionSuccess();
}

AssertionResult BrixtelProcess::wait_for_main_window(Millis bound) {
    auto find = [&] {
        for (HWND window : top_windows_of(process_id_))
            if (window_class(window) == kMainWindowClass && IsWindowVisible(window))
                return window;
        return HWND{};
    };
    std::optional<DWORD> ended;
    const bool found = poll_until(
        [&] {
            main_window_ = find();
            ended = exit_code_of(process_);
            return main_window_ != nullptr || ended.has_value();
        },
        bound);
    if (!main_window_) {
        if (ended)
            return AssertionFailure() << "the program ended with exit code " << *ended
                                      << " before showing its main window";
        return AssertionFailure() << "no visible window of class \"Brixtel\" within "
                                  << describe(bound) << "; windows: " << describe_windows();
    }
    (void)found;
    // Start-up is over once the message loop first waits for input (a modal dialog shown
    // during start-up also counts: its loop waits too).
    const DWORD idle = WaitForInputIdle(process_, static_cast<DWORD>(scaled(bound).count()));
    if (idle == WAIT_TIMEOUT)
        return AssertionFailure() << "the program did not become idle within " << describe(bound);
    return AssertionSuccess();
}

AssertionResult BrixtelProcess::launch(std::wstring_view arguments) {
    if (auto started = start(arguments); !started)
        return started;
    return wait_for_main_window();
}

bool BrixtelProcess::running() const {
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

HWND BrixtelProcess::status_bar() const {
    return main_window_ ? find_child_by_class(main_window_, kStatusBarClass) : nullptr;
}

bool BrixtelProcess::post(UINT message, WPARAM wparam, LPARAM lparam) const {
    return main_window_ && PostMessageW(main_window_, message, wparam, lparam);
}

bool BrixtelProcess::post_command(UINT id) const {
    return post(WM_COMMAND, MAKEWPARAM(id, 0));
}

AssertionResult BrixtelProcess::wait_for_exit(DWORD* exit_code, Millis bound) {
    if (!process_)
        return AssertionFailure() << "the program was never started";
    if (!wait_for_process(process_, bound))
        return AssertionFailure() << "the program did not end within " << describe(bound)
                                  << "; windows: " << describe_windows();
    const auto code = exit_code_of(process_);
    if (exit_code)
        *exit_code = code.value_or(STILL_ACTIVE);
    return AssertionSuccess();
}

AssertionResult BrixtelProcess::close(DWORD* exit_code, Millis bound) {
    if (!post(WM_CLOSE))
        return AssertionFailure() << "cannot post WM_CLOSE to the main window";
    return wait_for_exit(exit_code, bound);
}

void BrixtelProcess::kill() {
    if (running()) {
        TerminateProcess(process_, 1);
        wait_for_process(process_, kExitBound);
    }
}

std::wstring BrixtelProcess::title() const {
    return main_window_ ? window_text(main_window_) : std::wstring();
}

std::optional<std::vector<int>> BrixtelProcess::status_parts() const {
    HWND bar = status_bar();
    return bar ? status_bar_parts(bar) : std::nullopt;
}

std::optional<std::wstring> BrixtelProcess::status_text(int part) const {
    HWND bar = status_bar();
    return bar ? status_bar_text(bar, part) : std::nullopt;
}

AssertionResult BrixtelProcess::wait_for_status_text(int part, std::wstring_view expected,
                                                     Millis bound) const {
    std::optional<std::wstring> seen;
    if (poll_until([&] { return (seen = status_text(part)) == expected; }, bound))
        return AssertionSuccess();
    return AssertionFailure() << "status bar part " << part << " did not show "
                              << in_quotes(expected) << " within " << describe(bound)
                              << "; it shows "
                              << (seen ? in_quotes(*seen) : std::string("nothing (no status bar)"));
}

AssertionResult BrixtelProcess::read_menu(Menu* menu) {
    if (!main_window_)
        return AssertionFailure() << "no main window to read the menu of";
    std::optional<Menu> read;
    if (menu_reader_.attach(main_window_))
        read = menu_reader_.read();
    if (!read)
        return AssertionFailure() << "cannot read the menu: " << menu_reader_.failure();
    *menu = std::move(*read);
    return AssertionSuccess();
}

AssertionResult BrixtelProcess::wait_for_window(std::wstring_view title, HWND* found, Millis bound,
                                                std::wstring_view class_name) const {
    HWND window = nullptr;
    if (poll_until([&] { return (window = find_top_window(process_id_, title, class_name)); },
                   bound)) {
        if (found)
            *found = window;
        return AssertionSuccess();
    }
    return AssertionFailure() << "no window " << in_quotes(title) << " within " << describe(bound)
                              << "; windows: " << describe_windows();
}

std::vector<HWND> BrixtelProcess::open_dialogs() const {
    std::vector<HWND> dialogs;
    for (HWND window : top_windows_of(process_id_))
        if (IsWindowVisible(window) && window_class(window) == kDialogClass)
            dialogs.push_back(window);
    return dialogs;
}

AssertionResult BrixtelProcess::wait_until_gone(HWND window, Millis bound) const {
    if (poll_until([&] { return !IsWindow(window) || !IsWindowVisible(window); }, bound))
        return AssertionSuccess();
    return AssertionFailure() << "window " << in_quotes(window_text(window))
                              << " is still open after " << describe(bound);
}

std::string BrixtelProcess::describe_windows() const {
    return process_id_ ? describe_top_windows(process_id_) : std::string("(no process)");
}

} // namespace brixtel::e2e
