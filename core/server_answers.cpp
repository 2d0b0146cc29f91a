#include "core/server_answers.h"

#include <algorithm>
#include <array>

#include "core/monitored_point.h"
#include "core/text_scan.h"

namespace brixtel {

namespace {

using text::contains;
constexpr auto npos = std::wstring_view::npos;

// Text from `from` up to (not including) the next `stop` character; nothing when there is
// no such character. `next` is set past the stop character.
std::optional<std::wstring_view> field_until(std::wstring_view text, std::size_t from, wchar_t stop,
                                             std::size_t& next) {
    const std::size_t end = text.find(stop, from);
    if (from > text.size() || end == npos)
        return std::nullopt;
    next = end + 1;
    return text.substr(from, end - from);
}

// Shared layout of connstat and feature username answers:
// "<window>,<port> <command> <host> <loop> <pcu> <x> <y>..."
std::optional<LoopEndpoint> parse_status_answer(std::wstring_view answer,
                                                std::wstring_view command) {
    const std::size_t comma = answer.find(L',');
    if (comma == npos)
        return std::nullopt;
    std::size_t next = 0;
    const auto port = field_until(answer, comma + 1, L' ', next);
    const std::size_t command_at = answer.find(command);
    if (!port || command_at == npos)
        return std::nullopt;
    const auto host = field_until(answer, command_at + command.size(), L' ', next);
    if (!host)
        return std::nullopt;
    const auto loop = field_until(answer, next, L' ', next);
    const auto pcu = loop ? field_until(answer, next, L' ', next) : std::nullopt;
    const auto unused = pcu ? field_until(answer, next, L' ', next) : std::nullopt;
    if (!unused)
        return std::nullopt;
    return LoopEndpoint{text::to_int32(*loop), text::to_int32(*pcu), std::wstring(*host),
                        text::to_int32(*port)};
}

constexpr std::wstring_view kUnsupported = L"ERROR Unsupported command";
constexpr std::wstring_view kSuccess = L"SUCCESS";

// An answer phrase and the code a point shows for it.
struct Phrase {
    std::wstring_view phrase;
    std::wstring_view code;
};

// Checked in order, after the numbered error code and before the other "ERROR" texts.
constexpr std::array<Phrase, 3> kErrorPhrases{{
    {L"ERROR Missing Parameter", L"ERROR_MISS_PARAM"},
    {L"ERROR Failed to dequeue response", L"ERROR_DQ_FAIL"},
    {L"ERROR Invalid response from CIU", L"ERROR_BAD_RESP_CIU"},
}};

// Checked after "ERROR Unknown response code", still only in answers with "ERROR".
constexpr std::array<Phrase, 2> kLateErrorPhrases{{
    {L"Failed to resend request", L"ERROR_RESEND_FAIL"},
    {L"Invalid Zero Loop and PCU", L"ERROR_ZERO_LP/PCU"},
}};

// For answers without "ERROR", in order.
constexpr std::array<Phrase, 4> kNoticePhrases{{
    {L"INFO Cannot reach PCU", L"INVALID_CIU_LP/PCU"},
    {L"IP_BLOCKED Invalid IP Address", L"IP_BLOCKED"},
    {L"USER_BLOCKED Invalid User Name", L"USER_BLOCKED"},
    {L"USER_BLOCKED User Name Not Approved", L"USER_BLOCKED"},
}};

template <std::size_t N>
std::optional<std::wstring> first_phrase(std::wstring_view answer,
                                         const std::array<Phrase, N>& phrases) {
    for (const auto& [phrase, code] : phrases) {
        if (contains(answer, phrase))
            return std::wstring(code);
    }
    return std::nullopt;
}

// "ERROR 105 ...": the digits after "ERROR " up to the next blank.
std::optional<std::wstring> numbered_error(std::wstring_view answer, std::size_t error_at) {
    const std::size_t code_at = error_at + 6;
    if (code_at >= answer.size() || answer[code_at] < L'0' || answer[code_at] > L'9')
        return std::nullopt;
    const std::wstring_view code = answer.substr(code_at, answer.find(L' ', code_at) - code_at);
    return code == L"105" ? std::wstring(L"ERROR_105_UNDEF_BLK") : L"ERROR_" + std::wstring(code);
}

std::wstring error_value(std::wstring_view answer, std::size_t error_at) {
    if (auto code = numbered_error(answer, error_at))
        return *code;
    if (auto code = first_phrase(answer, kErrorPhrases))
        return *code;
    constexpr std::wstring_view kUnknownCode = L"ERROR Unknown response code";
    if (const std::size_t at = answer.find(kUnknownCode); at != npos) {
        const std::size_t detail_at = std::min(at + kUnknownCode.size() + 1, answer.size());
        return L"ERROR_" + std::wstring(answer.substr(detail_at));
    }
    if (auto code = first_phrase(answer, kLateErrorPhrases))
        return *code;
    return std::wstring(answer);
}

// An error code when the answer reports a failure instead of a value.
std::optional<std::wstring> error_code(std::wstring_view answer) {
    if (const std::size_t error_at = answer.find(L"ERROR"); error_at != npos)
        return error_value(answer, error_at);
    if (!contains(answer, L"INFO") && !contains(answer, L"IP_BLOCKED") &&
        !contains(answer, L"USER_BLOCKED"))
        return std::nullopt;
    if (auto code = first_phrase(answer, kNoticePhrases))
        return *code;
    return std::wstring(answer);
}

// The third line, or nothing when the answer has fewer than two line feeds.
std::optional<std::wstring_view> third_line(std::wstring_view answer) {
    const std::size_t first = answer.find(L'\n');
    const std::size_t second = first == npos ? npos : answer.find(L'\n', first + 1);
    if (second == npos)
        return std::nullopt;
    const std::wstring_view rest = answer.substr(second + 1);
    return rest.substr(0, rest.find(L'\n'));
}

} // namespace

AnswerKind classify_answer(std::wstring_view answer) {
    if (contains(answer, L"connstat"))
        return AnswerKind::Connstat;
    if (contains(answer, L"feature username"))
        return AnswerKind::FeatureUsername;
    return AnswerKind::Read;
}

std::optional<ConnstatAnswer> parse_connstat_answer(std::wstring_view answer) {
    auto entry = parse_status_answer(answer, L"connstat ");
    if (!entry)
        return std::nullopt;
    const bool ok = contains(answer, kUnsupported) || contains(answer, kSuccess);
    return ConnstatAnswer{std::move(*entry), ok};
}

std::optional<FeatureUsernameAnswer> parse_feature_username_answer(std::wstring_view answer) {
    auto entry = parse_status_answer(answer, L"feature username ");
    if (!entry)
        return std::nullopt;
    const bool accepted = !contains(answer, kUnsupported) && contains(answer, kSuccess);
    return FeatureUsernameAnswer{std::move(*entry), accepted ? 1 : 2};
}

std::optional<std::uint32_t> reply_window_of(std::wstring_view answer) {
    const std::size_t start = answer.find_first_not_of(L' ');
    if (start == npos)
        return std::nullopt;
    return text::hex_to_uint32(answer.substr(start));
}

std::optional<ReadAnswerId> identify_read_answer(std::wstring_view answer) {
    const std::size_t comma = answer.find(L',');
    if (comma == npos)
        return std::nullopt;
    std::size_t next = 0;
    const auto id_text = field_until(answer, comma + 1, L' ', next);
    if (!id_text)
        return std::nullopt;
    return ReadAnswerId{text::hex_to_uint32(*id_text).value_or(0), contains(answer, L"0 cancel")};
}

std::uint16_t answer_value_type(std::wstring_view answer) {
    if (contains(answer, L"OK STRING"))
        return value_type::kString;
    if (contains(answer, L"REAL") || contains(answer, L"INT"))
        return value_type::kNumber;
    return value_type::kOther;
}

std::optional<AnswerValue> answer_value(std::wstring_view answer) {
    const std::uint16_t type = answer_value_type(answer);
    if (type != value_type::kString) {
        if (auto code = error_code(answer))
            return AnswerValue{std::move(*code), std::nullopt};
    }
    auto line = third_line(answer);
    if (!line)
        return std::nullopt;
    if (type != value_type::kString)
        line = line->substr(0, line->find(L' '));
    return AnswerValue{std::wstring(*line), type};
}

} // namespace brixtel
