#pragma once
// Reading an initialisation file by section and key, as the system's private-profile
// functions do. The Win32 implementation (platform/win/system_profile.h) reads a named file;
// the in-memory one backs the unit tests.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace brixtel {

class PrivateProfile {
  public:
    virtual ~PrivateProfile() = default;
    // The key's text cut to max_characters - 1 characters, or the default when it is missing.
    virtual std::wstring read_text(std::wstring_view section, std::wstring_view key,
                                   std::wstring_view fallback, std::size_t max_characters) = 0;
    // The integer at the front of the key's text (0 when it has none), or the default when the
    // key is missing.
    virtual std::int32_t read_integer(std::wstring_view section, std::wstring_view key,
                                      std::int32_t fallback) = 0;
};

class MemoryProfile : public PrivateProfile {
  public:
    void set(std::wstring_view section, std::wstring_view key, std::wstring_view text);

    std::wstring read_text(std::wstring_view section, std::wstring_view key,
                           std::wstring_view fallback, std::size_t max_characters) override;
    std::int32_t read_integer(std::wstring_view section, std::wstring_view key,
                              std::int32_t fallback) override;

  private:
    const std::wstring* find(std::wstring_view section, std::wstring_view key) const;
    std::map<std::wstring, std::wstring> entries_; // folded "section\nkey" -> text
};

} // namespace brixtel
