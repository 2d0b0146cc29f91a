#include "shell/message_format.h"

#include <cstdio>
#include <string>

namespace brixtel {

const std::wstring& MessageArg::text() const {
    static const std::wstring none;
    return is_text() ? std::get<std::wstring>(value_) : none;
}

namespace {

// A printf-style conversion between the "!" marks of an insert.
struct InsertForm {
    std::string flags;
    int width = -1;     // -1: none
    int precision = -1; // -1: none
    char length = 0;    // 'h' (short) or 0
    char conversion = 's';
};

InsertKind kind_of(const InsertForm& form) {
    return form.conversion == 's' ? InsertKind::Text : InsertKind::Number;
}

bool is_digit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// Reads a decimal field of at most four digits; longer ones are refused as broken.
bool read_count(std::wstring_view text, std::size_t& pos, int& count) {
    count = 0;
    std::size_t digits = 0;
    while (pos < text.size() && is_digit(text[pos])) {
        if (++digits > 4) {
            return false;
        }
        count = count * 10 + (text[pos] - L'0');
        ++pos;
    }
    return true;
}

std::optional<InsertForm> parse_form(std::wstring_view text) {
    InsertForm form;
    std::size_t pos = 0;
    while (pos < text.size() &&
           std::wstring_view(L"-+ #0").find(text[pos]) != std::wstring_view::npos) {
        form.flags.push_back(static_cast<char>(text[pos]));
        ++pos;
    }
    if (pos < text.size() && is_digit(text[pos])) {
        if (!read_count(text, pos, form.width)) {
            return std::nullopt;
        }
    }
    if (pos < text.size() && text[pos] == L'.') {
        ++pos;
        if (!read_count(text, pos, form.precision)) {
            return std::nullopt;
        }
    }
    // Length prefixes: "l" and "w" mean what they mean by default in wide text (a 32-bit
    // number, a wide text); "h" shortens a number. Narrow texts, 64-bit numbers, "*" fields
    // and floating point cannot travel in the argument array the boxes use.
    const std::wstring_view rest = text.substr(pos);
    if (rest.starts_with(L"I32")) {
        pos += 3;
    } else if (pos < text.size() && (text[pos] == L'l' || text[pos] == L'w')) {
        ++pos;
    } else if (pos < text.size() && text[pos] == L'h') {
        form.length = 'h';
        ++pos;
    }
    if (pos + 1 != text.size()) {
        return std::nullopt;
    }
    switch (text[pos]) {
    case L'd':
    case L'i':
    case L'u':
    case L'x':
    case L'X':
    case L'o':
    case L'c':
    case L's':
        form.conversion = static_cast<char>(text[pos]);
        break;
    case L'C':
        form.conversion = 'c';
        break;
    default:
        return std::nullopt;
    }
    if (form.length == 'h' && (form.conversion == 's' || form.conversion == 'c')) {
        return std::nullopt; // narrow text or character
    }
    return form;
}

std::wstring pad(std::wstring body, const InsertForm& form) {
    if (form.width > 0 && body.size() < static_cast<std::size_t>(form.width)) {
        const std::wstring fill(static_cast<std::size_t>(form.width) - body.size(), L' ');
        body = form.flags.find('-') != std::string::npos ? body + fill : fill + body;
    }
    return body;
}

std::wstring format_number(const InsertForm& form, std::int64_t value) {
    if (form.conversion == 'c') {
        return pad(std::wstring(1, static_cast<wchar_t>(static_cast<std::uint16_t>(value))), form);
    }
    // The system formatter reads each insert as a machine word and prints its low 32 (or, with
    // "h", 16) bits, so a number is cut the same way here.
    std::string format(1, '%');
    format += form.flags;
    if (form.width >= 0) {
        format += std::to_string(form.width);
    }
    if (form.precision >= 0) {
        format.push_back('.');
        format += std::to_string(form.precision);
    }
    format.push_back(form.conversion);
    const bool is_signed = form.conversion == 'd' || form.conversion == 'i';
    char buffer[64] = {};
    if (is_signed) {
        const int number = form.length == 'h' ? static_cast<std::int16_t>(value)
                                              : static_cast<std::int32_t>(value);
        std::snprintf(buffer, sizeof buffer, format.c_str(), number);
    } else {
        const unsigned number = form.length == 'h' ? static_cast<std::uint16_t>(value)
                                                   : static_cast<std::uint32_t>(value);
        std::snprintf(buffer, sizeof buffer, format.c_str(), number);
    }
    return std::wstring(buffer, buffer + std::char_traits<char>::length(buffer));
}

std::wstring format_text(const InsertForm& form, const std::wstring& value) {
    std::wstring body = value;
    if (form.precision >= 0 && body.size() > static_cast<std::size_t>(form.precision)) {
        body.resize(static_cast<std::size_t>(form.precision));
    }
    return pad(std::move(body), form);
}

// One step through the text: what a "%" sequence stands for.
struct Escape {
    enum Type { Literal, Insert, End, Broken } type = Broken;
    std::wstring literal;
    std::size_t number = 0;
    InsertForm form;
    std::size_t length = 0; // characters consumed, the "%" included
};

Escape read_escape(std::wstring_view format, std::size_t pos) {
    Escape escape;
    if (pos + 1 >= format.size()) {
        return escape; // a lone "%" at the end
    }
    const wchar_t c = format[pos + 1];
    if (c == L'0') {
        escape.type = Escape::End;
        escape.length = 2;
        return escape;
    }
    if (!is_digit(c)) {
        escape.type = Escape::Literal;
        escape.length = 2;
        escape.literal = c == L'n'   ? L"\r\n"
                         : c == L'r' ? L"\r"
                         : c == L't' ? L"\t"
                                     : std::wstring(1, c);
        return escape;
    }
    std::size_t end = pos + 2;
    escape.number = static_cast<std::size_t>(c - L'0');
    if (end < format.size() && is_digit(format[end])) {
        escape.number = escape.number * 10 + static_cast<std::size_t>(format[end] - L'0');
        ++end;
    }
    if (end < format.size() && format[end] == L'!') {
        const std::size_t close = format.find(L'!', end + 1);
        if (close == std::wstring_view::npos) {
            return escape;
        }
        const auto form = parse_form(format.substr(end + 1, close - end - 1));
        if (!form) {
            return escape;
        }
        escape.form = *form;
        end = close + 1;
    }
    escape.type = Escape::Insert;
    escape.length = end - pos;
    return escape;
}

} // namespace

std::optional<std::vector<InsertKind>> message_inserts(std::wstring_view format) {
    std::vector<InsertKind> kinds;
    for (std::size_t pos = 0; pos < format.size();) {
        if (format[pos] != L'%') {
            ++pos;
            continue;
        }
        const Escape escape = read_escape(format, pos);
        if (escape.type == Escape::Broken) {
            return std::nullopt;
        }
        if (escape.type == Escape::End) {
            break;
        }
        if (escape.type == Escape::Insert) {
            if (kinds.size() < escape.number) {
                kinds.resize(escape.number, InsertKind::Unused);
            }
            InsertKind& kind = kinds[escape.number - 1];
            const InsertKind wanted = kind_of(escape.form);
            if (kind != InsertKind::Unused && kind != wanted) {
                return std::nullopt;
            }
            kind = wanted;
        }
        pos += escape.length;
    }
    return kinds;
}

std::optional<std::wstring> format_message(std::wstring_view format,
                                           std::span<const MessageArg> args) {
    std::wstring out;
    for (std::size_t pos = 0; pos < format.size();) {
        const wchar_t c = format[pos];
        if (c == L'\r' || c == L'\n') {
            // Any line break, CR, LF or CR LF, becomes CR LF.
            out += L"\r\n";
            pos += (c == L'\r' && pos + 1 < format.size() && format[pos + 1] == L'\n') ? 2 : 1;
            continue;
        }
        if (c != L'%') {
            out.push_back(c);
            ++pos;
            continue;
        }
        const Escape escape = read_escape(format, pos);
        if (escape.type == Escape::Broken) {
            return std::nullopt;
        }
        if (escape.type == Escape::End) {
            break;
        }
        if (escape.type == Escape::Literal) {
            out += escape.literal;
        } else {
            if (escape.number > args.size()) {
                return std::nullopt;
            }
            const MessageArg& arg = args[escape.number - 1];
            if (arg.is_text() != (kind_of(escape.form) == InsertKind::Text)) {
                return std::nullopt;
            }
            out += arg.is_text() ? format_text(escape.form, arg.text())
                                 : format_number(escape.form, arg.number());
        }
        pos += escape.length;
    }
    if (out.empty()) {
        return std::nullopt;
    }
    return out;
}

} // namespace brixtel
