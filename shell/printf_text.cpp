#include "shell/printf_text.h"

#include <cstdio>
#include <string>

namespace brixtel {
namespace {

struct Conversion {
    std::string flags;
    int width = -1;
    int precision = -1;
    bool width_from_argument = false; // "*"
    bool precision_from_argument = false;
    wchar_t type = 0;
};

bool is_flag(wchar_t c) {
    return c == L'-' || c == L'+' || c == L' ' || c == L'0' || c == L'#';
}
bool is_digit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

int read_number(std::wstring_view text, std::size_t& pos) {
    int value = 0;
    while (pos < text.size() && is_digit(text[pos]) && value < 100000)
        value = value * 10 + (text[pos++] - L'0');
    return value;
}

// Reads one conversion after its "%"; pos ends past the conversion character.
Conversion read_conversion(std::wstring_view format, std::size_t& pos) {
    Conversion conv;
    while (pos < format.size() && is_flag(format[pos]))
        conv.flags += static_cast<char>(format[pos++]);
    if (pos < format.size() && format[pos] == L'*') {
        conv.width_from_argument = true;
        ++pos;
    } else if (pos < format.size() && is_digit(format[pos])) {
        conv.width = read_number(format, pos);
    }
    if (pos < format.size() && format[pos] == L'.') {
        ++pos;
        if (pos < format.size() && format[pos] == L'*') {
            conv.precision_from_argument = true;
            ++pos;
        } else {
            conv.precision = read_number(format, pos);
        }
    }
    // Length modifiers change nothing here: every argument is already 64 bits.
    while (pos < format.size() &&
           (format[pos] == L'l' || format[pos] == L'h' || format[pos] == L'I'))
        ++pos;
    if (pos < format.size())
        conv.type = format[pos++];
    return conv;
}

// A "*" width or precision; a missing or negative one counts as not given.
int integer_argument(const PrintfArg* arg) {
    const auto* n = arg ? std::get_if<std::int64_t>(arg) : nullptr;
    return n && *n >= 0 && *n < 1000 ? static_cast<int>(*n) : -1;
}

std::string narrow_format(const Conversion& conv, const char* length, char type) {
    std::string pattern(1, '%');
    pattern.append(conv.flags);
    if (conv.width >= 0)
        pattern.append(std::to_string(conv.width));
    if (conv.precision >= 0)
        pattern.append(1, '.').append(std::to_string(conv.precision));
    pattern.append(length).push_back(type);
    return pattern;
}

std::wstring widen_ascii(const char* text) {
    std::wstring wide;
    for (; *text; ++text)
        wide += static_cast<wchar_t>(static_cast<unsigned char>(*text));
    return wide;
}

std::wstring format_integer(const Conversion& conv, std::int64_t value) {
    char buffer[128];
    char type = static_cast<char>(conv.type == L'i' ? L'd' : conv.type);
    const long long as_signed = value;
    const unsigned long long as_unsigned =
        type == 'd' ? 0 : static_cast<unsigned long long>(static_cast<std::uint32_t>(value));
    if (type == 'd')
        std::snprintf(buffer, sizeof buffer, narrow_format(conv, "ll", type).c_str(), as_signed);
    else
        std::snprintf(buffer, sizeof buffer, narrow_format(conv, "ll", type).c_str(), as_unsigned);
    return widen_ascii(buffer);
}

std::wstring format_real(const Conversion& conv, double value) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer,
                  narrow_format(conv, "", static_cast<char>(conv.type)).c_str(), value);
    return widen_ascii(buffer);
}

std::wstring format_text(const Conversion& conv, std::wstring_view value) {
    std::wstring text(
        value.substr(0, conv.precision >= 0 ? std::size_t(conv.precision) : value.size()));
    if (conv.width > 0 && text.size() < std::size_t(conv.width)) {
        std::wstring pad(std::size_t(conv.width) - text.size(), L' ');
        text = conv.flags.find('-') != std::string::npos ? text + pad : pad + text;
    }
    return text;
}

std::wstring format_one(const Conversion& conv, const PrintfArg* arg) {
    if (!arg)
        return {};
    switch (conv.type) {
    case L'd':
    case L'i':
    case L'u':
    case L'x':
    case L'X':
        if (auto* n = std::get_if<std::int64_t>(arg))
            return format_integer(conv, *n);
        return {};
    case L'c':
        if (auto* n = std::get_if<std::int64_t>(arg))
            return std::wstring(1, static_cast<wchar_t>(*n));
        return {};
    case L'f':
    case L'e':
    case L'E':
    case L'g':
    case L'G':
        if (auto* r = std::get_if<double>(arg))
            return format_real(conv, *r);
        if (auto* n = std::get_if<std::int64_t>(arg))
            return format_real(conv, static_cast<double>(*n));
        return {};
    case L's':
    case L'S':
        if (auto* s = std::get_if<std::wstring_view>(arg))
            return format_text(conv, *s);
        return {};
    default:
        return {};
    }
}

} // namespace

std::wstring printf_text(std::wstring_view format, std::initializer_list<PrintfArg> args) {
    std::wstring out;
    auto next_arg = args.begin();
    std::size_t pos = 0;
    while (pos < format.size()) {
        wchar_t c = format[pos++];
        if (c != L'%') {
            out += c;
            continue;
        }
        if (pos < format.size() && format[pos] == L'%') {
            out += L'%';
            ++pos;
            continue;
        }
        Conversion conv = read_conversion(format, pos);
        auto take = [&]() { return next_arg != args.end() ? &*next_arg++ : nullptr; };
        if (conv.width_from_argument)
            conv.width = integer_argument(take());
        if (conv.precision_from_argument)
            conv.precision = integer_argument(take());
        const PrintfArg* arg = take();
        out += format_one(conv, arg);
    }
    return out;
}

} // namespace brixtel
