#include "platform/file_read.h"

#include <windows.h>

#include <memory>

namespace brixtel {

namespace {

struct HandleCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
};

} // namespace

std::optional<std::string> read_file_bytes(std::wstring_view path) {
    const std::wstring name(path);
    if (name.empty()) {
        return std::nullopt;
    }
    const HANDLE raw = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::unique_ptr<void, HandleCloser> file(raw);
    std::string bytes;
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(raw, buffer, sizeof buffer, &got, nullptr)) {
            return std::nullopt;
        }
        if (got == 0) {
            return bytes;
        }
        bytes.append(buffer, got);
    }
}

bool is_text_unicode(std::string_view bytes) {
    if (bytes.empty()) {
        return false;
    }
    // The test reads at most the length it is given; it never writes to the buffer.
    return IsTextUnicode(bytes.data(), static_cast<int>(bytes.size()), nullptr) != FALSE;
}

} // namespace brixtel
