// The suite shares the program's registry (same prefix), so tests seed and inspect the
// program's settings directly.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brixtel::e2e {

inline constexpr wchar_t kMakerKey[] = L"Software\\Quorrel";
inline constexpr wchar_t kSettingsKey[] = L"Software\\Quorrel\\Halvo Brixtel";

// `view` picks the 64-bit or 32-bit programs' registry (KEY_WOW64_64KEY, KEY_WOW64_32KEY);
// 0 is the suite's own, the 64-bit one.

// True when the key is gone afterwards (also when it never existed).
bool delete_key_tree(HKEY root, const std::wstring& path, REGSAM view = 0);
bool key_exists(HKEY root, const std::wstring& path, REGSAM view = 0);

std::optional<DWORD> read_dword(HKEY root, const std::wstring& path, const std::wstring& name);
std::optional<std::wstring> read_string(HKEY root, const std::wstring& path,
                                        const std::wstring& name);
std::optional<std::vector<uint8_t>> read_binary(HKEY root, const std::wstring& path,
                                                const std::wstring& name);

// Writers create the key when needed.
bool write_dword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value);
bool write_string(HKEY root, const std::wstring& path, const std::wstring& name,
                  const std::wstring& value, REGSAM view = 0);
bool write_binary(HKEY root, const std::wstring& path, const std::wstring& name,
                  const std::vector<uint8_t>& value);

// A value with its type, as the registry holds it.
struct RawValue {
    DWORD type = 0;
    std::vector<BYTE> data;
};
std::optional<RawValue> raw_value(HKEY root, const std::wstring& path, const std::wstring& name);

// A user value of exactly the program's type: REG_DWORD, one-byte REG_BINARY flag, or REG_SZ
// written with its terminating null.
::testing::AssertionResult is_number(const std::wstring& path, const std::wstring& name,
                                     DWORD expected);
::testing::AssertionResult is_flag(const std::wstring& path, const std::wstring& name,
                                   BYTE expected);
::testing::AssertionResult is_text(const std::wstring& path, const std::wstring& name,
                                   const std::wstring& expected);

} // namespace brixtel::e2e
