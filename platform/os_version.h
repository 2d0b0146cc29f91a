#pragma once
// The running system's version, for the few defaults that differ on old systems.
#include <optional>

namespace brixtel {

struct OsVersion {
    bool nt = false; // the NT platform (as opposed to Windows 95/98)
    unsigned major = 0;
    unsigned minor = 0;
};

// Nothing when the system does not say.
std::optional<OsVersion> os_version();

inline bool is_windows_nt4(const std::optional<OsVersion>& version) {
    return version && version->nt && version->major == 4 && version->minor == 0;
}

} // namespace brixtel
