#include "settings/reg_file_rewrite.h"

#include <gtest/gtest.h>

#include <string>

namespace brixtel {
namespace {

std::vector<std::uint8_t> bytes_of(std::string_view text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::vector<std::uint8_t> utf16_of(std::u16string_view text, bool bom) {
    std::vector<std::uint8_t> bytes;
    if (bom) {
        bytes.push_back(0xFF);
        bytes.push_back(0xFE);
    }
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<std::uint8_t>(unit));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

struct RewriteCase {
    const char* name;
    std::u16string input;
    std::u16string expected;
};

// The same texts serve both encodings: they are ASCII.
const RewriteCase kCases[] = {
    {"key line", u"[HKEY_LOCAL_MACHINE\\Software\\Quorrel\\Halvo Brixtel]\r\n",
     u"[HKEY_CURRENT_USER\\Software\\Quorrel\\Halvo Brixtel]\r\n"},
    {"capitals as an editor writes them",
     u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorrel\\Halvo Brixtel\\Tags\\List1]\r\n",
     u"[HKEY_CURRENT_USER\\Software\\Quorrel\\Halvo Brixtel\\Tags\\List1]\r\n"},
    {"subkey keeps its own case after the match",
     u"[hkey_local_machine\\software\\quorrel\\halvo brixtel\\LoopEntries]\n",
     u"[HKEY_CURRENT_USER\\Software\\Quorrel\\Halvo Brixtel\\LoopEntries]\n"},
    {"value data naming the key",
     u"\"Note\"=\"see HKEY_LOCAL_MACHINE\\\\Software\\\\Quorrel\\\\Halvo Brixtel\"\r\n",
     u"\"Note\"=\"see HKEY_LOCAL_MACHINE\\\\Software\\\\Quorrel\\\\Halvo Brixtel\"\r\n"},
    {"value data with single backslashes",
     u"\"Path\"=\"HKEY_LOCAL_MACHINE\\Software\\Quorrel\\Halvo Brixtel\"\r\n",
     u"\"Path\"=\"HKEY_CURRENT_USER\\Software\\Quorrel\\Halvo Brixtel\"\r\n"},
    {"only the first match in a line",
     u"HKEY_LOCAL_MACHINE\\Software\\Quorrel\\Halvo Brixtel "
     u"HKEY_LOCAL_MACHINE\\Software\\Quorrel\\Halvo Brixtel\n",
     u"HKEY_CURRENT_USER\\Software\\Quorrel\\Halvo Brixtel "
     u"HKEY_LOCAL_MACHINE\\Software\\Quorrel\\Halvo Brixtel\n"},
    {"every line gets its own first match",
     u"[HKEY_LOCAL_MACHINE\\Software\\Quorrel\\Halvo "
     u"Brixtel]\n[HKEY_LOCAL_MACHINE\\Software\\Quorrel\\Halvo Brixtel\\Databases]\n",
     u"[HKEY_CURRENT_USER\\Software\\Quorrel\\Halvo "
     u"Brixtel]\n[HKEY_CURRENT_USER\\Software\\Quorrel\\Halvo Brixtel\\Databases]\n"},
    {"other keys untouched",
     u"[HKEY_LOCAL_MACHINE\\Software\\Quorrel]\r\n\"InstallDir\"=\"C:\\\\Q\"\r\n",
     u"[HKEY_LOCAL_MACHINE\\Software\\Quorrel]\r\n\"InstallDir\"=\"C:\\\\Q\"\r\n"},
    {"last line without a line feed", u"[HKEY_LOCAL_MACHINE\\Software\\Quorrel\\Halvo Brixtel]",
     u"[HKEY_CURRENT_USER\\Software\\Quorrel\\Halvo Brixtel]"},
    {"a match across two lines is none",
     u"HKEY_LOCAL_MACHINE\\Software\\Quorrel\\\nHalvo Brixtel\n",
     u"HKEY_LOCAL_MACHINE\\Software\\Quorrel\\\nHalvo Brixtel\n"},
    {"empty file", u"", u""},
};

TEST(RegFileRewrite, Utf16FilesGetOneByteOrderMarkAndTheirKeysRenamed) {
    for (const auto& test : kCases) {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(rewrite_reg_file(utf16_of(test.input, true), true),
                  utf16_of(test.expected, true));
    }
}

TEST(RegFileRewrite, EightBitFilesAreRewrittenInEightBitText) {
    for (const auto& test : kCases) {
        SCOPED_TRACE(test.name);
        const std::string input(test.input.begin(), test.input.end());
        const std::string expected(test.expected.begin(), test.expected.end());
        EXPECT_EQ(rewrite_reg_file(bytes_of(input), false), bytes_of(expected));
    }
}

TEST(RegFileRewrite, Utf16ByteOrderMarksAreDroppedWhereverTheyStand) {
    const auto input = utf16_of(u"\xFEFF[HKEY_LOCAL_MACHINE\\Software\\Quorrel\\\xFFFEHalvo "
                                u"Brixtel]\r\n\xFEFFx",
                                false);
    EXPECT_EQ(rewrite_reg_file(input, true),
              utf16_of(u"[HKEY_CURRENT_USER\\Software\\Quorrel\\Halvo Brixtel]\r\nx", true));
}

TEST(RegFileRewrite, Utf16KeepsCharactersOutsideAsciiAndADanglingByte) {
    auto input = utf16_of(u"\"Name\"=\"M\u00fcller \u4e2d\"\r\n", true);
    input.push_back(0x41);
    auto expected = utf16_of(u"\"Name\"=\"M\u00fcller \u4e2d\"\r\n", true);
    expected.push_back(0x41);
    EXPECT_EQ(rewrite_reg_file(input, true), expected);
}

TEST(RegFileRewrite, EightBitLinesAreCutAfter1023Bytes) {
    // A match that straddles the cut is not seen, as with a line buffer of 1024 bytes.
    const std::string key = "HKEY_LOCAL_MACHINE\\Software\\Quorrel\\Halvo Brixtel";
    const std::string straddling = std::string(1023 - 10, 'x') + key + "\n";
    EXPECT_EQ(rewrite_reg_file(bytes_of(straddling), false), bytes_of(straddling));
    const std::string inside = std::string(1023 - key.size(), 'x') + key + "\n";
    const std::string renamed = std::string(1023 - key.size(), 'x') +
                                "HKEY_CURRENT_USER\\Software\\Quorrel\\Halvo Brixtel\n";
    EXPECT_EQ(rewrite_reg_file(bytes_of(inside), false), bytes_of(renamed));
}

TEST(RegFileRewrite, EightBitKeepsHighBytesAsRead) {
    const std::string line = "\"Name\"=\"\xC4\xD6\xDC\"\r\n";
    EXPECT_EQ(rewrite_reg_file(bytes_of(line), false), bytes_of(line));
}

} // namespace
} // namespace brixtel
