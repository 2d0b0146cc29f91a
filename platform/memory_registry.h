#pragma once
// A registry held in memory, for tests: key and value names compare without regard to case,
// enumeration follows creation order, and chosen keys or values can be made to fail so that
// the program's failure messages can be exercised. It plays a 64-bit process: the native view
// is the 64-bit one, and the 32-bit view of HKEY_LOCAL_MACHINE\Software\X is
// Software\WOW6432Node\X, where Windows keeps it (seed that path to fill the 32-bit view).
#include "platform/registry.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel {

class MemoryRegistry : public Registry {
  public:
    struct Node;

    MemoryRegistry();
    ~MemoryRegistry() override;

    std::unique_ptr<RegistryKey> open(RegistryRoot root, std::wstring_view path,
                                      RegistryAccess access) override;
    std::unique_ptr<RegistryKey> open_in_view(RegistryRoot root, std::wstring_view path,
                                              RegistryAccess access, RegistryView view) override;
    Created create(RegistryRoot root, std::wstring_view path, RegistryAccess access) override;

    // Failure injection. A failing key cannot be opened or created (with write_only, only
    // when write access is asked); a failing value cannot be set.
    void fail_key(RegistryRoot root, std::wstring_view path, bool write_only = false);
    void fail_set(RegistryRoot root, std::wstring_view path, std::wstring_view value_name);

    // Inspection and seeding, bypassing access and failures.
    bool key_exists(RegistryRoot root, std::wstring_view path) const;
    std::optional<RegistryValue> value(RegistryRoot root, std::wstring_view path,
                                       std::wstring_view name) const;
    std::vector<std::wstring> value_names(RegistryRoot root, std::wstring_view path) const;
    std::vector<std::wstring> subkey_names(RegistryRoot root, std::wstring_view path) const;
    void put(RegistryRoot root, std::wstring_view path, std::wstring_view name,
             RegistryValue value);

  private:
    struct KeyFailure {
        bool write_only = false;
    };
    std::shared_ptr<Node> find(RegistryRoot root, std::wstring_view path) const;
    bool refused(RegistryRoot root, std::wstring_view path, RegistryAccess access) const;

    std::shared_ptr<Node> current_user_;
    std::shared_ptr<Node> local_machine_;
    std::map<std::wstring, KeyFailure> failing_keys_; // by folded root + path
    std::set<std::wstring> failing_values_;           // folded root + path + "|" + value name
};

} // namespace brixtel
