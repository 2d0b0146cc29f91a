#include "shell/string_table.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <string>

namespace brixtel {
namespace {

TEST(StringTable, LooksUpEveryEntryAndNothingElse) {
    const auto table = all_strings();
    ASSERT_GT(table.size(), 250u);
    for (const StringEntry& entry : table) {
        SCOPED_TRACE(entry.id);
        EXPECT_FALSE(entry.text.empty());
        EXPECT_EQ(string_text(entry.id).data(), entry.text.data());
    }
    for (const StringId unknown : {0, 5, 112, 385, 1000, 65535}) {
        EXPECT_TRUE(string_text(static_cast<StringId>(unknown)).empty()) << unknown;
    }
}

struct ExactText {
    StringId id;
    std::wstring_view text;
};

TEST(StringTable, HoldsTheTextsExactly) {
    const ExactText cases[] = {
        {16, L"Error"},
        {103, L"Registry Error"},
        {139, L"Out of memory: Brixtel will exit.\n"},
        {141, L"Message could not be displayed."},
        {144, L"%1"},
        {149, L"Monitoring: ON "},
        {86, L"The name \"Blank Taglist\" is reserved for special purposes.\n"
             L"Please choose another name."},
        {127, L"Problems opening \"Halvo Brixtel\\Tags\" key in registry for Configuration "
              L"storage."},
        {138, L"ERROR: API    = %1.\n   error code = %2!d!.\n   message    = %3.\n"},
        {197, L"Points to Monitor in <Unknown>\r\n\r\n"},
        {237, L"\"connstat attempt Loop: %1!d! PCU: %2!d! IP: %3 remote port: %4!d!\""},
        {292, L"The user description entered contains the following characters which Brixtel "
              L"does not allow:\n\n%1\n\nYou will need to modify the description to remove these "
              L"characters before Brixtel will proceed."},
        {384, L"Switching Views"},
    };
    for (const ExactText& c : cases) {
        EXPECT_EQ(string_text(c.id), c.text) << c.id;
    }
    // The illegal-path message lists the seven characters the check refuses.
    EXPECT_NE(string_text(ids::PathIllegalCharacters).find(L": |<>*?/\" (or"),
              std::wstring_view::npos);
}

// The resource script the exe is built with must hold the same texts as the portable table.
std::wstring unescape_rc(const std::string& text) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
            out.push_back(L'"');
            ++i;
        } else if (c == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            out.push_back(next == 'n' ? L'\n' : next == 'r' ? L'\r' : next == 't' ? L'\t' : next);
        } else {
            out.push_back(static_cast<unsigned char>(c));
        }
    }
    return out;
}

TEST(StringTable, ResourceScriptHoldsEveryText) {
    std::ifstream rc(BRIXTEL_STRINGS_RC);
    ASSERT_TRUE(rc) << BRIXTEL_STRINGS_RC;
    const std::regex entry(R"re(^\s*(\d+), L"(.*)"\s*$)re");
    std::map<StringId, std::wstring> script;
    bool in_table = false;
    for (std::string line; std::getline(rc, line);) {
        std::smatch m;
        if (line == "BEGIN") {
            in_table = true;
        } else if (line == "END") {
            in_table = false;
        } else if (in_table) {
            ASSERT_TRUE(std::regex_match(line, m, entry)) << line;
            const auto id = static_cast<StringId>(std::stoul(m[1].str()));
            ASSERT_TRUE(script.emplace(id, unescape_rc(m[2].str())).second) << "repeated " << id;
        }
    }
    ASSERT_EQ(script.size(), all_strings().size());
    for (const StringEntry& e : all_strings()) {
        ASSERT_TRUE(script.contains(e.id)) << e.id;
        EXPECT_EQ(script[e.id], e.text) << e.id;
    }
}

} // namespace
} // namespace brixtel
