#include "platform/text_file.h"

#include "platform/file_read.h"

#include <windows.h>

namespace brixtel {

bool write_text_file(std::wstring_view path, std::wstring_view text) {
    if (path.empty())
        return false;
    std::string bytes;
    if (!text.empty()) {
        const int length = static_cast<int>(text.size());
        const int size =
            WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
        if (size > 0) {
            bytes.resize(static_cast<std::size_t>(size));
            WideCharToMultiByte(CP_ACP, 0, text.data(), length, bytes.data(), size, nullptr,
                                nullptr);
        }
    }
    HANDLE file = CreateFileW(std::wstring(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        DWORD written = 0;
        const DWORD chunk = left > 0x10000000 ? 0x10000000 : static_cast<DWORD>(left);
        if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0)
            break;
        data += written;
        left -= written;
    }
    CloseHandle(file);
    return true;
}

std::optional<std::wstring> read_text_file(std::wstring_view path) {
    const auto bytes = read_file_bytes(path);
    if (!bytes)
        return std::nullopt;
    std::wstring text;
    if (bytes->empty())
        return text;
    const int length = static_cast<int>(bytes->size());
    const int size = MultiByteToWideChar(CP_ACP, 0, bytes->data(), length, nullptr, 0);
    if (size <= 0)
        return text;
    text.resize(static_cast<std::size_t>(size));
    MultiByteToWideChar(CP_ACP, 0, bytes->data(), length, text.data(), size);
    return text;
}

bool path_exists(std::wstring_view path) {
    return !path.empty() &&
           GetFileAttributesW(std::wstring(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace brixtel
