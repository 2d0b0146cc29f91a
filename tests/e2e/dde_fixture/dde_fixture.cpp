// A small DDEML server with known answers, for the DDE client's own test (see dde_fixture.h):
// it answers requests, advises a counter, holds one item's request back until told to release
// it, and accepts or refuses pokes and commands.
#include "tests/e2e/dde_fixture/dde_fixture.h"

#include <ddeml.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace brixtel::e2e::dde_fixture;

constexpr UINT_PTR kTickTimer = 1;

DWORD instance = 0;
HSZ service_handle = nullptr;
UINT xltable = 0;
long counter = 0;
bool held_released = false;
std::vector<HCONV> held_conversations;
// Open hot links per item (upper case); a client may link the same item more than once.
std::map<std::wstring, int> links;

std::wstring text_of(HSZ handle) {
    wchar_t text[256] = {};
    const DWORD length = DdeQueryStringW(instance, handle, text, 256, CP_WINUNICODE);
    return std::wstring(text, length < 256 ? length : 255);
}

std::wstring upper(std::wstring text) {
    if (!text.empty())
        CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

bool same(const std::wstring& a, const wchar_t* b) {
    return upper(a) == upper(b);
}

// Some DDE libraries hand a registered format over sign-extended.
bool is_xltable(UINT format) {
    return (format & 0xFFFF) == (xltable & 0xFFFF);
}

HDDEDATA as_text(HSZ item, const std::wstring& text) {
    const int size =
        WideCharToMultiByte(CP_OEMCP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_OEMCP, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    return DdeCreateDataHandle(instance, reinterpret_cast<LPBYTE>(bytes.data()),
                               static_cast<DWORD>(bytes.size()), 0, item, CF_TEXT, 0);
}

HDDEDATA as_table(HSZ item, double value) {
    uint8_t bytes[20] = {0x10, 0, 4, 0, 1, 0, 1, 0, 0x01, 0, 8, 0};
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i)
        bytes[12 + i] = static_cast<uint8_t>(bits >> (8 * i));
    return DdeCreateDataHandle(instance, bytes, sizeof bytes, 0, item, xltable, 0);
}

int open_links() {
    int total = 0;
    for (const auto& [item, count] : links)
        total += count;
    return total;
}

HDDEDATA answer_request(UINT format, HCONV conversation, HSZ item_handle) {
    const std::wstring item = text_of(item_handle);
    if (same(item, kGreetingItem))
        return as_text(item_handle, kGreetingText);
    if (same(item, kNumberItem))
        return is_xltable(format) ? as_table(item_handle, kNumber)
                                  : as_text(item_handle, kNumberText);
    if (same(item, kLinksItem))
        return as_text(item_handle, std::to_wstring(open_links()));
    if (same(item, kHeldItem)) {
        if (held_released)
            return as_text(item_handle, kReleasedText);
        held_conversations.push_back(conversation);
        return CBR_BLOCK;
    }
    return nullptr;
}

HDDEDATA acknowledged(bool yes) {
    return reinterpret_cast<HDDEDATA>(static_cast<ULONG_PTR>(yes ? DDE_FACK : DDE_FNOTPROCESSED));
}

bool accepted_command(HDDEDATA data) {
    std::vector<uint8_t> bytes(DdeGetData(data, nullptr, 0, 0));
    if (bytes.empty())
        return false;
    DdeGetData(data, bytes.data(), static_cast<DWORD>(bytes.size()), 0);
    // A Unicode server gets the command as UTF-16.
    std::wstring command(reinterpret_cast<const wchar_t*>(bytes.data()),
                         bytes.size() / sizeof(wchar_t));
    command.resize(std::wcslen(command.c_str()));
    return command == kAcceptedCommand;
}

HDDEDATA CALLBACK callback(UINT type, UINT format, HCONV conversation, HSZ hsz1, HSZ hsz2,
                           HDDEDATA data, ULONG_PTR, ULONG_PTR) {
    switch (type) {
    case XTYP_CONNECT:
        return reinterpret_cast<HDDEDATA>(
            static_cast<ULONG_PTR>(text_of(hsz1) == kTopic && same(text_of(hsz2), kService)));
    case XTYP_REQUEST:
        return answer_request(format, conversation, hsz2);
    case XTYP_ADVSTART: {
        const std::wstring item = upper(text_of(hsz2));
        if (item == upper(kRefusedItem))
            return nullptr;
        ++links[item];
        return reinterpret_cast<HDDEDATA>(static_cast<ULONG_PTR>(TRUE));
    }
    case XTYP_ADVREQ:
        return is_xltable(format) ? as_table(hsz2, static_cast<double>(counter))
                                  : as_text(hsz2, std::to_wstring(counter));
    case XTYP_ADVSTOP: {
        const auto found = links.find(upper(text_of(hsz2)));
        if (found != links.end() && --found->second <= 0)
            links.erase(found);
        return nullptr;
    }
    case XTYP_POKE:
        return acknowledged(same(text_of(hsz2), kPokeItem) && format == CF_TEXT);
    case XTYP_EXECUTE:
        return acknowledged(accepted_command(data));
    case XTYP_DISCONNECT:
        std::erase(held_conversations, conversation);
        return nullptr;
    default:
        return nullptr;
    }
}

void advance(HSZ topic) {
    ++counter;
    for (const auto& [item, count] : links) {
        HSZ item_handle = DdeCreateStringHandleW(instance, item.c_str(), CP_WINUNICODE);
        DdePostAdvise(instance, topic, item_handle);
        DdeFreeStringHandle(instance, item_handle);
    }
}

void release_held() {
    held_released = true;
    for (HCONV conversation : std::exchange(held_conversations, {}))
        DdeEnableCallback(instance, conversation, EC_ENABLEONE);
}

HSZ topic_handle = nullptr;

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case kAdvance:
    case WM_TIMER:
        advance(topic_handle);
        return 0;
    case kRelease:
        release_held();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wparam, lparam);
    }
}

UINT tick_from(int argc, wchar_t** argv) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::wcscmp(argv[i], L"--tick") == 0)
            return static_cast<UINT>(_wtoi(argv[i + 1]));
    return 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE module, HINSTANCE, PWSTR, int) {
    xltable = RegisterClipboardFormatW(L"XlTable");
    if (DdeInitializeW(&instance, callback, CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS, 0) !=
        DMLERR_NO_ERROR)
        return 1;
    service_handle = DdeCreateStringHandleW(instance, kService, CP_WINUNICODE);
    topic_handle = DdeCreateStringHandleW(instance, kTopic, CP_WINUNICODE);
    if (!DdeNameService(instance, service_handle, nullptr, DNS_REGISTER))
        return 1;

    WNDCLASSW window_class{};
    window_class.lpfnWndProc = window_procedure;
    window_class.hInstance = module;
    window_class.lpszClassName = kWindowClass;
    RegisterClassW(&window_class);
    // Made after the service is registered, so a test that finds it can connect at once.
    HWND window =
        CreateWindowExW(0, kWindowClass, L"DDE fixture", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 200, 100, nullptr, nullptr, module, nullptr);
    if (!window)
        return 1;
    if (const UINT tick = tick_from(__argc, __wargv); tick > 0)
        SetTimer(window, kTickTimer, tick, nullptr);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    DdeNameService(instance, service_handle, nullptr, DNS_UNREGISTER);
    DdeFreeStringHandle(instance, service_handle);
    DdeFreeStringHandle(instance, topic_handle);
    DdeUninitialize(instance);
    return 0;
}
