// The draw recorder against a small fixture window whose drawing is known: what a paint drew
// (texts, positions, colours), drawing outside a paint, scrolling, and a full record buffer.
#include "tests/e2e/draw_fixture/draw_fixture.h"
#include "tests/e2e/driver/brixtel_process.h"
#include "tests/e2e/driver/draw_recorder.h"
#include "tests/e2e/driver/window_query.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace brixtel::e2e {
namespace {

namespace fixture = draw_fixture;

std::wstring fixture_path() {
    return suite_file(L"draw_fixture.exe");
}

class DrawRecorderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(program.start({}, fixture_path()));
        ASSERT_TRUE(program.wait_for_main_window());
    }

    ::testing::AssertionResult attach(uint32_t capacity = draw_wire::kDefaultCapacity) {
        return recorder.attach(program.main_window(), capacity);
    }

    BrixtelProcess program;
    DrawRecorder recorder;
};

TEST_F(DrawRecorderTest, RepaintReturnsWhatOnePaintDrew) {
    ASSERT_TRUE(attach());
    Drawing shown;
    ASSERT_TRUE(recorder.repaint(&shown));
    SCOPED_TRACE(shown.describe());
    ASSERT_EQ(shown.paints.size(), 1u);
    const uint32_t paint = shown.paints[0].number;
    EXPECT_EQ(shown.paints[0].window, program.main_window());
    EXPECT_EQ(shown.texts.size(), std::size(fixture::kLines) + 2);

    for (const fixture::Line& line : fixture::kLines) {
        SCOPED_TRACE(narrow(line.text));
        const DrawnText* text = shown.find(line.text);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->x, line.x);
        EXPECT_EQ(text->y, line.y);
        EXPECT_EQ(text->text_color, line.color);
        EXPECT_EQ(text->back_color, line.back);
        EXPECT_EQ(text->paint, paint);
        EXPECT_EQ(text->options, line.opaque ? UINT{ETO_OPAQUE} : 0u);
        EXPECT_EQ(text->rect.has_value(), line.opaque);
        EXPECT_FALSE(text->text_out);
    }
    EXPECT_EQ(shown.row_texts(10),
              (std::vector<std::wstring>{L"Blue request line", L"Green answer"}));
    EXPECT_EQ(shown.rows(),
              (std::vector<int>{10, 30, 50, fixture::kTextOutY, fixture::kLongTextY}));

    const DrawnText* text_out = shown.find(fixture::kTextOutText);
    ASSERT_NE(text_out, nullptr);
    EXPECT_TRUE(text_out->text_out);
    EXPECT_EQ(shown.color_of(fixture::kTextOutText), fixture::kTextOutColor);

    const std::vector<DrawnText> long_row = shown.row(fixture::kLongTextY);
    ASSERT_EQ(long_row.size(), 1u);
    EXPECT_EQ(long_row[0].text.size(), kMaxDrawnText);
    EXPECT_EQ(long_row[0].length, static_cast<size_t>(fixture::kLongTextLength));
    EXPECT_EQ(long_row[0].text.substr(0, 12), L"012345678901");
    EXPECT_EQ(long_row[0].options, UINT{ETO_CLIPPED});
    const RECT& clip = fixture::kLongTextClip;
    EXPECT_EQ(long_row[0].rect, (Rect{clip.left, clip.top, clip.right, clip.bottom}));

    // Each repaint is a paint of its own, never the one before.
    Drawing again;
    ASSERT_TRUE(recorder.repaint(&again));
    ASSERT_EQ(again.paints.size(), 1u);
    EXPECT_GT(again.paints[0].number, paint);
    EXPECT_EQ(again.texts.size(), shown.texts.size());
}

