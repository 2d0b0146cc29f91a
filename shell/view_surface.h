#pragma once
// What the two views need from the window they are drawn in. The Win32 shell implements
// these over the Main window and a device context; unit tests record the calls.
#include <optional>
#include <string_view>

namespace brixtel {

struct ViewRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    ViewRect moved_down(int pixels) const { return {left, top + pixels, right, bottom}; }
    friend bool operator==(const ViewRect&, const ViewRect&) = default;
};

enum class ScrollBar { Horizontal, Vertical };

struct ScrollBarState {
    int min = 0;
    int max = 0;
    int page = 0;
    int position = 0;
};

// What one change to a scroll bar sets; fields left empty keep their value.
struct ScrollBarUpdate {
    std::optional<int> min;
    std::optional<int> max;
    std::optional<int> page;
    std::optional<int> position;
};

// The colours of a record: blue for what the program sent or reported, green for what came
// back; the Export View's header texts keep the context's own colour.
enum class TextColour { Sent, Received, Header };

// A drawing context of the window (the painting one or one taken for direct drawing), with
// the stock fixed font selected on a white background.
class ViewCanvas {
  public:
    virtual ~ViewCanvas() = default;
    virtual ViewRect clip_box() = 0;
    virtual void set_colour(TextColour colour) = 0;
    virtual int text_height(std::wstring_view text) = 0;
    // Draws the text at (x, y) over a filled background: `fill` when given, else the text's
    // own extent. False when drawing failed.
    virtual bool draw_text(int x, int y, std::wstring_view text,
                           std::optional<ViewRect> fill = std::nullopt) = 0;
};

class ViewWindow {
  public:
    virtual ~ViewWindow() = default;
    virtual ViewRect client_rect() = 0;
    virtual void invalidate(bool erase) = 0;
    // Takes an area out of what the next paint must draw: it has been drawn already.
    virtual void validate(const ViewRect& area) = 0;
    // Moves the pixels of `area` (the whole client area when empty), clipped to `clip`, by
    // (dx, dy); what is uncovered is invalidated and erased.
    virtual void scroll(int dx, int dy, std::optional<ViewRect> area,
                        std::optional<ViewRect> clip) = 0;
    virtual ScrollBarState scroll_bar(ScrollBar bar) = 0;
    // Changes only what differs, and redraws the bar only then.
    virtual void set_scroll_bar(ScrollBar bar, const ScrollBarUpdate& update, bool redraw) = 0;
    // Paints what is invalid now, before returning.
    virtual void update() = 0;
};

} // namespace brixtel
