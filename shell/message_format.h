#pragma once
// Message texts carry inserts in the system message formatter's syntax: "%1" (a text), "%2!d!"
// (a signed number), "%3!s!", "%%", "%n" and the like. This formatter follows that syntax so
// portable code and the tests see exactly what the message boxes show; the Win32 side uses it
// to check a text and its inserts before handing them to the system formatter.
#include "shell/string_table.h"

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace brixtel {

// One insert: a number or a text.
class MessageArg {
  public:
    template <std::integral T> MessageArg(T number) : value_(static_cast<std::int64_t>(number)) {}
    MessageArg(std::wstring text) : value_(std::move(text)) {}
    MessageArg(std::wstring_view text) : value_(std::wstring(text)) {}
    // A null text shows as "(null)", as the system formatter shows it.
    MessageArg(const wchar_t* text) : value_(std::wstring(text ? text : L"(null)")) {}

    bool is_text() const { return std::holds_alternative<std::wstring>(value_); }
    std::int64_t number() const { return is_text() ? 0 : std::get<std::int64_t>(value_); }
    const std::wstring& text() const;

  private:
    std::variant<std::int64_t, std::wstring> value_;
};

// What an insert number takes. An insert number the text does not use is Unused; the
// arguments must still be given in order up to the highest number used.
enum class InsertKind { Unused, Number, Text };

// The kind of each insert %1, %2, ... up to the highest one the text uses, or nothing when the
// text's syntax is broken, uses a form this formatter does not carry (floating point, "*"
// widths, 64-bit or narrow-text inserts) or uses one insert both as a number and as a text.
std::optional<std::vector<InsertKind>> message_inserts(std::wstring_view format);

// The formatted text, or nothing when the syntax is broken, an insert is missing or of the
// wrong kind, or the result is empty (the system formatter reports that as a failure too).
// Line breaks come out as CR LF whatever form they had in the text, and "%0" ends the text.
std::optional<std::wstring> format_message(std::wstring_view format,
                                           std::span<const MessageArg> args);

inline std::optional<std::wstring> format_message(std::wstring_view format,
                                                  std::initializer_list<MessageArg> args) {
    return format_message(format, std::span<const MessageArg>(args.begin(), args.size()));
}

// A string-table text formatted with its inserts.
inline std::optional<std::wstring> format_table_text(StringId id,
                                                     std::initializer_list<MessageArg> args) {
    return format_message(string_text(id), args);
}

} // namespace brixtel
