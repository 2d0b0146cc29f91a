// Records the program's own drawing. The program reaches ExtTextOutW and the other functions
// below through its import address table; pointing those slots at the wrappers here sends
// every call through a record first, then on to the real function. Only the main module is
// patched: what the system's controls draw for themselves (status bar, dialogs) is not the
// program's drawing. Paint bookkeeping assumes painting happens on the UI thread, as it does.
#include "tests/e2e/hook/draw_hook.h"

#include "tests/e2e/hook/draw_wire.h"

#include <cstring>

namespace brixtel::e2e::draw_hook {

namespace {

using namespace draw_wire;

using ExtTextOutFunction = BOOL(WINAPI*)(HDC, int, int, UINT, const RECT*, LPCWSTR, UINT,
                                         const INT*);
using TextOutFunction = BOOL(WINAPI*)(HDC, int, int, LPCWSTR, int);
using BeginPaintFunction = HDC(WINAPI*)(HWND, LPPAINTSTRUCT);
using EndPaintFunction = BOOL(WINAPI*)(HWND, const PAINTSTRUCT*);
using ScrollWindowExFunction = int(WINAPI*)(HWND, int, int, const RECT*, const RECT*, HRGN, LPRECT,
                                            UINT);

// What the import slots held before the patch; the wrappers call on through these.
ULONG_PTR real_ext_text_out = 0;
ULONG_PTR real_text_out = 0;
ULONG_PTR real_begin_paint = 0;
ULONG_PTR real_end_paint = 0;
ULONG_PTR real_scroll_window_ex = 0;

template <class Function> Function real(ULONG_PTR address) {
    return reinterpret_cast<Function>(address);
}

// The driver's mapping. Its handle stays open for the life of the process so that the name
// keeps naming this mapping: a driver that attaches again must find the same records.
Header* block = nullptr;
uint32_t patched = 0;
bool patch_tried = false;
volatile LONG paints_begun = 0;

// Paints open on the UI thread, innermost last. BeginPaint nests no deeper than the window
// tree; paints past this depth are still counted but not named in records.
struct OpenPaint {
    HWND window;
    uint32_t number;
};
constexpr int kMaxOpenPaints = 32;
OpenPaint open_paints[kMaxOpenPaints];
int open_depth = 0;

uint32_t current_paint() {
    if (open_depth == 0)
        return 0;
    return open_paints[(open_depth < kMaxOpenPaints ? open_depth : kMaxOpenPaints) - 1].number;
}

uint32_t close_paint(HWND window) {
    const int named = open_depth < kMaxOpenPaints ? open_depth : kMaxOpenPaints;
    for (int index = named - 1; index >= 0; --index) {
        if (open_paints[index].window != window)
            continue;
        const uint32_t number = open_paints[index].number;
        for (int later = index + 1; later < named; ++later)
            open_paints[later - 1] = open_paints[later];
        --open_depth;
        return number;
    }
    if (open_depth > named)
        --open_depth;
    return 0;
}

uint32_t copy_rect(RECT& to, const RECT* from) {
    to = from ? *from : RECT{};
    return from != nullptr;
}

// The next record, or none when recording is off or the records are full (the claim still
// counts, so the driver learns how many calls found no room).
Record* claim(uint32_t kind) {
    Header* header = block;
    if (!header || InterlockedCompareExchange(&header->recording, 0, 0) == 0)
        return nullptr;
    const LONG sequence = InterlockedIncrement(&header->claimed);
    if (sequence <= 0 || static_cast<uint32_t>(sequence) > header->capacity)
        return nullptr;
    Record& record = records(header)[sequence - 1];
    record.kind = kind;
    record.sequence = static_cast<uint32_t>(sequence);
    record.paint = current_paint();
    record.window = 0;
    record.function = 0;
    record.x = 0;
    record.y = 0;
    record.options = 0;
    record.has_rect = 0;
    record.has_clip = 0;
    record.rect = RECT{};
    record.clip = RECT{};
    record.text_color = 0;
    record.back_color = 0;
    record.back_mode = 0;
    record.align = 0;
    record.length = 0;
    return &record;
}

void publish(Record& record) {
    InterlockedExchange(&record.ready, 1);
}

uint64_t handle_value(HWND window) {
    return reinterpret_cast<ULONG_PTR>(window);
}

void record_text(uint32_t function, HDC dc, int x, int y, UINT options, const RECT* rect,
                 const wchar_t* text, UINT count) {
    Record* record = claim(kText);
    if (!record)
        return;
    record->function = function;
    record->window = handle_value(WindowFromDC(dc));
    record->x = x;
    record->y = y;
    record->options = options;
    record->has_rect = copy_rect(record->rect, rect);
    record->text_color = GetTextColor(dc);
    record->back_color = GetBkColor(dc);
    record->back_mode = GetBkMode(dc);
    record->align = GetTextAlign(dc);
    record->length = text ? count : 0;
    const uint32_t kept = record->length < kMaxText ? record->length : kMaxText;
    if (kept)
        std::memcpy(record->text, text, kept * sizeof(wchar_t));
    publish(*record);
}

BOOL WINAPI ext_text_out(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text,
                         UINT count, const INT* dx) {
    record_text(kExtTextOutW, dc, x, y, options, rect, text, count);
    return real<ExtTextOutFunction>(real_ext_text_out)(dc, x, y, options, rect, text, count, dx);
}

BOOL WINAPI text_out(HDC dc, int x, int y, LPCWSTR text, int count) {
    record_text(kTextOutW, dc, x, y, 0, nullptr, text, count > 0 ? static_cast<UINT>(count) : 0);
    return real<TextOutFunction>(real_text_out)(dc, x, y, text, count);
}

HDC WINAPI begin_paint(HWND window, LPPAINTSTRUCT paint) {
    HDC dc = real<BeginPaintFunction>(real_begin_paint)(window, paint);
    if (!dc)
        return dc;
    const auto number = static_cast<uint32_t>(InterlockedIncrement(&paints_begun));
    if (open_depth < kMaxOpenPaints)
        open_paints[open_depth] = {window, number};
    ++open_depth;
    if (Record* record = claim(kPaintBegin)) {
        record->window = handle_value(window);
        record->options = paint->fErase;
        record->has_rect = copy_rect(record->rect, &paint->rcPaint);
        publish(*record);
    }
    return dc;
}

BOOL WINAPI end_paint(HWND window, const PAINTSTRUCT* paint) {
    const BOOL ended = real<EndPaintFunction>(real_end_paint)(window, paint);
    const uint32_t number = close_paint(window);
    if (Record* record = claim(kPaintEnd)) {
        record->paint = number;
        record->window = handle_value(window);
        publish(*record);
    }
    return ended;
}

int WINAPI scroll_window_ex(HWND window, int dx, int dy, const RECT* scroll, const RECT* clip,
                            HRGN update_region, LPRECT update_rect, UINT flags) {
    if (Record* record = claim(kScroll)) {
        record->window = handle_value(window);
        record->x = dx;
        record->y = dy;
        record->options = flags;
        record->has_rect = copy_rect(record->rect, scroll);
        record->has_clip = copy_rect(record->clip, clip);
        publish(*record);
    }
    return real<ScrollWindowExFunction>(real_scroll_window_ex)(window, dx, dy, scroll, clip,
                                                               update_region, update_rect, flags);
}

struct Target {
    const char* module;
    const char* name;
    uint32_t bit;
    ULONG_PTR wrapper;
    ULONG_PTR* real;
};

Target targets[] = {
    {"gdi32.dll", "ExtTextOutW", kExtTextOutW, reinterpret_cast<ULONG_PTR>(&ext_text_out),
     &real_ext_text_out},
    {"gdi32.dll", "TextOutW", kTextOutW, reinterpret_cast<ULONG_PTR>(&text_out), &real_text_out},
    {"user32.dll", "BeginPaint", kBeginPaint, reinterpret_cast<ULONG_PTR>(&begin_paint),
     &real_begin_paint},
    {"user32.dll", "EndPaint", kEndPaint, reinterpret_cast<ULONG_PTR>(&end_paint), &real_end_paint},
    {"user32.dll", "ScrollWindowEx", kScrollWindowEx,
     reinterpret_cast<ULONG_PTR>(&scroll_window_ex), &real_scroll_window_ex},
};

bool imported_by_name(const BYTE* base, const IMAGE_THUNK_DATA* thunk, const char* name) {
    if (!thunk || IMAGE_SNAP_BY_ORDINAL(thunk->u1.Ordinal))
        return false;
    const auto* by_name =
        reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + thunk->u1.AddressOfData);
    return std::strcmp(reinterpret_cast<const char*>(by_name->Name), name) == 0;
}

bool redirect(IMAGE_THUNK_DATA& slot, Target& target) {
    if (slot.u1.Function == target.wrapper)
        return true;
    DWORD protection = 0;
    if (!VirtualProtect(&slot.u1.Function, sizeof slot.u1.Function, PAGE_READWRITE, &protection))
        return false;
    // The real address first: another thread may call through the slot the moment it changes.
    *target.real = static_cast<ULONG_PTR>(slot.u1.Function);
    InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&slot.u1.Function),
                               reinterpret_cast<PVOID>(target.wrapper));
    VirtualProtect(&slot.u1.Function, sizeof slot.u1.Function, protection, &protection);
    return true;
}

