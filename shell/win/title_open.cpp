#include "shell/win/title_open.h"

#include "core/title_info.h"
#include "platform/text.h"
#include "shell/string_table.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

namespace brixtel::win {
namespace {

constexpr DWORD kShortPathChars = 512;
constexpr int kArgumentChars = 260;
constexpr int kStatusConnection = 5;

using TitleOpen = void*(WINAPI*)(const char*, void*, void*);
using TitleGetInfo = LONG(WINAPI*)(void*, UINT, LONG, char*);
using TitleClose = void(WINAPI*)(void*);

std::wstring without_surrounding_quotes(std::wstring text) {
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"')
        return text.substr(1, text.size() - 2);
    return text;
}

bool has_shortcut_extension(const std::wstring& path) {
    const std::wstring_view extension = extension_of(without_surrounding_quotes(path));
    return CompareStringOrdinal(extension.data(), static_cast<int>(extension.size()), L".LNK", 4,
                                TRUE) == CSTR_EQUAL;
}

std::optional<std::wstring> newest_file(const std::wstring& pattern) {
    const std::size_t slash = pattern.find_last_of(L"\\/");
    const std::wstring folder =
        slash == std::wstring::npos ? std::wstring() : pattern.substr(0, slash) + L"\\";
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::vector<ListedFile> listing;
    do {
        const std::uint64_t written =
            (static_cast<std::uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32) |
            found.ftLastWriteTime.dwLowDateTime;
        listing.push_back(
            {found.cFileName, found.dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY, written});
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return newest_matching_file(pattern, folder, listing);
}

std::wstring short_path(const std::wstring& path) {
    wchar_t buffer[kShortPathChars] = {};
    const DWORD length = GetShortPathNameW(path.c_str(), buffer, kShortPathChars);
    if (length == 0 || length >= kShortPathChars)
        return {};
    return std::wstring(buffer, length);
}

// The title library's three calls, or nothing when the library is missing.
class TitleLibrary {
  public:
    TitleLibrary() : module_(LoadLibraryW(kTitleLibrary)) {
        if (!module_)
            return;
        open_ = reinterpret_cast<TitleOpen>(
            reinterpret_cast<void*>(GetProcAddress(module_, "hMVTitleOpenEx")));
        info_ = reinterpret_cast<TitleGetInfo>(
            reinterpret_cast<void*>(GetProcAddress(module_, "lMVTitleGetInfo")));
        close_ = reinterpret_cast<TitleClose>(
            reinterpret_cast<void*>(GetProcAddress(module_, "MVTitleClose")));
    }
    ~TitleLibrary() {
        if (module_)
            FreeLibrary(module_);
    }
    TitleLibrary(const TitleLibrary&) = delete;
    TitleLibrary& operator=(const TitleLibrary&) = delete;

    bool usable() const { return open_ && info_ && close_; }
    void* open(const std::string& oem_path) const {
        return usable() ? open_(oem_path.c_str(), nullptr, nullptr) : nullptr;
    }
    std::optional<std::string> information(void* title) const {
        if (!usable() || !title)
            return std::nullopt;
        std::vector<char> buffer(kTitleInfoBufferBytes, '\0');
        const LONG copied =
            info_(title, kTitleInfoConfiguration, kTitleInfoBufferBytes, buffer.data());
        if (copied < 0)
            return std::nullopt;
        buffer.back() = '\0';
        return std::string(buffer.data());
    }
    void close(void* title) const {
        if (usable() && title)
            close_(title);
    }

  private:
    HMODULE module_;
    TitleOpen open_ = nullptr;
    TitleGetInfo info_ = nullptr;
    TitleClose close_ = nullptr;
};

} // namespace

std::wstring shortcut_arguments(HWND owner, const std::wstring& shortcut_path) {
    // The shell link object is a COM object; the main thread has no other use for COM.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::wstring arguments;
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t buffer[kArgumentChars] = {};
            if (SUCCEEDED(file->Load(shortcut_path.c_str(), STGM_READ)) &&
                SUCCEEDED(link->Resolve(owner, SLR_NO_UI)) &&
                SUCCEEDED(link->GetArguments(buffer, kArgumentChars)))
                arguments = without_surrounding_quotes(buffer);
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return arguments;
}

std::wstring resolve_title_path(HWND owner, std::wstring title_path) {
    if (has_shortcut_extension(title_path)) {
        title_path = without_surrounding_quotes(title_path);
        std::wstring arguments = shortcut_arguments(owner, title_path);
        if (!arguments.empty())
            title_path = std::move(arguments);
    }
    if (title_path.find(L'*') != std::wstring::npos) {
        if (auto newest = newest_file(title_path))
            title_path = std::move(*newest);
    }
    return title_path;
}

std::optional<std::string> read_title_information(HWND owner, const std::wstring& title_path) {
    const TitleLibrary library;
    const std::wstring path = resolve_title_path(owner, title_path);
    void* title = library.open(to_multibyte(short_path(path)));
    std::optional<std::string> information = library.information(title);
    library.close(title);
    return information;
}

void open_title_and_load_configuration(HWND owner, const std::wstring& title_path,
                                       LoopConfiguration& loops, PrivateProfile& profile,
                                       Seat& seat) {
    loops.load_configuration(read_title_information(owner, title_path), profile);
    if (loops.empty())
        seat.set_status_text(kStatusConnection, string_text(ids::NoMonitoringConfiguration));
}

} // namespace brixtel::win
