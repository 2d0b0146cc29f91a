// Takes the place of the Windows folder's registry editor while a test runs: it runs the real
// editor (moved aside to regedit-real.exe beside this program) with the same arguments, and
// after an export of one key writes every "\Software\" of the export's key lines as
// "\SOFTWARE\". Windows' editor writes the key names as stored ("SOFTWARE"); Wine's writes them
// as typed, so without this the program's handling of the stored spelling is never exercised.
// A copy of the export as handed over is kept beside this program for the test to inspect.
#include <windows.h>

#include <shellapi.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kRealEditor[] = L"regedit-real.exe";
constexpr wchar_t kExportCopy[] = L"regedit-capitals-export.reg";
// The real editor gets this long; a hung editor must not hang the test run.
constexpr DWORD kEditorBoundMs = 300000;
constexpr DWORD kEditorHung = 2;
constexpr DWORD kEditorNotStarted = 3;
constexpr DWORD kRewriteFailed = 4;

std::wstring own_folder() {
    std::wstring path(MAX_PATH, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), MAX_PATH);
    path.resize(length);
    return path.substr(0, path.find_last_of(L'\\'));
}

// The command line after this program's own name, exactly as the caller wrote it.
std::wstring arguments_as_given() {
    const wchar_t* rest = GetCommandLineW();
    if (*rest == L'"') {
        ++rest;
        while (*rest && *rest != L'"')
            ++rest;
        if (*rest)
            ++rest;
    } else {
        while (*rest && *rest != L' ' && *rest != L'\t')
            ++rest;
    }
    while (*rest == L' ' || *rest == L'\t')
        ++rest;
    return rest;
}

DWORD run_real_editor(const std::wstring& folder) {
    std::wstring command = L"\"" + folder + L"\\" + kRealEditor + L"\" " + arguments_as_given();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process))
        return kEditorNotStarted;
    DWORD exit_code = kEditorHung;
    if (WaitForSingleObject(process.hProcess, kEditorBoundMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &exit_code);
    else
        TerminateProcess(process.hProcess, kEditorHung);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exit_code;
}

template <typename Unit> Unit ascii_upper(Unit c) {
    return c >= 'a' && c <= 'z' ? static_cast<Unit>(c - 'a' + 'A') : c;
}

// Upper-cases, in place, each "\software\" (any letter case) of the key lines in `units`.
template <typename Unit> void capitalise_key_lines(std::vector<Unit>& units, std::size_t start) {
    static constexpr char kWord[] = "\\SOFTWARE\\";
    constexpr std::size_t kLength = sizeof kWord - 1;
    bool key_line = start < units.size() && units[start] == '[';
    for (std::size_t i = start; i < units.size(); ++i) {
        if (units[i] == '\n') {
            key_line = i + 1 < units.size() && units[i + 1] == '[';
            continue;
        }
        if (!key_line || i + kLength > units.size())
            continue;
        std::size_t matched = 0;
        while (matched < kLength && ascii_upper(units[i + matched]) == Unit(kWord[matched]))
            ++matched;
        if (matched == kLength)
            for (std::size_t k = 0; k < kLength; ++k)
                units[i + k] = Unit(kWord[k]);
    }
}

std::vector<std::uint8_t> capitalised(std::vector<std::uint8_t> bytes) {
    const bool utf16 = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
    if (!utf16) {
        capitalise_key_lines(bytes, 0);
        return bytes;
    }
    std::vector<char16_t> units(bytes.size() / 2);
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    capitalise_key_lines(units, 1);
    for (std::size_t i = 0; i < units.size(); ++i) {
        bytes[2 * i] = static_cast<std::uint8_t>(units[i]);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(units[i] >> 8);
    }
    return bytes;
}

bool write_bytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(file.flush());
}

bool capitalise_export(const std::wstring& path, const std::wstring& folder) {
    std::vector<std::uint8_t> bytes;
    {
        std::ifstream file(std::filesystem::path(path), std::ios::binary);
        if (!file)
            return false;
        bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    bytes = capitalised(std::move(bytes));
    return write_bytes(path, bytes) && write_bytes(folder + L"\\" + kExportCopy, bytes);
}

// The export file of a "/e <file> <key>" call, or empty for any other call.
std::wstring export_file_of_call() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring file;
    if (arguments && count == 4 &&
        (lstrcmpiW(arguments[1], L"/e") == 0 || lstrcmpiW(arguments[1], L"-e") == 0))
        file = arguments[2];
    LocalFree(arguments);
    return file;
}

} // namespace

int main() {
    const std::wstring folder = own_folder();
    const DWORD exit_code = run_real_editor(folder);
    if (exit_code != 0)
        return static_cast<int>(exit_code);
    const std::wstring file = export_file_of_call();
    if (!file.empty() && !capitalise_export(file, folder))
        return kRewriteFailed;
    return 0;
}
