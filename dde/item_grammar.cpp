#include "dde/item_grammar.h"

#include "platform/case_fold.h"

#include "platform/text.h"

#include <algorithm>
#include <cwctype>
#include <string>

namespace brixtel {
namespace {

constexpr std::wstring_view kBlockWord = L"BLOCK ";
constexpr std::wstring_view kModuleWord = L"MODULE ";
constexpr std::wstring_view kRefusedWord = L"SPEC";

bool is_digit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// Where a number read the integer way ends: blanks, one sign, digits.
std::size_t end_of_number(std::wstring_view text, std::size_t from) {
    std::size_t at = from;
    while (at < text.size() && (text[at] == L' ' || text[at] == L'\t'))
        ++at;
    if (at < text.size() && (text[at] == L'+' || text[at] == L'-'))
        ++at;
    while (at < text.size() && is_digit(text[at]))
        ++at;
    return at;
}

// The piece from `from` up to the next `stop`; nothing when there is no such character.
std::optional<std::wstring_view> piece_up_to(std::wstring_view text, std::size_t from,
                                             wchar_t stop) {
    const std::size_t at = text.find(stop, from);
    if (at == std::wstring_view::npos)
        return std::nullopt;
    return text.substr(from, at - from);
}

} // namespace

std::optional<BlockAddress> parse_point_description(std::wstring_view description) {
    const std::wstring upper = upper_case(description);
    const std::wstring_view text = upper;

    const std::size_t block_word = text.find(kBlockWord);
    if (block_word == std::wstring_view::npos)
        return std::nullopt;
    const std::size_t block_start = block_word + kBlockWord.size();
    const std::size_t block_end = end_of_number(text, block_start);
    if (block_end == block_start || !is_digit(text[block_end - 1]))
        return std::nullopt;
    // Whatever follows the block number does not belong to the point (a tag name, a path).
    const std::wstring_view named = text.substr(0, block_end);
    if (named.find(kRefusedWord) != std::wstring_view::npos)
        return std::nullopt;

    const std::size_t module_word = named.find(kModuleWord);
    if (module_word == std::wstring_view::npos)
        return std::nullopt;
    const std::size_t loop_start = module_word + kModuleWord.size();
    const auto loop = piece_up_to(named, loop_start, L',');
    if (!loop)
        return std::nullopt;
    const std::size_t pcu_start = loop_start + loop->size() + 1;
    const auto pcu = piece_up_to(named, pcu_start, L',');
    if (!pcu)
        return std::nullopt;
    // The module number runs to the next blank after its own leading blanks.
    std::size_t module_start = pcu_start + pcu->size() + 1;
    std::size_t module_end = module_start;
    while (module_end < named.size() && named[module_end] == L' ')
        ++module_end;
    module_end = std::min(named.find(L' ', module_end), named.size());

    BlockAddress address;
    address.loop = integer_of_piece(*loop);
    address.pcu = integer_of_piece(*pcu);
    address.module = integer_of_piece(named.substr(module_start, module_end - module_start));
    address.block = integer_of_piece(named.substr(block_start));
    return address;
}

} // namespace brixtel