// Reroutes every import slot of the main module that names one of the targets; returns the
// bits of the targets found.
uint32_t patch_main_module() {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE)
        return 0;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE)
        return 0;
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!directory.VirtualAddress)
        return 0;
    uint32_t found = 0;
    for (auto* entry =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         entry->Name; ++entry) {
        const char* module = reinterpret_cast<const char*>(base + entry->Name);
        const HMODULE loaded = GetModuleHandleA(module);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        // Without the name table the slots can still be told by the address they hold.
        const auto* names =
            entry->OriginalFirstThunk
                ? reinterpret_cast<const IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk)
                : nullptr;
        for (size_t index = 0; slots[index].u1.Function; ++index) {
            for (Target& target : targets) {
                if (_stricmp(module, target.module) != 0)
                    continue;
                const bool named =
                    imported_by_name(base, names ? &names[index] : nullptr, target.name);
                const bool same_address =
                    loaded && slots[index].u1.Function ==
                                  reinterpret_cast<ULONG_PTR>(GetProcAddress(loaded, target.name));
                if ((named || same_address) && redirect(slots[index], target))
                    found |= target.bit;
            }
        }
    }
    return found;
}

void patch_once() {
    if (patch_tried)
        return;
    patch_tried = true;
    // The patched slots point into this DLL, so it must stay loaded even after the driver
    // removes its hook.
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                            reinterpret_cast<LPCWSTR>(&patch_once), &self))
        return;
    patched = patch_main_module();
}

