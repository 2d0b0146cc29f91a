#include "shell/win/reporting.h"

#include <atomic>
#include <cstdlib>
#include <cwchar>
#include <new>
#include <vector>

namespace brixtel {

namespace {

std::atomic<HWND> the_main_window{nullptr};

// LoadStringW fills a buffer and cuts what does not fit; a result that nearly fills the buffer
// may have been cut, so the buffer grows until the text comes back with room to spare.
constexpr int load_step = 512;
constexpr int longest_resource_text = 65535;

// The system formatter takes the inserts as an array of machine words: numbers as they are,
// texts as pointers to their characters.
std::vector<DWORD_PTR> insert_words(std::span<const MessageArg> inserts) {
    std::vector<DWORD_PTR> words;
    words.reserve(inserts.size());
    for (const MessageArg& insert : inserts) {
        words.push_back(insert.is_text() ? reinterpret_cast<DWORD_PTR>(insert.text().c_str())
                                         : static_cast<DWORD_PTR>(insert.number()));
    }
    return words;
}

// FormatMessageW on a text with inserts; nothing when it fails or gives nothing.
std::optional<std::wstring> system_format(std::wstring_view format,
                                          std::span<const MessageArg> inserts) {
    // The system formatter trusts the text: a number where it expects a text, or a missing
    // insert, would make it read past the array. The portable formatter applies the same
    // syntax and refuses such combinations first.
    if (!format_message(format, inserts)) {
        return std::nullopt;
    }
    const std::wstring source(format);
    std::vector<DWORD_PTR> words = insert_words(inserts);
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY,
        source.c_str(), 0, 0, reinterpret_cast<wchar_t*>(&buffer), 0,
        words.empty() ? nullptr : reinterpret_cast<va_list*>(words.data()));
    std::optional<std::wstring> result;
    if (length != 0 && buffer != nullptr) {
        result.emplace(buffer, length);
    }
    if (buffer != nullptr) {
        LocalFree(buffer);
    }
    return result;
}

void show_format_failure() {
    message_box(main_window(), ids::MessageNotDisplayed, ids::Error, MB_OK);
}

// The system's text for an error code, in the neutral language; empty when it has none.
std::wstring system_error_text(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM,
                                        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length != 0 && buffer != nullptr) {
        text.assign(buffer, length);
    }
    if (buffer != nullptr) {
        LocalFree(buffer);
    }
    return text;
}

// The out-of-memory box must not need the memory that has run out: its texts are loaded
// into fixed buffers at start-up. Should the resources lack them, the box shows the same
// texts from the compiled-in table, which lives in static storage.
constexpr int preload_size = 128;
wchar_t out_of_memory_text[preload_size] = {};
wchar_t out_of_memory_caption[preload_size] = {};
std::atomic_flag out_of_memory_shown = ATOMIC_FLAG_INIT;

void preload(StringId id, wchar_t (&buffer)[preload_size]) {
    LoadStringW(GetModuleHandleW(nullptr), id, buffer, preload_size);
}

const wchar_t* preloaded_or_table(const wchar_t* preloaded, StringId id) {
    // Table texts are string literals, so the view's characters end with a zero.
    return preloaded[0] != L'\0' ? preloaded : string_text(id).data();
}

void on_out_of_memory() {
    exit_out_of_memory();
}

} // namespace

void set_main_window(HWND window) {
    the_main_window.store(window);
}

HWND main_window() {
    return the_main_window.load();
}

std::wstring load_text(StringId id) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    std::wstring buffer;
    for (int size = load_step; size <= longest_resource_text + load_step; size += load_step) {
        buffer.assign(static_cast<std::size_t>(size), L'\0');
        const int length = LoadStringW(instance, id, buffer.data(), size);
        if (length < size - 2) {
            buffer.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
            return buffer;
        }
    }
    buffer.resize(std::wcslen(buffer.c_str()));
    return buffer;
}

int message_box(HWND owner, StringId text, StringId caption, UINT flags) {
    const std::wstring shown_text = load_text(text);
    const std::wstring shown_caption = load_text(caption);
    return MessageBoxW(owner, shown_text.c_str(), shown_caption.c_str(), flags);
}

int formatted_message_box(HWND owner, StringId text, StringId caption, UINT flags,
                          std::initializer_list<MessageArg> inserts) {
    return formatted_message_box(owner, text, caption, flags,
                                 std::span<const MessageArg>(inserts.begin(), inserts.size()));
}

int formatted_message_box(HWND owner, StringId text, StringId caption, UINT flags,
                          std::span<const MessageArg> inserts) {
    const std::wstring format = load_text(text);
    const std::wstring shown_caption = load_text(caption);
    const std::optional<std::wstring> formatted = system_format(format, inserts);
    if (!formatted) {
        show_format_failure();
    }
    return MessageBoxW(owner, formatted ? formatted->c_str() : L"", shown_caption.c_str(), flags);
}

