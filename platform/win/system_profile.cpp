#include "platform/win/system_profile.h"

#include <windows.h>

#include <vector>

namespace brixtel {

std::wstring SystemProfile::read_text(std::wstring_view section, std::wstring_view key,
                                      std::wstring_view fallback, std::size_t max_characters) {
    if (max_characters == 0)
        return {};
    const std::wstring section_name(section), key_name(key), default_text(fallback);
    std::vector<wchar_t> buffer(max_characters, L'\0');
    const DWORD length = GetPrivateProfileStringW(
        section_name.c_str(), key_name.c_str(), default_text.c_str(), buffer.data(),
        static_cast<DWORD>(buffer.size()), file_name_.c_str());
    return std::wstring(buffer.data(), length);
}

std::int32_t SystemProfile::read_integer(std::wstring_view section, std::wstring_view key,
                                         std::int32_t fallback) {
    const std::wstring section_name(section), key_name(key);
    return static_cast<std::int32_t>(GetPrivateProfileIntW(section_name.c_str(), key_name.c_str(),
                                                           fallback, file_name_.c_str()));
}

} // namespace brixtel