Header* open_block() {
    if (block)
        return block;
    HANDLE mapping = OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, FALSE,
                                      mapping_name(GetCurrentProcessId()).c_str());
    if (!mapping)
        return nullptr;
    auto* header =
        static_cast<Header*>(MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0));
    if (!header || header->magic != kMagic || header->version != kVersion ||
        header->record_size != sizeof(Record)) {
        if (header)
            UnmapViewOfFile(header);
        CloseHandle(mapping);
        return nullptr;
    }
    block = header;
    return block;
}

void start_recording(Header& header) {
    InterlockedExchange(&header.recording, 0);
    const auto claimed = static_cast<uint32_t>(InterlockedCompareExchange(&header.claimed, 0, 0));
    const uint32_t used = claimed < header.capacity ? claimed : header.capacity;
    for (uint32_t index = 0; index < used; ++index)
        InterlockedExchange(&records(&header)[index].ready, 0);
    InterlockedExchange(&header.claimed, 0);
    InterlockedExchange(&header.recording, 1);
}

// Invalidates the whole client area here, on the UI thread, so that the paints begun so far
// (the answer) and the paint that follows cannot interleave with it.
void invalidate_for_repaint(Header& header) {
    auto* window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(header.window));
    if (!IsWindow(window) || GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) {
        header.status = kStatusNotMyWindow;
        return;
    }
    header.was_recording = InterlockedCompareExchange(&header.recording, 0, 0) != 0;
    if (!header.was_recording)
        start_recording(header);
    header.paints = static_cast<uint32_t>(InterlockedCompareExchange(&paints_begun, 0, 0));
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
}

} // namespace

bool answer_if_request(const MSG& message) {
    static const UINT request_message = RegisterWindowMessageW(kRequestMessageName);
    if (request_message == 0 || message.message != request_message)
        return false;
    Header* header = open_block();
    if (!header)
        return true; // no mapping to answer in: the driver's wait runs out and says so
    header->status = kStatusOk;
    header->paints = static_cast<uint32_t>(InterlockedCompareExchange(&paints_begun, 0, 0));
    switch (header->operation) {
    case kAttach:
        patch_once();
        break;
    case kStart:
        start_recording(*header);
        break;
    case kStop:
        InterlockedExchange(&header->recording, 0);
        break;
    case kSync:
        break;
    case kRepaint:
        invalidate_for_repaint(*header);
        break;
    default:
        header->status = kStatusUnknownOperation;
        break;
    }
    header->patched = patched;
    InterlockedExchange(&header->completed_request, static_cast<LONG>(message.wParam));
    return true;
}

} // namespace brixtel::e2e::draw_hook