TEST_F(DrawRecorderTest, RecordsDirectDrawingOutsideAnyPaintOnlyWhileOn) {
    ASSERT_TRUE(attach());
    ASSERT_TRUE(recorder.start());
    ASSERT_TRUE(program.post(fixture::kDrawDirect));
    Drawing drawn;
    ASSERT_TRUE(recorder.read(&drawn));
    SCOPED_TRACE(drawn.describe());
    const DrawnText* direct = drawn.find(fixture::kDirectText);
    ASSERT_NE(direct, nullptr);
    EXPECT_FALSE(direct->in_paint());
    EXPECT_EQ(direct->x, fixture::kDirectX);
    EXPECT_EQ(direct->y, fixture::kDirectY);
    EXPECT_EQ(direct->text_color, fixture::kDirectColor);
    EXPECT_EQ(direct->window, program.main_window());

    ASSERT_TRUE(recorder.stop());
    ASSERT_TRUE(program.post(fixture::kDrawDirect));
    ASSERT_TRUE(recorder.read(&drawn));
    EXPECT_EQ(
        std::count_if(drawn.texts.begin(), drawn.texts.end(),
                      [](const DrawnText& text) { return text.text == fixture::kDirectText; }),
        1);

    ASSERT_TRUE(recorder.start());
    ASSERT_TRUE(recorder.read(&drawn));
    EXPECT_EQ(drawn.find(fixture::kDirectText), nullptr) << drawn.describe();
}

TEST_F(DrawRecorderTest, RecordsTheScrolledArea) {
    ASSERT_TRUE(attach());
    ASSERT_TRUE(recorder.start());
    ASSERT_TRUE(program.post(fixture::kScroll));
    Drawing drawn;
    ASSERT_TRUE(recorder.read(&drawn));
    ASSERT_EQ(drawn.scrolls.size(), 1u) << drawn.describe();
    const ScrolledArea& scroll = drawn.scrolls[0];
    const RECT& area = fixture::kScrollArea;
    const Rect expected{area.left, area.top, area.right, area.bottom};
    EXPECT_EQ(scroll.window, program.main_window());
    EXPECT_EQ(scroll.dx, 0);
    EXPECT_EQ(scroll.dy, fixture::kScrollDy);
    EXPECT_EQ(scroll.scroll, expected);
    EXPECT_EQ(scroll.clip, expected);
    EXPECT_EQ(scroll.flags, fixture::kScrollFlags);
    EXPECT_EQ(scroll.paint, 0u);
}

TEST_F(DrawRecorderTest, FullRecordsCountTheOverflowAndKeepTheFirstCalls) {
    // A paint draws six texts between its begin and end: four records cannot hold it.
    ASSERT_TRUE(attach(4));
    Drawing shown;
    const ::testing::AssertionResult repainted = recorder.repaint(&shown);
    ASSERT_FALSE(repainted);
    EXPECT_NE(std::string(repainted.message()).find("filled up"), std::string::npos)
        << repainted.message();

    ASSERT_TRUE(recorder.start());
    for (int call = 0; call < 6; ++call)
        ASSERT_TRUE(program.post(fixture::kDrawDirect));
    Drawing drawn;
    ASSERT_TRUE(recorder.read(&drawn));
    EXPECT_EQ(drawn.overflow, 2u);
    std::vector<uint32_t> sequences;
    for (const DrawnText& text : drawn.texts)
        sequences.push_back(text.sequence);
    EXPECT_EQ(sequences, (std::vector<uint32_t>{1, 2, 3, 4})) << drawn.describe();
}

TEST_F(DrawRecorderTest, MenuIsStillReadThroughTheSharedHook) {
    ASSERT_TRUE(attach());
    Menu menu;
    ASSERT_TRUE(program.read_menu(&menu));
    const MenuItem* item = menu.find(fixture::kMenuDrawDirect);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(narrow(item->text), "Draw &directly");
    // And the recorder goes on answering after the menu reader came and went.
    ASSERT_TRUE(recorder.start());
    ASSERT_TRUE(program.post_command(fixture::kMenuDrawDirect));
    Drawing drawn;
    ASSERT_TRUE(recorder.read(&drawn));
    EXPECT_NE(drawn.find(fixture::kDirectText), nullptr) << drawn.describe();
}

} // namespace
} // namespace brixtel::e2e
