#include "shell/installation_folder.h"

#include "platform/case_fold.h"
#include "platform/path.h"

namespace brixtel {
namespace {

constexpr std::wstring_view kProgramsFolder = L"Programs";
constexpr std::wstring_view kProgramFile = L"Brixtel.exe";

std::wstring_view last_element(std::wstring_view path) {
    const auto separator = path.find_last_of(L'\\');
    return separator == std::wstring_view::npos ? path : path.substr(separator + 1);
}

std::wstring_view without_last_element(std::wstring_view path) {
    const auto separator = path.find_last_of(L'\\');
    return separator == std::wstring_view::npos ? std::wstring_view() : path.substr(0, separator);
}

std::wstring_view trimmed(std::wstring_view text, std::wstring_view characters) {
    const auto first = text.find_first_not_of(characters);
    if (first == std::wstring_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(characters) - first + 1);
}

// The program's path as its command line names it: up to the first "/" (a switch), without
// blanks and quotes around it.
std::wstring_view program_of_command_line(std::wstring_view command_line) {
    return trimmed(command_line.substr(0, command_line.find(L'/')), L" \"");
}

} // namespace

std::wstring installation_base_folder(std::wstring_view current_folder,
                                      std::wstring_view command_line, const FileExists& exists) {
    if (current_folder.empty())
        return {};
    std::wstring candidate(current_folder);
    if (!starts_with_ignoring_case(last_element(candidate), kProgramsFolder))
        candidate = join_path(candidate, kProgramsFolder);
    candidate = join_path(candidate, kProgramFile);
    if (!exists(candidate))
        candidate = program_of_command_line(command_line);

    std::wstring_view folder = without_last_element(candidate);
    if (upper_case(last_element(folder)).find(L"PROGRAMS") != std::wstring::npos)
        folder = without_last_element(folder);
    return std::wstring(folder);
}

} // namespace brixtel
