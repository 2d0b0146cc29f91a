#include "tools/zandor-sim/plant.h"

#include <gtest/gtest.h>

namespace brixtel::zandor {
namespace {

struct LineCase {
    const char* line;
    double seconds;
    const char* result; // the read result, or the start of the error when `fails`
    bool fails = false;
};

class PlantLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(PlantLines, GiveTheirReadResultOrARefusal) {
    const PlantLine parsed = parse_plant_line(GetParam().line);
    if (GetParam().fails) {
        EXPECT_FALSE(parsed.entry);
        EXPECT_TRUE(parsed.error.starts_with(GetParam().result)) << parsed.error;
        return;
    }
    ASSERT_TRUE(parsed.entry) << parsed.error;
    EXPECT_EQ(read_result(*parsed.entry, GetParam().seconds).value_or("<none>"), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PlantLines,
    ::testing::Values(LineCase{"1 2 5 100 real 12.5 degC", 0, "OK REAL\n12.5 degC"},
                      LineCase{"1 2 5 100   real   -0.125", 0, "OK REAL\n-0.125"},
                      LineCase{"1 2 5 100 int 42 rpm per min", 0, "OK INT\n42 rpm per min"},
                      LineCase{"1 2 5 100 string  Two  words", 0, "OK STRING\nTwo  words"},
                      LineCase{"1 2 5 100 string", 0, "OK STRING\n"},
                      LineCase{"1 2 5 100 answer ERROR 7", 0, "ERROR 7"},
                      LineCase{"1 2 5 100 answer OK REAL\\n1\\n2 \\\\ x", 0, "OK REAL\n1\n2 \\ x"},
                      LineCase{"1 2 5 100 silent", 0, "<none>"},
                      // sine(middle, amplitude, period): a quarter period is the top.
                      LineCase{"1 2 5 100 real sine(10,5,40)", 10, "OK REAL\n15.00"},
                      LineCase{"1 2 5 100 real sine(10,5,40)", 30, "OK REAL\n5.00"},
                      LineCase{"1 2 5 100 int sine(10,5,40) l", 10, "OK INT\n15 l"},
                      // ramp(start, per second, top) wraps back to the start at the top.
                      LineCase{"1 2 5 100 int ramp(0,1,100)", 42.7, "OK INT\n42"},
                      LineCase{"1 2 5 100 int ramp(0,1,100)", 142.7, "OK INT\n42"},
                      LineCase{"1 2 5 100 real ramp(10,-2,0)", 2, "OK REAL\n6.00"},
                      LineCase{"1 2 5 100 int ramp(0,-1,-10)", 0.5, "OK INT\n-1"},
                      LineCase{"1 2 5", 0, "expected", true},
                      LineCase{"1 2 x 100 real 1", 0, "\"x\" is neither", true},
                      LineCase{"1 2 5 100 float 1", 0, "unknown kind", true},
                      LineCase{"1 2 5 100 real", 0, "a value is missing", true},
                      LineCase{"1 2 5 100 real 12,5", 0, "\"12,5\" is not a number", true},
                      LineCase{"1 2 5 100 int 1.5", 0, "\"1.5\" is not a whole number", true},
                      LineCase{"1 2 5 100 real nan", 0, "\"nan\" is not a number", true},
                      LineCase{"1 2 5 100 real sine(inf,1,1)", 0, "\"sine(inf,1,1)\" is not", true},
                      LineCase{"1 2 5 100 real sine(1,2)", 0, "\"sine(1,2)\" is not", true},
                      LineCase{"1 2 5 100 real sine(1,2,0)", 0, "the period", true},
                      LineCase{"1 2 5 100 real ramp(0,1,-5)", 0, "ramp(", true},
                      LineCase{"1 2 5 100 answer", 0, "an answer text is missing", true},
                      LineCase{"1 2 5 100 silent please", 0, "silent takes nothing", true}));

TEST(Plant, FirstMatchingEntryWinsAndStarsMatchAnything) {
    const PlantParse parsed = parse_plant("# comment\r\n"
                                          "\n"
                                          "   # indented comment\n"
                                          "1 * 5 100 int 1\r\n"
                                          "1 2 5 100 int 2\n"
                                          "* * * * answer ERROR 105\n");
    ASSERT_TRUE(parsed.plant) << parsed.error;
    Plant plant = *parsed.plant;
    EXPECT_EQ(plant.size(), 3u);
    const auto answer_at = [&](PlantAddress address) {
        const PlantEntry* entry = plant.find(address);
        return entry ? read_result(*entry, 0).value_or("") : "<no entry>";
    };
    EXPECT_EQ(answer_at({1, 2, 5, 100}), "OK INT\n1");
    EXPECT_EQ(answer_at({1, -1, 5, 100}), "OK INT\n1");
    EXPECT_EQ(answer_at({1, 2, 5, 101}), "ERROR 105");
    plant.put_first(*parse_plant_line("1 2 5 100 int 3").entry);
    EXPECT_EQ(answer_at({1, 2, 5, 100}), "OK INT\n3");
    EXPECT_EQ(answer_at({1, 7, 5, 100}), "OK INT\n1");

    EXPECT_EQ(Plant{}.find({1, 2, 3, 4}), nullptr);
}

TEST(Plant, ReportsTheLineOfTheFirstFault) {
    const PlantParse parsed = parse_plant("1 2 5 100 int 1\n# fine\n1 2 5 101 real x\n1 2 q\n");
    EXPECT_FALSE(parsed.plant);
    EXPECT_EQ(parsed.error_line, 3);
}

TEST(Plant, BuiltInPlantOffersEveryErrorAndInformationAnswer) {
    const PlantParse parsed = parse_plant(default_plant_text());
    ASSERT_TRUE(parsed.plant) << parsed.error_line << ": " << parsed.error;
    std::string all;
    for (int block = 1; block <= 16; ++block)
        all += read_result(*parsed.plant->find({1, 2, 9, block}), 0).value_or("") + "|";
    for (const char* phrase :
         {"ERROR 105|", "ERROR 7|", "ERROR Missing Parameter", "ERROR Failed to dequeue response",
          "ERROR Invalid response from CIU", "ERROR Unknown response code 99",
          "ERROR Failed to resend request", "ERROR Invalid Zero Loop and PCU",
          "INFO Cannot reach PCU", "IP_BLOCKED Invalid IP Address",
          "USER_BLOCKED Invalid User Name", "USER_BLOCKED User Name Not Approved"})
        EXPECT_NE(all.find(phrase), std::string::npos) << phrase;
}

} // namespace
} // namespace brixtel::zandor
