#include "platform/text_file.h"

#include "platform/file_read.h"
#include "platform/text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brixtel {
namespace {

// Characters UTF-8 cannot hold (surrogates, beyond U+10FFFF) become "?".
std::string utf8_of(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (wchar_t wc : wide) {
        const auto c = static_cast<std::uint32_t>(wc);
        append_utf8(out, (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF ? L'?' : c);
    }
    return out;
}

std::string native_path(std::wstring_view path) {
    std::string out = utf8_of(path);
    for (char& c : out)
        if (c == '\\')
            c = '/';
    return out;
}

// The length of the valid UTF-8 sequence at `at` and its code point; 0 when there is none.
std::size_t utf8_sequence(std::string_view bytes, std::size_t at, std::uint32_t& code_point) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned lead = byte(at);
    std::size_t length = 0;
    std::uint32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, min = 0x80, code_point = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, min = 0x800, code_point = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, min = 0x10000, code_point = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        code_point = (code_point << 6) | (byte(at + i) & 0x3F);
    }
    if (code_point < min || code_point > 0x10FFFF || (code_point >= 0xD800 && code_point <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

bool write_text_file(std::wstring_view path, std::wstring_view text) {
    if (path.empty())
        return false;
    const int fd = ::open(native_path(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0)
        return false;
    const std::string bytes = utf8_of(text);
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written <= 0)
            break;
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    ::close(fd);
    return true;
}

std::optional<std::wstring> read_text_file(std::wstring_view path) {
    const auto bytes = read_file_bytes(path);
    if (!bytes)
        return std::nullopt;
    std::wstring text;
    text.reserve(bytes->size());
    for (std::size_t at = 0; at < bytes->size();) {
        std::uint32_t code_point = 0;
        const unsigned char lead = static_cast<unsigned char>((*bytes)[at]);
        if (lead < 0x80) {
            text += static_cast<wchar_t>(lead);
            ++at;
        } else if (const std::size_t length = utf8_sequence(*bytes, at, code_point)) {
            text += static_cast<wchar_t>(code_point);
            at += length;
        } else {
            text += static_cast<wchar_t>(lead);
            ++at;
        }
    }
    return text;
}

bool path_exists(std::wstring_view path) {
    struct stat st {};
    return !path.empty() && ::stat(native_path(path).c_str(), &st) == 0;
}

} // namespace brixtel
