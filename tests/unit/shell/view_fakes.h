#pragma once
// A window and a drawing context that remember what the views did to them.
#include "shell/view_surface.h"

#include <algorithm>
#include <string>
#include <vector>

namespace brixtel::testing {

struct DrawnText {
    int x = 0;
    int y = 0;
    std::wstring text;
    TextColour colour = TextColour::Header;
    std::optional<ViewRect> fill;
};

struct Scrolled {
    int dx = 0;
    int dy = 0;
    std::optional<ViewRect> area;
    std::optional<ViewRect> clip;
};

class FakeCanvas : public ViewCanvas {
  public:
    ViewRect clip{0, 0, 640, 400};
    int line_height = 16;
    int fail_after = -1; // draws that succeed before drawing starts failing; -1 = never
    std::vector<DrawnText> drawn;

    ViewRect clip_box() override { return clip; }
    void set_colour(TextColour c) override { colour_ = c; }
    int text_height(std::wstring_view) override { return line_height; }
    bool draw_text(int x, int y, std::wstring_view text, std::optional<ViewRect> fill) override {
        if (fail_after == 0)
            return false;
        if (fail_after > 0)
            --fail_after;
        drawn.push_back({x, y, std::wstring(text), colour_, fill});
        return true;
    }

    // The texts drawn at height y, left to right.
    std::vector<std::wstring> row(int y) const {
        std::vector<DrawnText> cells;
        for (const DrawnText& d : drawn)
            if (d.y == y)
                cells.push_back(d);
        std::stable_sort(cells.begin(), cells.end(),
                         [](const DrawnText& a, const DrawnText& b) { return a.x < b.x; });
        std::vector<std::wstring> texts;
        for (const DrawnText& d : cells)
            texts.push_back(d.text);
        return texts;
    }
    const DrawnText* find(std::wstring_view text) const {
        for (const DrawnText& d : drawn)
            if (d.text == text)
                return &d;
        return nullptr;
    }

  private:
    TextColour colour_ = TextColour::Header;
};

// Keeps scroll bars the way the system does: a position never goes past max - page + 1.
class FakeViewWindow : public ViewWindow {
  public:
    ViewRect client{0, 0, 640, 400};
    ScrollBarState bars[2];
    std::vector<Scrolled> scrolls;
    std::vector<ViewRect> validated;
    int invalidations = 0;
    int erasing_invalidations = 0;
    int updates = 0;

    ViewRect client_rect() override { return client; }
    void invalidate(bool erase) override {
        ++invalidations;
        erasing_invalidations += erase ? 1 : 0;
    }
    void validate(const ViewRect& area) override { validated.push_back(area); }
    void scroll(int dx, int dy, std::optional<ViewRect> area,
                std::optional<ViewRect> clip) override {
        scrolls.push_back({dx, dy, area, clip});
    }
    ScrollBarState scroll_bar(ScrollBar which) override { return bar(which); }
    void set_scroll_bar(ScrollBar which, const ScrollBarUpdate& u, bool) override {
        ScrollBarState& b = bar(which);
        b.min = u.min.value_or(b.min);
        b.max = u.max.value_or(b.max);
        b.page = u.page.value_or(b.page);
        b.position = u.position.value_or(b.position);
        const int last = std::max(b.min, b.page > 0 ? b.max - b.page + 1 : b.max);
        b.position = std::clamp(b.position, b.min, last);
    }
    void update() override { ++updates; }

    ScrollBarState& bar(ScrollBar which) { return bars[which == ScrollBar::Vertical ? 1 : 0]; }
};

} // namespace brixtel::testing
