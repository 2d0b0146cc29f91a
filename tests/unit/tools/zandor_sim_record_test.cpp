#include "tools/zandor-sim/record.h"

#include <gtest/gtest.h>

namespace brixtel::zandor {
namespace {

TEST(Record, LinesReadBackAsWrittenWhateverTheRequestHolds) {
    for (const char* request : {"00000001,00000002 read output 1 02 05 100", "",
                                "two\nlines\r\tand a \\ backslash", "\\n is not a line feed"}) {
        const RecordLine line{12.345, 5001, {kLoopback, 5100}, "answered", request};
        const std::string text = record_line(line);
        EXPECT_EQ(text.find('\n'), std::string::npos);
        const auto back = parse_record_line(text);
        ASSERT_TRUE(back) << text;
        EXPECT_EQ(back->request, request);
        EXPECT_DOUBLE_EQ(back->seconds, 12.345);
        EXPECT_EQ(back->local_port, 5001);
        EXPECT_EQ(back->source, (Endpoint{kLoopback, 5100}));
        EXPECT_EQ(back->disposition, "answered");
    }
    EXPECT_EQ(record_line({1.5, 5001, {kLoopback, 5100}, "silent", "x y"}),
              "1.500\t5001\t127.0.0.1:5100\tsilent\tx y");
}

TEST(Record, RefusesDamagedLines) {
    for (const char* text :
         {"", "1.0\t5001\t127.0.0.1:5100\tanswered", "x\t5001\t127.0.0.1:5100\tanswered\tr",
          "1.0\t70000\t127.0.0.1:5100\tanswered\tr", "1.0\t5001\t127.0.0.1\tanswered\tr",
          "1.0\t5001\t127.0.0.1:5100\tanswered\tends in \\"})
        EXPECT_FALSE(parse_record_line(text)) << text;
}

} // namespace
} // namespace brixtel::zandor
