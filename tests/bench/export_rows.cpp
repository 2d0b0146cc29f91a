#include "tests/bench/export_rows.h"

#include <algorithm>
#include <map>

namespace brixtel::bench {

namespace {

constexpr wchar_t kMissing[] = L"MISSING";
// Data rows start four lines below the "Block" header row: "Tag", "Time", one blank line.
constexpr int kRowsBelowBlockHeader = 4;

const PaintedText* find_text(const std::vector<PaintedText>& texts, const wchar_t* wanted) {
    for (const PaintedText& text : texts)
        if (text.text == wanted)
            return &text;
    return nullptr;
}

} // namespace

bool looks_like_time(const std::wstring& text) {
    return text.size() >= 12 && text.find(L':') != std::wstring::npos &&
           text.find(L'.') != std::wstring::npos;
}

PageTally ExportRowTally::add_page(const std::vector<PaintedText>& texts) {
    PageTally page;
    const PaintedText* block = find_text(texts, L"Block");
    const PaintedText* tag = find_text(texts, L"Tag");
    if (!block || !tag || tag->y <= block->y)
        return page;
    page.header_found = true;
    const int first_row = block->y + kRowsBelowBlockHeader * (tag->y - block->y);

    // Empty cells draw no character: they are no part of a row.
    std::map<int, std::vector<const PaintedText*>> rows;
    for (const PaintedText& text : texts)
        if (text.y >= first_row && !text.text.empty())
            rows[text.y].push_back(&text);

    for (auto& [y, cells] : rows) {
        std::sort(cells.begin(), cells.end(),
                  [](const PaintedText* a, const PaintedText* b) { return a->x < b->x; });
        ++page.rows;
        const bool timed =
            cells.size() >= 2 && looks_like_time(cells[0]->text) && looks_like_time(cells[1]->text);
        if (!timed) {
            ++page.untimed_rows;
            ++untimed_;
            ++rows_;
            continue;
        }
        if (!seen_.insert(cells[0]->text + L'\t' + cells[1]->text).second)
            continue;
        ++page.new_rows;
        ++rows_;
        const bool all_values =
            cells.size() == points_ + 2 &&
            std::none_of(cells.begin() + 2, cells.end(),
                         [](const PaintedText* cell) { return cell->text == kMissing; });
        if (all_values)
            ++complete_;
    }
    return page;
}

} // namespace brixtel::bench
