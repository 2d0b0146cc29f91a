// Counting the Export View's rows from what its paints drew, page after page, as a user
// scrolling through the View buffer would read them. Portable, so that the counting rules are
// tested natively; the bench driver feeds it the draw recorder's texts.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <vector>

namespace brixtel::bench {

// One text of a paint, where it was drawn.
struct PaintedText {
    std::wstring text;
    int x = 0;
    int y = 0;
};

// What one page added to the count.
struct PageTally {
    bool header_found = false;    // the "Block" and "Tag" header rows were drawn
    std::size_t rows = 0;         // data rows on the page
    std::size_t new_rows = 0;     // rows not seen on an earlier page
    std::size_t untimed_rows = 0; // rows without both time cells (cannot be told apart)
};

// Rows are told apart by their two time cells (first and latest answer of the cycle, to the
// millisecond), since consecutive pages overlap. A row is complete when every point's cell
// holds a value: none is missing from the paint and none reads "MISSING".
class ExportRowTally {
  public:
    explicit ExportRowTally(std::size_t points) : points_(points) {}

    PageTally add_page(const std::vector<PaintedText>& texts);

    std::size_t rows() const { return rows_; }
    std::size_t complete_rows() const { return complete_; }
    // Rows without time cells are counted on every page that shows them.
    std::size_t untimed_rows() const { return untimed_; }
    double complete_share() const {
        return rows_ == 0 ? 0.0 : static_cast<double>(complete_) / static_cast<double>(rows_);
    }

  private:
    std::size_t points_;
    std::set<std::wstring> seen_;
    std::size_t rows_ = 0;
    std::size_t complete_ = 0;
    std::size_t untimed_ = 0;
};

// A time cell as the views draw it: "hh:mm:ss.mmm" in the locale's order, at least 12
// characters with a colon and the milliseconds' point.
bool looks_like_time(const std::wstring& text);

} // namespace brixtel::bench
