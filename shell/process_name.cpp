#include "shell/process_name.h"

namespace brixtel {
namespace {

constexpr std::wstring_view kProgramFileName = L"Brixtel.exe";

wchar_t ascii_lower(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? wchar_t(c - L'A' + L'a') : c;
}

std::wstring_view file_name_part(std::wstring_view path) {
    const auto separator = path.find_last_of(L"\\/:");
    return separator == std::wstring_view::npos ? path : path.substr(separator + 1);
}

} // namespace

bool is_program_process_name(std::wstring_view executable_path) {
    const std::wstring_view name = file_name_part(executable_path);
    if (name.size() < kProgramFileName.size())
        return false;
    for (std::size_t i = 0; i < kProgramFileName.size(); ++i)
        if (ascii_lower(name[i]) != ascii_lower(kProgramFileName[i]))
            return false;
    return true;
}

} // namespace brixtel
