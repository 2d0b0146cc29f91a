#include "platform/file_read.h"

#include "platform/text.h"

#include <cstdio>
#include <memory>
#include <sys/stat.h>

namespace brixtel {

namespace {

// wchar_t holds whole code points here; surrogates and values beyond U+10FFFF cannot name a
// file and make the path unusable.
std::optional<std::string> utf8_of(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (wchar_t wc : wide) {
        const auto c = static_cast<std::uint32_t>(wc);
        if (c == 0 || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
            return std::nullopt;
        }
        append_utf8(out, c);
    }
    return out;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

std::optional<std::string> read_file_bytes(std::wstring_view path) {
    const auto narrow = utf8_of(path);
    if (!narrow || narrow->empty()) {
        return std::nullopt;
    }
    struct stat info {};
    if (::stat(narrow->c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(narrow->c_str(), "rb"));
    if (!file) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        bytes.append(buffer, got);
    }
    if (std::ferror(file.get())) {
        return std::nullopt;
    }
    return bytes;
}

bool is_text_unicode(std::string_view bytes) {
    if (bytes.size() < 2) {
        return false;
    }
    const auto unit = [&](std::size_t i) {
        return static_cast<unsigned>(static_cast<unsigned char>(bytes[2 * i])) |
               static_cast<unsigned>(static_cast<unsigned char>(bytes[2 * i + 1])) << 8;
    };
    if (unit(0) == 0xFEFF) {
        return true;
    }
    if (unit(0) == 0xFFFE || bytes.size() % 2 != 0) {
        return false;
    }
    const std::size_t units = bytes.size() / 2;
    std::size_t latin = 0;
    std::size_t separators = 0;
    for (std::size_t i = 0; i < units; ++i) {
        const unsigned u = unit(i);
        if (u == 0x0A00 || u == 0x0D00) {
            return false; // a line break with its bytes swapped: big-endian text
        }
        if (u == 0) {
            return false;
        }
        if (u < 0x100) {
            ++latin;
        }
        if (u == 0x0A || u == 0x0D || u == 0x09 || u == 0x20) {
            ++separators;
        }
    }
    return latin * 2 >= units || separators > 0;
}

} // namespace brixtel
