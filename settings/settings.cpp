#include "settings/settings.h"

#include "platform/os_version.h"

namespace brixtel {

PortRange default_port_range() {
    return default_port_range(is_windows_nt4(os_version()));
}

} // namespace brixtel
