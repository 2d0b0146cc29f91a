// The layout both sides of the draw recorder agree on. The driver creates a named file mapping
// (a header followed by a fixed number of records), writes a request into the header and posts
// the request message to a window of the program; the hook answers on the program's UI thread
// and publishes the request number last. While recording is on, the program's own text, paint
// and scroll calls each claim the next record.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace brixtel::e2e::draw_wire {

inline constexpr wchar_t kRequestMessageName[] = L"Brixtel.E2E.Draw";
inline constexpr uint32_t kMagic = 0x57415244; // "DRAW"
inline constexpr uint32_t kVersion = 1;
// Texts are kept up to this many characters; the length the program passed is kept whole.
inline constexpr uint32_t kMaxText = 256;
inline constexpr uint32_t kDefaultCapacity = 8192;

// Header::operation, written by the driver before it posts a request.
inline constexpr uint32_t kAttach = 1;  // open the mapping, patch the imports (once)
inline constexpr uint32_t kStart = 2;   // clear, then record
inline constexpr uint32_t kStop = 3;    // stop recording, keep the records
inline constexpr uint32_t kSync = 4;    // nothing: answered after everything posted before it
inline constexpr uint32_t kRepaint = 5; // record (clearing first if off), invalidate the window

// Header::status, written by the hook with its answer.
inline constexpr uint32_t kStatusOk = 0;
inline constexpr uint32_t kStatusUnknownOperation = 1;
inline constexpr uint32_t kStatusNotMyWindow = 2; // not a window of the hooked thread

// Record::kind.
inline constexpr uint32_t kText = 1;
inline constexpr uint32_t kScroll = 2;
inline constexpr uint32_t kPaintBegin = 3;
inline constexpr uint32_t kPaintEnd = 4;

// The functions the hook reroutes; Header::patched has a bit for each one it found among the
// program's imports, Record::function names the one that drew a text.
inline constexpr uint32_t kExtTextOutW = 1u << 0;
inline constexpr uint32_t kTextOutW = 1u << 1;
inline constexpr uint32_t kBeginPaint = 1u << 2;
inline constexpr uint32_t kEndPaint = 1u << 3;
inline constexpr uint32_t kScrollWindowEx = 1u << 4;

struct Record {
    volatile LONG ready; // set last, once the record is complete
    uint32_t kind;
    uint32_t sequence; // 1 for the first record after a start; overflowed calls count too
    uint32_t paint;    // number of the innermost paint open at the call, 0 outside any paint
    uint64_t window;   // text: the DC's window (0 for a memory DC); otherwise the window
    uint32_t function; // text: kExtTextOutW or kTextOutW
    int32_t x;         // text: position; scroll: dx
    int32_t y;         // text: position; scroll: dy
    uint32_t options;  // text: ETO_*; scroll: SW_*; paint begin: PAINTSTRUCT::fErase
    uint32_t has_rect; // text: opaque/clip rectangle; scroll: scroll rectangle; paint: rcPaint
    uint32_t has_clip; // scroll: clip rectangle
    RECT rect;
    RECT clip;
    uint32_t text_color; // COLORREFs of the DC at the call
    uint32_t back_color;
    int32_t back_mode; // OPAQUE or TRANSPARENT
    uint32_t align;    // TA_* of the DC at the call
    uint32_t length;   // characters the program passed; text holds at most kMaxText of them
    wchar_t text[kMaxText];
};

struct Header {
    uint32_t magic;
    uint32_t version;
    uint32_t capacity; // records after the header
    uint32_t record_size;
    // The request; only one is outstanding at a time.
    uint32_t operation;
    uint32_t reserved;
    uint64_t window;
    // The answer; completed_request is written last.
    uint32_t status;
    uint32_t patched; // kExtTextOutW ... bits of the functions rerouted
    uint32_t paints;  // paints begun since the patch, before this request's invalidation
    uint32_t was_recording;
    volatile LONG completed_request;
    // Recording state, changed by the hook on the program's UI thread.
    volatile LONG recording;
    volatile LONG claimed; // records claimed since the start; those past capacity overflowed
    uint32_t reserved2;
};

static_assert(sizeof(Header) % alignof(Record) == 0, "records follow the header aligned");

inline size_t mapping_size(uint32_t capacity) {
    return sizeof(Header) + static_cast<size_t>(capacity) * sizeof(Record);
}

inline Record* records(Header* header) {
    return reinterpret_cast<Record*>(header + 1);
}

// One mapping per target process, so several programs can be recorded side by side.
inline std::wstring mapping_name(DWORD process_id) {
    return L"Local\\BrixtelE2EDraw." + std::to_wstring(process_id);
}

} // namespace brixtel::e2e::draw_wire
