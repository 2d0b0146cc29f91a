// Every answer parser must cope with any datagram a server or a stranger may send.
#include "core/server_answers.h"

#include <gtest/gtest.h>
#include <random>

namespace brixtel {
namespace {

const std::wstring kSeeds[] = {
    L"0000C0DE,5001 connstat 10.0.0.7 3 -1 0 0\nSUCCESS",
    L"0000C0DE,5001 feature username host 3 4 0 0 from ann\nERROR Unsupported command",
    L"0000C0DE,00000001 read output 1 02 05 100\nOK REAL\n12.5 degC",
    L"0000C0DE,00000001 read output 1 02 05 100\nERROR 105",
    L"0000C0DE,00000001 read output 1 02 05 100\nERROR Unknown response code",
    L"0000C0DE,00000000 cancel\nINFO Cannot reach PCU",
};

// Characters that steer the parsers, plus a few arbitrary ones.
constexpr std::wstring_view kAlphabet = L" ,\n0123456789ABCDEFxERO-";

void run_all_parsers(std::wstring_view text) {
    classify_answer(text);
    (void)parse_connstat_answer(text);
    (void)parse_feature_username_answer(text);
    (void)reply_window_of(text);
    (void)identify_read_answer(text);
    (void)answer_value_type(text);
    if (const auto v = answer_value(text)) {
        EXPECT_LE(v->text.size(), text.size() + 19); // never more than a code and the answer
    }
}

std::wstring mutate(std::wstring text, std::mt19937& rng) {
    std::uniform_int_distribution<int> kind(0, 3);
    const int edits = std::uniform_int_distribution<int>(1, 4)(rng);
    for (int e = 0; e < edits; ++e) {
        const std::size_t at = text.empty() ? 0 : rng() % (text.size() + 1);
        const wchar_t c = kAlphabet[rng() % kAlphabet.size()];
        switch (kind(rng)) {
        case 0:
            text.insert(text.begin() + static_cast<std::ptrdiff_t>(at), c);
            break;
        case 1:
            if (at < text.size())
                text.erase(at, 1);
            break;
        case 2:
            text.resize(at);
            break;
        default:
            if (at < text.size())
                text[at] = c;
        }
    }
    return text;
}

TEST(ParserRobustness, MutatedAnswersAndTheirPrefixes) {
    std::mt19937 rng(20240611);
    for (const auto& seed : kSeeds) {
        for (std::size_t cut = 0; cut <= seed.size(); ++cut)
            run_all_parsers(std::wstring_view(seed).substr(0, cut));
        for (int round = 0; round < 2000; ++round)
            run_all_parsers(mutate(seed, rng));
    }
}

TEST(ParserRobustness, RandomCharacterSequences) {
    std::mt19937 rng(7);
    for (int round = 0; round < 5000; ++round) {
        std::wstring text(rng() % 64, L' ');
        for (auto& c : text)
            c = (rng() % 2) ? kAlphabet[rng() % kAlphabet.size()]
                            : static_cast<wchar_t>(rng() % 0xD800);
        run_all_parsers(text);
    }
}

} // namespace
} // namespace brixtel
