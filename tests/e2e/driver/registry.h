// The suite shares the program's registry (same prefix), so tests seed and inspect the
// program's settings directly.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brixtel::e2e {

inline constexpr wchar_t kMakerKey[] = L"Software\\Quorrel";
inline constexpr wchar_t kSettingsKey[] = L"Software\\Quorrel\\Halvo Brixtel";

// True when the key is gone afterwards (also when it never existed).
bool delete_key_tree(HKEY root, const std::wstring& path);
bool key_exists(HKEY root, const std::wstring& path);

std::optional<DWORD> read_dword(HKEY root, const std::wstring& path, const std::wstring& name);
std::optional<std::wstring> read_string(HKEY root, const std::wstring& path,
                                        const std::wstring& name);
std::optional<std::vector<uint8_t>> read_binary(HKEY root, const std::wstring& path,
                                                const std::wstring& name);

// Writers create the key when needed.
bool write_dword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value);
bool write_string(HKEY root, const std::wstring& path, const std::wstring& name,
                  const std::wstring& value);
bool write_binary(HKEY root, const std::wstring& path, const std::wstring& name,
                  const std::vector<uint8_t>& value);

} // namespace brixtel::e2e
