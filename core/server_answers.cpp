#include "core/server_answers.h"

#include <algorithm>
#include <array>
#include <bit>

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

// The words an answer is judged by, in the order of AnswerReading::Word.
constexpr std::array<std::wstring_view, AnswerReading::WordCount> kWords{
    L"connstat", L"feature username", L"0 cancel",     L"OK STRING", L"REAL", L"INT", L"ERROR",
    L"INFO",     L"IP_BLOCKED",       L"USER_BLOCKED",
};

// Where in each word the scan looks for it: a character that the echoed request line (hex
// digits, "read output", decimal numbers) never holds, so that a typical answer stops the scan
// only at the words it really has.
constexpr std::array<std::size_t, AnswerReading::WordCount> kAnchors{
    0, // connstat
    0, // feature username
    2, // 0 cancel: the 'c'
    1, // OK STRING: the 'K'
    0, // REAL
    1, // INT: the 'N'
    1, // ERROR: the first 'R' (an 'E' can be a hex digit)
    1, // INFO: the 'N'
    2, // IP_BLOCKED: the '_'
    4, // USER_BLOCKED: the '_'
};

// For each character below 128, the words anchored on it (bit w: word w).
constexpr std::array<std::uint16_t, 128> kWordAnchors = [] {
    std::array<std::uint16_t, 128> anchors{};
    for (unsigned w = 0; w < kWords.size(); ++w) {
        const auto c = static_cast<std::size_t>(kWords[w][kAnchors[w]]);
        anchors[c] = static_cast<std::uint16_t>(anchors[c] | (1u << w));
    }
    return anchors;
}();

// Answers come at thousands a second: one pass over the text with a table of anchor characters
// costs far less than a library search for each word.
bool word_at(std::wstring_view text, std::size_t at, std::wstring_view word) {
    if (word.size() > text.size() - at)
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (text[at + i] != word[i])
            return false;
    }
    return true;
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

AnswerReading::AnswerReading(std::wstring_view answer) : answer_(answer) {
    first_.fill(npos);
    constexpr unsigned kAllWords = (1u << WordCount) - 1;
    unsigned pending = kAllWords;
    const wchar_t* const text = answer.data();
    const std::size_t size = answer.size();
    // Every occurrence of a word has its anchor at the same offset, so the first anchor that
    // completes the word marks the word's first occurrence.
    for (std::size_t i = 0; i < size && pending != 0; ++i) {
        const auto c = static_cast<std::uint32_t>(text[i]);
        if (c >= kWordAnchors.size() || kWordAnchors[c] == 0)
            continue;
        for (unsigned hits = kWordAnchors[c] & pending; hits != 0; hits &= hits - 1) {
            const auto w = static_cast<unsigned>(std::countr_zero(hits));
            if (i >= kAnchors[w] && word_at(answer, i - kAnchors[w], kWords[w])) {
                first_[w] = i - kAnchors[w];
                pending &= ~(1u << w);
            }
        }
    }
}

AnswerKind AnswerReading::kind() const {
    if (has(Connstat))
        return AnswerKind::Connstat;
    if (has(FeatureUsername))
        return AnswerKind::FeatureUsername;
    return AnswerKind::Read;
}

std::optional<ReadAnswerId> AnswerReading::read_id() const {
    const std::size_t comma = answer_.find(L',');
    if (comma == npos)
        return std::nullopt;
    std::size_t next = 0;
    const auto id_text = field_until(answer_, comma + 1, L' ', next);
    if (!id_text)
        return std::nullopt;
    return ReadAnswerId{text::hex_to_uint32(*id_text).value_or(0), has(Cancel)};
}

std::uint16_t AnswerReading::value_type() const {
    if (has(OkString))
        return value_type::kString;
    if (has(Real) || has(Int))
        return value_type::kNumber;
    return value_type::kOther;
}

// An error code when the answer reports a failure instead of a value.
std::optional<std::wstring> AnswerReading::error_code() const {
    if (has(Error))
        return error_value(answer_, first_[Error]);
    if (!has(Info) && !has(IpBlocked) && !has(UserBlocked))
        return std::nullopt;
    if (auto code = first_phrase(answer_, kNoticePhrases))
        return *code;
    return std::wstring(answer_);
}

std::optional<AnswerValue> AnswerReading::value() const {
    const std::uint16_t type = value_type();
    if (type != value_type::kString) {
        if (auto code = error_code())
            return AnswerValue{std::move(*code), std::nullopt};
    }
    auto line = third_line(answer_);
    if (!line)
        return std::nullopt;
    if (type != value_type::kString)
        line = line->substr(0, line->find(L' '));
    return AnswerValue{std::wstring(*line), type};
}

AnswerKind classify_answer(std::wstring_view answer) {
    return AnswerReading(answer).kind();
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
    return AnswerReading(answer).read_id();
}

std::uint16_t answer_value_type(std::wstring_view answer) {
    return AnswerReading(answer).value_type();
}

std::optional<AnswerValue> answer_value(std::wstring_view answer) {
    return AnswerReading(answer).value();
}

} // namespace brixtel
