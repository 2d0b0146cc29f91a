#include "platform/os_version.h"

#include <windows.h>

namespace brixtel {

std::optional<OsVersion> os_version() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExW(&info))
        return std::nullopt;
    return OsVersion{info.dwPlatformId == VER_PLATFORM_WIN32_NT,
                     static_cast<unsigned>(info.dwMajorVersion),
                     static_cast<unsigned>(info.dwMinorVersion)};
}

} // namespace brixtel
