#include "shell/win/app.h"

namespace brixtel::win {

std::wstring logged_on_user_name() {
    constexpr DWORD kUserNameChars = 64;
    wchar_t name[kUserNameChars] = {};
    DWORD size = kUserNameChars;
    if (!GetUserNameW(name, &size))
        return {};
    return name;
}

} // namespace brixtel::win
