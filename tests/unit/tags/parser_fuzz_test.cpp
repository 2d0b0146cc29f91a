// Random and mutated files must never make the parsers read outside the bytes they are given
// (the sanitizer build checks every access) nor invent records.
#include "tags/dbase_file.h"
#include "tags/text_database.h"

#include "dbase_writer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace brixtel {
namespace {

std::string valid_dbf() {
    const std::vector<testing::DbfField> fields = {
        {"TAGNAME", 10}, {"LOOP", 3}, {"PCU", 3}, {"MODULE", 3}, {"BLOCK", 5}};
    return testing::dbf_bytes({fields,
                               {testing::dbf_record(fields, {"A", "1", "2", "3", "4"}),
                                testing::dbf_record(fields, {"B", "5", "6", "7", "8"})}});
}

std::string valid_text() {
    return "TAGNAME,LOOP,PCU,MODULE,BLOCK\r\nA,1,2,3,4\r\n\"B\",5,6,7,8,9\r\n";
}

std::string mutated(std::string bytes, std::mt19937& random) {
    std::uniform_int_distribution<int> kind(0, 3);
    const int edits = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < edits && !bytes.empty(); ++i) {
        const std::size_t at = random() % bytes.size();
        switch (kind(random)) {
        case 0:
            bytes[at] = static_cast<char>(random());
            break;
        case 1:
            bytes.resize(at);
            break;
        case 2:
            bytes.insert(at, 1 + random() % 40, static_cast<char>(random()));
            break;
        default:
            bytes[at] = ",\"\r\n\xFE\xFF\0*"[random() % 8];
            break;
        }
    }
    return bytes;
}

std::string random_bytes(std::mt19937& random) {
    std::string bytes(random() % 600, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random());
    }
    return bytes;
}

TEST(ParserFuzz, MalformedDbaseTablesAreReadWithinBounds) {
    std::mt19937 random(20240611);
    const std::string seed = valid_dbf();
    for (int i = 0; i < 4000; ++i) {
        const std::string bytes = i % 4 == 0 ? random_bytes(random) : mutated(seed, random);
        const TagFileContents contents = read_dbase_tags(bytes);
        if (!contents.is_tag_database) {
            EXPECT_TRUE(contents.records.empty());
        }
        // A record needs at least its deletion flag after a 32-byte header.
        EXPECT_LE(contents.records.size(), bytes.size() <= 32 ? 0 : bytes.size() - 32);
    }
}

TEST(ParserFuzz, MalformedTextFilesAreReadWithinBounds) {
    std::mt19937 random(977);
    const std::string seed = valid_text();
    for (int i = 0; i < 4000; ++i) {
        const std::string bytes = i % 4 == 0 ? random_bytes(random) : mutated(seed, random);
        const TagFileContents contents = read_text_tags(bytes);
        if (!contents.is_tag_database) {
            EXPECT_TRUE(contents.records.empty());
        }
        EXPECT_LE(contents.records.size(), tag_file_lines(bytes).size());
    }
}

} // namespace
} // namespace brixtel
