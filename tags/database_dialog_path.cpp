#include "tags/database_dialog_path.h"

#include "platform/path.h"

namespace brixtel {

namespace {

bool is_letter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

bool names_drive_or_share(std::wstring_view text) {
    if (text.size() >= 2 && is_letter(text[0]) && text[1] == L':')
        return true;
    return text.size() >= 2 && text[0] == L'\\' && text[1] == L'\\';
}

} // namespace

std::wstring database_dialog_path(std::wstring_view folder, std::wstring_view file_text) {
    if (names_drive_or_share(file_text))
        return std::wstring(file_text);
    return join_path(folder, file_text);
}

} // namespace brixtel
