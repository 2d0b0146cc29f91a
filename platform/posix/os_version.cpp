#include "platform/os_version.h"

namespace brixtel {

// Only Windows has the old versions whose defaults differ.
std::optional<OsVersion> os_version() {
    return std::nullopt;
}

} // namespace brixtel
