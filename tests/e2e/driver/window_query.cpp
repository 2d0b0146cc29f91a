#include "tests/e2e/driver/window_query.h"

#include "tests/e2e/driver/wait.h"

namespace brixtel::e2e {

std::optional<LRESULT> send_bounded(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_BLOCK,
                             static_cast<UINT>(scaled(kSendBound).count()), &result))
        return std::nullopt;
    return static_cast<LRESULT>(result);
}

DWORD window_process(HWND window) {
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    return process_id;
}

std::wstring window_class(HWND window) {
    wchar_t name[256] = {};
    const int length = GetClassNameW(window, name, 256);
    return std::wstring(name, length > 0 ? static_cast<size_t>(length) : 0);
}

std::wstring window_text(HWND window) {
    const auto length = send_bounded(window, WM_GETTEXTLENGTH);
    if (!length || *length <= 0)
        return {};
    std::wstring text(static_cast<size_t>(*length) + 1, L'\0');
    const auto copied =
        send_bounded(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied && *copied > 0 ? static_cast<size_t>(*copied) : 0);
    return text;
}

bool same_text(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

namespace {

struct TopSearch {
    DWORD process_id;
    std::vector<HWND> found;
};

BOOL CALLBACK collect_top(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<TopSearch*>(context);
    if (window_process(window) == search->process_id)
        search->found.push_back(window);
    return TRUE;
}

BOOL CALLBACK collect_child(HWND window, LPARAM context) {
    reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> top_windows_of(DWORD process_id) {
    TopSearch search{process_id, {}};
    EnumWindows(collect_top, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> child_windows(HWND parent) {
    std::vector<HWND> found;
    EnumChildWindows(parent, collect_child, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND find_top_window(DWORD process_id, std::wstring_view title, std::wstring_view class_name) {
    for (HWND window : top_windows_of(process_id)) {
        if (!IsWindowVisible(window))
            continue;
        if (!class_name.empty() && window_class(window) != class_name)
            continue;
        if (window_text(window) == title)
            return window;
    }
    return nullptr;
}

HWND find_child_by_class(HWND parent, std::wstring_view class_name) {
    for (HWND child : child_windows(parent))
        if (same_text(window_class(child), class_name))
            return child;
    return nullptr;
}

std::string narrow(std::wstring_view text) {
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size,
                        nullptr, nullptr);
    return result;
}

std::string describe_top_windows(DWORD process_id) {
    std::string list;
    for (HWND window : top_windows_of(process_id)) {
        if (!IsWindowVisible(window))
            continue;
        if (!list.empty())
            list += ", ";
        list += '"';
        list += narrow(window_text(window));
        list += "\" [";
        list += narrow(window_class(window));
        list += ']';
    }
    return list.empty() ? std::string("(no visible windows)") : list;
}

} // namespace brixtel::e2e
