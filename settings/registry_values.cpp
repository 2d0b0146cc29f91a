#include "settings/registry_values.h"

#include <optional>

namespace brixtel {

bool read_flag(const RegistryKey& key, std::wstring_view name, bool& out, bool fallback) {
    const auto value = key.query(name);
    if (!value || value->type != RegistryTypeBinary || value->data.size() != 1) {
        out = fallback;
        return false;
    }
    out = value->data[0] != 0;
    return true;
}

bool read_number(const RegistryKey& key, std::wstring_view name, std::uint32_t& out) {
    const auto value = key.query(name);
    if (!value || value->type != RegistryTypeNumber || value->data.size() != 4)
        return false;
    out = static_cast<std::uint32_t>(value->data[0]) |
          static_cast<std::uint32_t>(value->data[1]) << 8 |
          static_cast<std::uint32_t>(value->data[2]) << 16 |
          static_cast<std::uint32_t>(value->data[3]) << 24;
    return true;
}

std::optional<std::wstring> query_text(const RegistryKey& key, std::wstring_view name,
                                       std::size_t max_bytes) {
    const auto value = key.query(name);
    if (!value || value->type != RegistryTypeText || value->data.size() > max_bytes)
        return std::nullopt;
    return text_of_value_bytes(value->data);
}

std::wstring read_text(const RegistryKey& key, std::wstring_view name, std::wstring_view fallback) {
    auto text = query_text(key, name);
    return text ? std::move(*text) : std::wstring(fallback);
}

bool write_flag(RegistryKey& key, std::wstring_view name, bool on) {
    const std::uint8_t byte = on ? 1 : 0;
    return key.set(name, RegistryTypeBinary, std::span<const std::uint8_t>(&byte, 1));
}

bool write_number(RegistryKey& key, std::wstring_view name, std::uint32_t value) {
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    return key.set(name, RegistryTypeNumber, bytes);
}

bool write_text(RegistryKey& key, std::wstring_view name, std::wstring_view text) {
    return key.set(name, RegistryTypeText, text_value_bytes(text));
}

std::vector<std::uint8_t> text_value_bytes(std::wstring_view text) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve((text.size() + 1) * 2);
    auto put = [&](std::uint32_t unit) {
        bytes.push_back(static_cast<std::uint8_t>(unit));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    };
    for (const wchar_t c : text) {
        const auto code = static_cast<std::uint32_t>(c);
        if (code > 0xFFFF) { // only where wchar_t is 32 bits wide
            put(0xD800 + ((code - 0x10000) >> 10));
            put(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            put(code);
        }
    }
    put(0);
    return bytes;
}

std::wstring text_of_value_bytes(std::span<const std::uint8_t> bytes) {
    std::wstring text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        std::uint32_t unit = bytes[i] | bytes[i + 1] << 8;
        if (unit == 0)
            break;
        if constexpr (sizeof(wchar_t) > 2) {
            if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
                const std::uint32_t low = bytes[i + 2] | bytes[i + 3] << 8;
                if (low >= 0xDC00 && low < 0xE000) {
                    unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                    i += 2;
                }
            }
        }
        text.push_back(static_cast<wchar_t>(unit));
    }
    return text;
}

void delete_all_values(RegistryKey& key) {
    while (const auto name = key.value_name_at(0)) {
        if (!key.delete_value(*name))
            break;
    }
}

std::uint32_t write_numbered_texts(RegistryKey& key, std::wstring_view prefix,
                                   std::span<const std::wstring> texts) {
    std::uint32_t number = 0;
    for (const std::wstring& text : texts) {
        ++number;
        write_text(key, std::wstring(prefix) + std::to_wstring(number), text);
    }
    return number;
}

bool rewrite_value_list(Registry& registry, RegistryRoot root, std::wstring_view path,
                        std::wstring_view prefix, std::wstring_view count_name,
                        std::span<const std::wstring> texts) {
    auto created = registry.create(root, path, RegistryAccess::ReadWrite);
    if (!created.key)
        return false;
    if (created.existed)
        delete_all_values(*created.key);
    const std::uint32_t written = write_numbered_texts(*created.key, prefix, texts);
    write_number(*created.key, count_name, written);
    return true;
}

} // namespace brixtel
