#pragma once
// Reading the server's answers. An answer repeats the request line, then carries a status
// line and, for a read, a value line; lines end with a single line feed. Every function
// here accepts any text whatever and never reads outside it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/server_requests.h"

namespace brixtel {

enum class AnswerKind { Connstat, FeatureUsername, Read };

// By the command word the answer repeats; anything that is not a status answer is a read.
AnswerKind classify_answer(std::wstring_view answer);

struct ConnstatAnswer {
    LoopEndpoint entry;
    bool ok = false; // a server that does not know connstat counts as connected
};

struct FeatureUsernameAnswer {
    LoopEndpoint entry;
    std::int32_t state = 0; // 1: the server takes the user suffix; 2: it does not
};

// Nothing when the answer lacks a field; such an answer is then handled as a read answer.
std::optional<ConnstatAnswer> parse_connstat_answer(std::wstring_view answer);
std::optional<FeatureUsernameAnswer> parse_feature_username_answer(std::wstring_view answer);

// The reply window named by the answer's first token.
std::optional<std::uint32_t> reply_window_of(std::wstring_view answer);

struct ReadAnswerId {
    // Identifier of the point asked for; 0, which no point has, when it cannot be read.
    std::uint32_t request_id = 0;
    bool cancel = false; // the server cancelled everything: every point gets kCancelValue
};

inline constexpr std::wstring_view kCancelValue = L"CANCEL_201";

// Nothing when the answer has no comma, or no blank after its first comma: it is dropped.
std::optional<ReadAnswerId> identify_read_answer(std::wstring_view answer);

// 2 for "OK STRING", else 1 for "REAL" or "INT", else 0; decided on the whole answer.
std::uint16_t answer_value_type(std::wstring_view answer);

struct AnswerValue {
    std::wstring text;
    // The point's new value type; none for an error code, which leaves the type as it was.
    std::optional<std::uint16_t> type;
};

// The error code or value an answer gives a point; nothing when the answer has no value
// line, in which case the point's value and type stay as they were.
std::optional<AnswerValue> answer_value(std::wstring_view answer);

// One answer read once: the words it is judged by are found in a single pass over its text,
// and kind(), read_id() and value() then give what classify_answer, identify_read_answer and
// answer_value give (those three are made of it). For the main thread, which asks all three
// of every answer. The text must outlive the reading.
class AnswerReading {
  public:
    explicit AnswerReading(std::wstring_view answer);

    AnswerKind kind() const;
    std::optional<ReadAnswerId> read_id() const;
    std::uint16_t value_type() const;
    std::optional<AnswerValue> value() const;

    // The words, in the order of the marks.
    enum Word : unsigned {
        Connstat,
        FeatureUsername,
        Cancel,
        OkString,
        Real,
        Int,
        Error,
        Info,
        IpBlocked,
        UserBlocked,
        WordCount
    };

  private:
    bool has(Word word) const { return first_[word] != std::wstring_view::npos; }
    std::optional<std::wstring> error_code() const;

    std::wstring_view answer_;
    std::array<std::size_t, WordCount> first_; // where each word first occurs, or npos
};

} // namespace brixtel
