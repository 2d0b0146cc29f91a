// What the program draws, recorded inside it. Under Wine the contents of another process's
// window cannot be read back as text, so the hook DLL reroutes the program's own text, paint
// and scroll calls (ExtTextOutW, TextOutW, BeginPaint, EndPaint, ScrollWindowEx) through
// records in shared memory, and the driver reads those.
#pragma once

#include "tests/e2e/driver/program_hook.h"
#include "tests/e2e/hook/draw_wire.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel::e2e {

inline constexpr size_t kMaxDrawnText = draw_wire::kMaxText;

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};
std::ostream& operator<<(std::ostream& out, const Rect& rect);

// One ExtTextOutW or TextOutW call of the program.
struct DrawnText {
    uint32_t sequence = 0; // call order within the recording, from 1
    std::wstring text;     // the first kMaxDrawnText characters
    size_t length = 0;     // the characters the program passed
    int x = 0;
    int y = 0;
    UINT options = 0;         // ETO_* (0 for TextOutW)
    std::optional<Rect> rect; // the opaque or clip rectangle, when one was passed
    COLORREF text_color = 0;  // the DC's colours, background mode and alignment at the call
    COLORREF back_color = 0;
    int back_mode = 0;
    UINT align = 0;
    bool text_out = false; // drawn with TextOutW
    uint32_t paint = 0;    // number of the innermost paint open at the call, 0 outside any
    HWND window = nullptr; // the DC's window; null for a memory DC
    bool in_paint() const { return paint != 0; }
};

// One ScrollWindowEx call.
struct ScrolledArea {
    uint32_t sequence = 0;
    HWND window = nullptr;
    int dx = 0;
    int dy = 0;
    std::optional<Rect> scroll; // none: the whole client area
    std::optional<Rect> clip;   // none: no clipping
    UINT flags = 0;             // SW_*
    uint32_t paint = 0;
};

// One BeginPaint ... EndPaint pair.
struct PaintPass {
    uint32_t number = 0; // counts every paint of the program since the hook patched it
    HWND window = nullptr;
    Rect area;                   // PAINTSTRUCT::rcPaint
    bool erase = false;          // PAINTSTRUCT::fErase
    uint32_t begin_sequence = 0; // 0 when the paint began before the recording started
    uint32_t end_sequence = 0;   // 0 while the paint is still open
};

// Everything recorded, each list in call order; the sequence numbers order them among lists.
struct Drawing {
    std::vector<DrawnText> texts;
    std::vector<ScrolledArea> scrolls;
    std::vector<PaintPass> paints;
    uint32_t overflow = 0; // calls that found the records full and were not kept

    // Rows are the lines of text: texts that fill a rectangle without drawing a character
    // (ExtTextOutW with ETO_OPAQUE and no text) belong to none.
    std::vector<DrawnText> row(int y) const; // left to right
    std::vector<std::wstring> row_texts(int y) const;
    std::vector<int> rows() const; // distinct y values, top to bottom
    // The first text drawn exactly so (its kept characters), or null.
    const DrawnText* find(std::wstring_view text) const;
    std::optional<COLORREF> color_of(std::wstring_view text) const;
    // One line per text and scroll, for failure messages.
    std::string describe() const;
};

class DrawRecorder {
  public:
    DrawRecorder() = default;
    ~DrawRecorder();
    DrawRecorder(const DrawRecorder&) = delete;
    DrawRecorder& operator=(const DrawRecorder&) = delete;

    // Hooks the UI thread of `window` (sharing the hook with the menu reader), makes room for
    // `capacity` records and has the program's drawing calls rerouted (once per program; a
    // later attach to the same program reuses the records of the first, whatever their
    // number). Fails when the program imports neither ExtTextOutW nor TextOutW.
    ::testing::AssertionResult attach(HWND window, uint32_t capacity = draw_wire::kDefaultCapacity);
    void detach();
    HWND window() const { return window_; }
    uint32_t patched() const { return patched_; } // draw_wire::kExtTextOutW ... bits

    // Requests are posted messages, answered after everything posted before them: start()
    // clears the records and records from then on, stop() ends the recording and keeps it.
    ::testing::AssertionResult start();
    ::testing::AssertionResult stop();
    // Everything recorded since start(), including what commands posted before read() drew
    // while they were handled. A paint they caused may still be to come: use repaint().
    ::testing::AssertionResult read(Drawing* drawing);
    // Invalidates the whole client area of `window` (default: the attached window; it must
    // belong to the same thread) with erase, waits for the next complete paint of it and
    // returns what that paint drew. Records into the running recording, or into a fresh one
    // that ends with the paint.
    ::testing::AssertionResult repaint(Drawing* shown, HWND window = nullptr);

  private:
    ::testing::AssertionResult request(uint32_t operation, HWND window = nullptr);
    ::testing::AssertionResult collect(Drawing* drawing);
    bool paint_ended(uint32_t after, HWND window) const;

    HWND window_ = nullptr;
    std::shared_ptr<ProgramHook> hook_;
    HANDLE mapping_ = nullptr;
    draw_wire::Header* header_ = nullptr;
    LONG next_request_ = 0;
    uint32_t patched_ = 0;
};

} // namespace brixtel::e2e
