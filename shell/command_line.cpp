#include "shell/command_line.h"

namespace brixtel {
namespace {

bool is_space(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\v' || c == L'\f';
}

} // namespace

std::vector<std::wstring> split_command_line(std::wstring_view text, std::size_t max_arguments) {
    std::vector<std::wstring> arguments;
    std::size_t pos = 0;
    while (arguments.size() < max_arguments) {
        while (pos < text.size() && is_space(text[pos]))
            ++pos;
        if (pos >= text.size())
            break;
        std::size_t end = pos + 1;
        if (text[pos] == L'"') {
            const std::size_t close = text.find(L'"', pos + 1);
            end = close == std::wstring_view::npos ? text.size() : close;
            arguments.emplace_back(text.substr(pos + 1, end - pos - 1));
            pos = end < text.size() ? end + 1 : end;
        } else {
            bool quoted = false;
            while (end < text.size() && !(!quoted && (is_space(text[end]) || text[end] == L'/'))) {
                if (text[end] == L'"')
                    quoted = !quoted;
                ++end;
            }
            std::wstring_view token = text.substr(pos, end - pos);
            const std::size_t slash = token.find(L'/', 1);
            if (slash != std::wstring_view::npos)
                token = token.substr(0, slash);
            arguments.emplace_back(token);
            pos = end;
        }
        // The character that ended the argument goes with it, unless it begins the next one.
        if (pos < text.size() && text[pos] != L'/')
            ++pos;
    }
    return arguments;
}

std::wstring title_path_of_command_line(std::wstring_view command_line) {
    const std::vector<std::wstring> arguments = split_command_line(command_line);
    return arguments.size() == 1 ? arguments.front() : std::wstring();
}

} // namespace brixtel