int formatted_caption_box(HWND owner, StringId text, StringId caption, UINT flags,
                          const MessageArg& insert) {
    const std::wstring shown_text = load_text(text);
    const std::wstring format = load_text(caption);
    const std::optional<std::wstring> formatted =
        system_format(format, std::span<const MessageArg>(&insert, 1));
    if (!formatted) {
        show_format_failure();
    }
    return MessageBoxW(owner, shown_text.c_str(), formatted ? formatted->c_str() : L"", flags);
}

std::optional<std::wstring> format_text(std::wstring_view format,
                                        std::initializer_list<MessageArg> inserts) {
    return format_text(format, std::span<const MessageArg>(inserts.begin(), inserts.size()));
}

std::optional<std::wstring> format_text(std::wstring_view format,
                                        std::span<const MessageArg> inserts) {
    std::optional<std::wstring> formatted = system_format(format, inserts);
    if (!formatted) {
        show_format_failure();
    }
    return formatted;
}

void error_text_box() {
    const std::wstring text = system_error_text(GetLastError());
    formatted_message_box(nullptr, ids::PlainInsert, ids::GetLastErrorCaption, MB_ICONINFORMATION,
                          {text});
}

void api_error_box(std::wstring_view function_name) {
    const DWORD code = GetLastError();
    const std::wstring text = system_error_text(code);
    formatted_message_box(main_window(), ids::ApiError, ids::Error, MB_ICONEXCLAMATION,
                          {function_name, code, text});
}

void install_out_of_memory_handler() {
    preload(ids::OutOfMemory, out_of_memory_text);
    preload(ids::OutOfMemoryCaption, out_of_memory_caption);
    std::set_new_handler(on_out_of_memory);
}

void exit_out_of_memory() {
    // One box, however many threads run out at once; the others wait for the exit.
    if (!out_of_memory_shown.test_and_set()) {
        MessageBoxW(main_window(), preloaded_or_table(out_of_memory_text, ids::OutOfMemory),
                    preloaded_or_table(out_of_memory_caption, ids::OutOfMemoryCaption),
                    MB_ICONHAND | MB_SETFOREGROUND | MB_TOPMOST);
        ExitProcess(0);
    }
    for (;;) {
        Sleep(INFINITE);
    }
}

void* allocate_or_exit(std::size_t bytes) {
    void* memory = std::malloc(bytes == 0 ? 1 : bytes);
    if (memory == nullptr) {
        exit_out_of_memory();
    }
    return memory;
}

std::unique_ptr<wchar_t[]> allocate_text(std::size_t characters) {
    // new[] runs the new-handler on exhaustion, which ends the program.
    return std::make_unique<wchar_t[]>(characters == 0 ? 1 : characters);
}

void center_window(HWND window, HWND reference) {
    RECT own{};
    RECT ref{};
    if (!GetWindowRect(window, &own) || !GetWindowRect(reference, &ref)) {
        return;
    }
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    int x = ref.left + ((ref.right - ref.left) - width) / 2;
    int y = ref.top + ((ref.bottom - ref.top) - height) / 2;
    if (x < 0) {
        x = 0;
    }
    if (y < 0) {
        y = 0;
    }
    if (HDC dc = GetDC(window)) {
        const int screen_width = GetDeviceCaps(dc, HORZRES);
        const int screen_height = GetDeviceCaps(dc, VERTRES);
        ReleaseDC(window, dc);
        if (x + width > screen_width) {
            x = screen_width - width;
        }
        if (y + height > screen_height) {
            y = screen_height - height;
        }
    }
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

HTREEITEM insert_tree_item(HTREEITEM parent, std::wstring_view text, HTREEITEM insert_after,
                           int image, HWND tree, LPARAM data) {
    std::wstring label(text);
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = insert_after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = label.data();
    insert.item.iImage = image;
    insert.item.iSelectedImage = image;
    insert.item.lParam = data;
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void set_check_state(HWND tree, HTREEITEM item, UINT state_image) {
    TVITEMW update{};
    update.mask = TVIF_HANDLE | TVIF_STATE;
    update.hItem = item;
    update.stateMask = TVIS_STATEIMAGEMASK;
    update.state = INDEXTOSTATEIMAGEMASK(state_image);
    SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&update));
}

int get_check_state(HWND tree, HTREEITEM item) {
    TVITEMW query{};
    query.mask = TVIF_HANDLE | TVIF_STATE;
    query.hItem = item;
    query.stateMask = TVIS_STATEIMAGEMASK;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
    return static_cast<int>((query.state & TVIS_STATEIMAGEMASK) >> 12) - 1;
}

LPARAM get_item_data(HWND tree, HTREEITEM item) {
    TVITEMW query{};
    query.mask = TVIF_HANDLE | TVIF_PARAM;
    query.hItem = item;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
    return query.lParam;
}

void clear_tree(HWND dialog, int control_id, HIMAGELIST& image_list) {
    SendDlgItemMessageW(dialog, control_id, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    if (image_list != nullptr) {
        ImageList_RemoveAll(image_list);
        ImageList_Destroy(image_list);
        image_list = nullptr;
    }
}

} // namespace brixtel
