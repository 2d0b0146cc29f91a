#pragma once
// Typed access to registry values in the forms the program stores: flags are one-byte
// binaries, numbers 32-bit words, texts null-terminated UTF-16. A missing or malformed value
// is never an error; each reader says whether it found one and the caller's default applies.
#include "platform/registry.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel {

// Texts are read through a buffer of this many bytes: at most 511 characters and the null.
inline constexpr std::size_t kTextValueBytes = 1024;

// A one-byte binary; any non-zero byte is yes. On failure `out` = fallback and false.
bool read_flag(const RegistryKey& key, std::wstring_view name, bool& out, bool fallback);
// A 32-bit word. On failure `out` is left as it was and false.
bool read_number(const RegistryKey& key, std::wstring_view name, std::uint32_t& out);
// The text, or the fallback when the value is missing, is no text or does not fit the buffer.
std::wstring read_text(const RegistryKey& key, std::wstring_view name, std::wstring_view fallback);
std::optional<std::wstring> query_text(const RegistryKey& key, std::wstring_view name,
                                       std::size_t max_bytes = kTextValueBytes);

bool write_flag(RegistryKey& key, std::wstring_view name, bool on);
bool write_number(RegistryKey& key, std::wstring_view name, std::uint32_t value);
bool write_text(RegistryKey& key, std::wstring_view name, std::wstring_view text);

// UTF-16 little-endian bytes with the terminating null, as a text value holds them.
std::vector<std::uint8_t> text_value_bytes(std::wstring_view text);
// The text up to its first null; a dangling odd byte is dropped.
std::wstring text_of_value_bytes(std::span<const std::uint8_t> bytes);

// Deletes every value of the key by deleting value 0 until none is left (or one refuses).
void delete_all_values(RegistryKey& key);

// Writes prefix + "1", prefix + "2", ... for the texts in order; returns how many were written.
std::uint32_t write_numbered_texts(RegistryKey& key, std::wstring_view prefix,
                                   std::span<const std::wstring> texts);

// The whole rewrite of a numbered value family: creates or opens the key (read and write),
// empties it if it existed, writes the numbered texts from 1 without gaps, then the count
// value. False only when the key could not be created; single value writes are not checked.
bool rewrite_value_list(Registry& registry, RegistryRoot root, std::wstring_view path,
                        std::wstring_view prefix, std::wstring_view count_name,
                        std::span<const std::wstring> texts);

} // namespace brixtel
