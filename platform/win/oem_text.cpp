// OEM code-page conversions through the system's own tables.
#include "platform/text.h"

#include <windows.h>

#include <climits>

namespace brixtel {

std::wstring to_wide(std::string_view oem) {
    if (oem.empty() || oem.size() > static_cast<std::size_t>(INT_MAX - 1)) {
        return {};
    }
    // Each OEM byte gives one character, so length + 1 characters always suffice.
    std::wstring wide(oem.size() + 1, L'\0');
    const int written = MultiByteToWideChar(CP_OEMCP, 0, oem.data(), static_cast<int>(oem.size()),
                                            wide.data(), static_cast<int>(wide.size()));
    wide.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return wide;
}

std::string to_multibyte(std::wstring_view wide) {
    if (wide.empty() || wide.size() > static_cast<std::size_t>(INT_MAX - 2)) {
        return {};
    }
    const int length = static_cast<int>(wide.size());
    const int needed =
        WideCharToMultiByte(CP_OEMCP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return {};
    }
    // Room for the converted text, its terminating zero and one spare byte.
    std::string oem(static_cast<std::size_t>(needed) + 2, '\0');
    const int written = WideCharToMultiByte(CP_OEMCP, 0, wide.data(), length, oem.data(),
                                            static_cast<int>(oem.size()), nullptr, nullptr);
    oem.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return oem;
}

} // namespace brixtel
