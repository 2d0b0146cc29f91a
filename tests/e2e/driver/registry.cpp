#include "tests/e2e/driver/registry.h"

#include <cstring>

namespace brixtel::e2e {

namespace {

std::optional<std::vector<uint8_t>> read_raw(HKEY root, const std::wstring& path,
                                             const std::wstring& name, DWORD wanted_type) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegGetValueW(root, path.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr,
                     &size) != ERROR_SUCCESS ||
        type != wanted_type)
        return std::nullopt;
    std::vector<uint8_t> data(size);
    if (RegGetValueW(root, path.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type,
                     data.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    data.resize(size);
    return data;
}

bool write_raw(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type,
               const void* data, DWORD size, REGSAM view = 0) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const LONG result =
        RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

} // namespace

bool key_exists(HKEY root, const std::wstring& path, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool delete_key_tree(HKEY root, const std::wstring& path, REGSAM view) {
    // The tree is deleted below its parent opened in the view, which RegDeleteTreeW cannot
    // be told by itself.
    const size_t slash = path.find_last_of(L'\\');
    const std::wstring parent_path = slash == std::wstring::npos ? L"" : path.substr(0, slash);
    const std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    HKEY parent = nullptr;
    if (RegOpenKeyExW(root, parent_path.c_str(), 0, KEY_ALL_ACCESS | view, &parent) ==
        ERROR_SUCCESS) {
        const LONG result = RegDeleteTreeW(parent, name.c_str());
        if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND)
            RegDeleteKeyExW(parent, name.c_str(), view, 0); // the tree call may leave the key
        RegCloseKey(parent);
    }
    return !key_exists(root, path, view);
}

std::optional<DWORD> read_dword(HKEY root, const std::wstring& path, const std::wstring& name) {
    const auto data = read_raw(root, path, name, REG_DWORD);
    if (!data || data->size() != sizeof(DWORD))
        return std::nullopt;
    DWORD value = 0;
    memcpy(&value, data->data(), sizeof value);
    return value;
}

std::optional<std::wstring> read_string(HKEY root, const std::wstring& path,
                                        const std::wstring& name) {
    const auto data = read_raw(root, path, name, REG_SZ);
    if (!data)
        return std::nullopt;
    std::wstring text(data->size() / sizeof(wchar_t), L'\0');
    memcpy(text.data(), data->data(), text.size() * sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return text;
}

std::optional<std::vector<uint8_t>> read_binary(HKEY root, const std::wstring& path,
                                                const std::wstring& name) {
    return read_raw(root, path, name, REG_BINARY);
}

bool write_dword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value) {
    return write_raw(root, path, name, REG_DWORD, &value, sizeof value);
}

bool write_string(HKEY root, const std::wstring& path, const std::wstring& name,
                  const std::wstring& value, REGSAM view) {
    return write_raw(root, path, name, REG_SZ, value.c_str(),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)), view);
}

bool write_binary(HKEY root, const std::wstring& path, const std::wstring& name,
                  const std::vector<uint8_t>& value) {
    return write_raw(root, path, name, REG_BINARY, value.data(), static_cast<DWORD>(value.size()));
}

std::optional<RawValue> raw_value(HKEY root, const std::wstring& path, const std::wstring& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    RawValue value;
    DWORD size = 0;
    LONG status = RegQueryValueExW(key, name.c_str(), nullptr, &value.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        value.data.resize(size);
        status =
            RegQueryValueExW(key, name.c_str(), nullptr, &value.type, value.data.data(), &size);
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

::testing::AssertionResult is_number(const std::wstring& path, const std::wstring& name,
                                     DWORD expected) {
    const auto value = raw_value(HKEY_CURRENT_USER, path, name);
    if (!value)
        return ::testing::AssertionFailure() << "missing";
    if (value->type != REG_DWORD || value->data.size() != 4)
        return ::testing::AssertionFailure() << "type " << value->type << ", not REG_DWORD";
    DWORD number = 0;
    memcpy(&number, value->data.data(), 4);
    if (number != expected)
        return ::testing::AssertionFailure() << "is " << number << ", expected " << expected;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult is_flag(const std::wstring& path, const std::wstring& name,
                                   BYTE expected) {
    const auto value = raw_value(HKEY_CURRENT_USER, path, name);
    if (!value)
        return ::testing::AssertionFailure() << "missing";
    if (value->type != REG_BINARY || value->data.size() != 1)
        return ::testing::AssertionFailure()
               << "type " << value->type << " of " << value->data.size() << " bytes";
    if (value->data[0] != expected)
        return ::testing::AssertionFailure() << "is " << int(value->data[0]);
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult is_text(const std::wstring& path, const std::wstring& name,
                                   const std::wstring& expected) {
    const auto value = raw_value(HKEY_CURRENT_USER, path, name);
    if (!value || value->type != REG_SZ)
        return ::testing::AssertionFailure() << "missing or not REG_SZ";
    // Written with the terminating null: (characters + 1) x 2 bytes.
    if (value->data.size() != (expected.size() + 1) * sizeof(wchar_t))
        return ::testing::AssertionFailure() << value->data.size() << " bytes";
    if (std::wstring(reinterpret_cast<const wchar_t*>(value->data.data()), expected.size()) !=
        expected)
        return ::testing::AssertionFailure() << "other text";
    return ::testing::AssertionSuccess();
}

} // namespace brixtel::e2e
