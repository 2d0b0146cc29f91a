#include "platform/win/system_registry.h"

#include <windows.h>

#include <string>

namespace brixtel {
namespace {

// Value and subkey names are read through buffers of this many characters.
constexpr DWORD kNameCharacters = 1024;

HKEY root_handle(RegistryRoot root) {
    return root == RegistryRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

REGSAM access_mask(RegistryAccess access) {
    switch (access) {
    case RegistryAccess::Read:
        return KEY_READ;
    case RegistryAccess::Write:
        return KEY_WRITE;
    case RegistryAccess::ReadWrite:
        break;
    }
    return KEY_READ | KEY_WRITE;
}

REGSAM view_mask(RegistryView view) {
    switch (view) {
    case RegistryView::Native:
        break;
    case RegistryView::Bits64:
        return KEY_WOW64_64KEY;
    case RegistryView::Bits32:
        return KEY_WOW64_32KEY;
    }
    return 0;
}

class SystemKey : public RegistryKey {
  public:
    explicit SystemKey(HKEY key) : key_(key) {}
    ~SystemKey() override { RegCloseKey(key_); }
    SystemKey(const SystemKey&) = delete;
    SystemKey& operator=(const SystemKey&) = delete;

    std::optional<RegistryValue> query(std::wstring_view name) const override {
        const std::wstring value_name(name);
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExW(key_, value_name.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS)
            return std::nullopt;
        RegistryValue value;
        // A value may grow between the two calls; ask again then.
        for (int attempt = 0; attempt < 4; ++attempt) {
            value.data.resize(size);
            const LONG status = RegQueryValueExW(key_, value_name.c_str(), nullptr, &type,
                                                 value.data.data(), &size);
            if (status == ERROR_SUCCESS) {
                value.data.resize(size);
                value.type = type;
                return value;
            }
            if (status != ERROR_MORE_DATA)
                return std::nullopt;
        }
        return std::nullopt;
    }

    bool set(std::wstring_view name, std::uint32_t type,
             std::span<const std::uint8_t> data) override {
        const std::wstring value_name(name);
        return RegSetValueExW(key_, value_name.c_str(), 0, type, data.data(),
                              static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
    }

    bool delete_value(std::wstring_view name) override {
        const std::wstring value_name(name);
        return RegDeleteValueW(key_, value_name.c_str()) == ERROR_SUCCESS;
    }

    std::optional<std::wstring> value_name_at(std::uint32_t index) const override {
        wchar_t buffer[kNameCharacters];
        DWORD length = kNameCharacters;
        if (RegEnumValueW(key_, index, buffer, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            return std::nullopt;
        return std::wstring(buffer, length);
    }

    std::optional<std::wstring> subkey_name_at(std::uint32_t index) const override {
        wchar_t buffer[kNameCharacters];
        DWORD length = kNameCharacters;
        if (RegEnumKeyExW(key_, index, buffer, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            return std::nullopt;
        return std::wstring(buffer, length);
    }

    bool delete_subkey(std::wstring_view name) override {
        const std::wstring subkey(name);
        return RegDeleteKeyW(key_, subkey.c_str()) == ERROR_SUCCESS;
    }

  private:
    HKEY key_;
};

} // namespace

std::unique_ptr<RegistryKey> SystemRegistry::open(RegistryRoot root, std::wstring_view path,
                                                  RegistryAccess access) {
    return open_in_view(root, path, access, RegistryView::Native);
}

std::unique_ptr<RegistryKey> SystemRegistry::open_in_view(RegistryRoot root, std::wstring_view path,
                                                          RegistryAccess access,
                                                          RegistryView view) {
    const std::wstring subkey(path);
    HKEY key = nullptr;
    if (RegOpenKeyExW(root_handle(root), subkey.c_str(), 0, access_mask(access) | view_mask(view),
                      &key) != ERROR_SUCCESS)
        return nullptr;
    return std::make_unique<SystemKey>(key);
}

Registry::Created SystemRegistry::create(RegistryRoot root, std::wstring_view path,
                                         RegistryAccess access) {
    const std::wstring subkey(path);
    wchar_t key_class[] = L"REG_SZ";
    HKEY key = nullptr;
    DWORD disposition = 0;
    Created created;
    if (RegCreateKeyExW(root_handle(root), subkey.c_str(), 0, key_class, REG_OPTION_NON_VOLATILE,
                        access_mask(access), nullptr, &key, &disposition) != ERROR_SUCCESS)
        return created;
    created.key = std::make_unique<SystemKey>(key);
    created.existed = disposition == REG_OPENED_EXISTING_KEY;
    return created;
}

} // namespace brixtel
