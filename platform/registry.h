#pragma once
// The registry as the program sees it: keys opened by path under a root, typed values, and
// the enumeration the value-list rewrites need. The Win32 implementation talks to ADVAPI32;
// the in-memory one backs the unit tests.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel {

enum class RegistryRoot { CurrentUser, LocalMachine };

// A 64-bit system keeps two registries of installed software under HKEY_LOCAL_MACHINE: the
// 64-bit programs' and the 32-bit programs' (where a 32-bit installer writes unless it asks for
// the other). Native is the one the process sees by itself.
enum class RegistryView { Native, Bits64, Bits32 };

// Read: KEY_READ. Write: KEY_WRITE alone (the loop-entry writes). ReadWrite: both.
enum class RegistryAccess { Read, Write, ReadWrite };

// Value types as the registry numbers them.
enum RegistryType : std::uint32_t {
    RegistryTypeText = 1,   // REG_SZ
    RegistryTypeBinary = 3, // REG_BINARY
    RegistryTypeNumber = 4, // REG_DWORD
};

struct RegistryValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

// An open key; closed when destroyed.
class RegistryKey {
  public:
    virtual ~RegistryKey() = default;
    virtual std::optional<RegistryValue> query(std::wstring_view name) const = 0;
    virtual bool set(std::wstring_view name, std::uint32_t type,
                     std::span<const std::uint8_t> data) = 0;
    virtual bool delete_value(std::wstring_view name) = 0;
    // Names by position, for the "delete index 0 until none is left" loops; none past the end.
    virtual std::optional<std::wstring> value_name_at(std::uint32_t index) const = 0;
    virtual std::optional<std::wstring> subkey_name_at(std::uint32_t index) const = 0;
    // Deletes a subkey that has no subkeys of its own.
    virtual bool delete_subkey(std::wstring_view name) = 0;
};

class Registry {
  public:
    struct Created {
        std::unique_ptr<RegistryKey> key; // null when the key could not be created or opened
        bool existed = false;
    };

    virtual ~Registry() = default;
    // Null when the key does not exist or cannot be opened with that access.
    virtual std::unique_ptr<RegistryKey> open(RegistryRoot root, std::wstring_view path,
                                              RegistryAccess access) = 0;
    // The same in a chosen view; on a 32-bit system both views are the one registry.
    virtual std::unique_ptr<RegistryKey> open_in_view(RegistryRoot root, std::wstring_view path,
                                                      RegistryAccess access, RegistryView view) = 0;
    // Creates the key (and missing parents) non-volatile with the class "REG_SZ", or opens it.
    virtual Created create(RegistryRoot root, std::wstring_view path, RegistryAccess access) = 0;
};

} // namespace brixtel
