#pragma once
// The registry of the running system (ADVAPI32).
#include "platform/registry.h"

namespace brixtel {

class SystemRegistry : public Registry {
  public:
    std::unique_ptr<RegistryKey> open(RegistryRoot root, std::wstring_view path,
                                      RegistryAccess access) override;
    std::unique_ptr<RegistryKey> open_in_view(RegistryRoot root, std::wstring_view path,
                                              RegistryAccess access, RegistryView view) override;
    Created create(RegistryRoot root, std::wstring_view path, RegistryAccess access) override;
};

} // namespace brixtel
