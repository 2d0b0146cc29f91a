#pragma once
// An initialisation file read through the system's private-profile functions. A name without
// a folder resolves to the Windows folder.
#include "platform/private_profile.h"

namespace brixtel {

class SystemProfile : public PrivateProfile {
  public:
    explicit SystemProfile(std::wstring file_name) : file_name_(std::move(file_name)) {}

    std::wstring read_text(std::wstring_view section, std::wstring_view key,
                           std::wstring_view fallback, std::size_t max_characters) override;
    std::int32_t read_integer(std::wstring_view section, std::wstring_view key,
                              std::int32_t fallback) override;

  private:
    std::wstring file_name_;
};

} // namespace brixtel
