#include "platform/memory_registry.h"

#include "platform/case_fold.h"

#include <algorithm>
#include <set>

namespace brixtel {

namespace {

std::vector<std::wstring> split_path(std::wstring_view path) {
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find(L'\\', start), path.size());
        if (end > start)
            parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::wstring failure_id(RegistryRoot root, std::wstring_view path) {
    std::wstring id = root == RegistryRoot::CurrentUser ? L"hkcu" : L"hklm";
    for (const std::wstring& part : split_path(path))
        id += L"\\" + upper_case(part);
    return id;
}

// Where a 64-bit system keeps the 32-bit programs' HKEY_LOCAL_MACHINE\Software.
std::wstring in_view(RegistryRoot root, std::wstring_view path, RegistryView view) {
    std::wstring mapped(path);
    if (view != RegistryView::Bits32 || root != RegistryRoot::LocalMachine)
        return mapped;
    const std::vector<std::wstring> parts = split_path(path);
    if (parts.empty() || upper_case(parts[0]) != L"SOFTWARE")
        return mapped;
    mapped = parts[0] + L"\\WOW6432Node";
    for (std::size_t i = 1; i < parts.size(); ++i)
        mapped += L"\\" + parts[i];
    return mapped;
}

} // namespace

struct MemoryRegistry::Node {
    struct NamedValue {
        std::wstring name;
        RegistryValue value;
    };
    std::wstring name;
    std::vector<NamedValue> values;             // creation order
    std::vector<std::shared_ptr<Node>> subkeys; // creation order

    std::shared_ptr<Node> child(std::wstring_view child_name) const {
        const std::wstring folded = upper_case(child_name);
        for (const auto& sub : subkeys) {
            if (upper_case(sub->name) == folded)
                return sub;
        }
        return nullptr;
    }
    NamedValue* find_value(std::wstring_view value_name) {
        const std::wstring folded = upper_case(value_name);
        for (auto& named : values) {
            if (upper_case(named.name) == folded)
                return &named;
        }
        return nullptr;
    }
};

namespace {

class MemoryKey : public RegistryKey {
  public:
    // An open key keeps its node alive, as a handle to a deleted key stays valid.
    MemoryKey(std::shared_ptr<MemoryRegistry::Node> node, RegistryAccess access,
              const std::set<std::wstring>& failing_values, std::wstring id)
        : holder_(std::move(node)), node_(*holder_), access_(access),
          failing_values_(failing_values), id_(std::move(id)) {}

    std::optional<RegistryValue> query(std::wstring_view name) const override {
        if (access_ == RegistryAccess::Write)
            return std::nullopt;
        if (auto* named = node_.find_value(name))
            return named->value;
        return std::nullopt;
    }
    bool set(std::wstring_view name, std::uint32_t type,
             std::span<const std::uint8_t> data) override {
        if (access_ == RegistryAccess::Read || failing_values_.count(id_ + L"|" + upper_case(name)))
            return false;
        RegistryValue value{type, {data.begin(), data.end()}};
        if (auto* named = node_.find_value(name))
            named->value = std::move(value);
        else
            node_.values.push_back({std::wstring(name), std::move(value)});
        return true;
    }
    bool delete_value(std::wstring_view name) override {
        if (access_ == RegistryAccess::Read)
            return false;
        const std::wstring folded = upper_case(name);
        auto found = std::find_if(node_.values.begin(), node_.values.end(), [&](const auto& named) {
            return upper_case(named.name) == folded;
        });
        if (found == node_.values.end())
            return false;
        node_.values.erase(found);
        return true;
    }
    std::optional<std::wstring> value_name_at(std::uint32_t index) const override {
        if (access_ == RegistryAccess::Write || index >= node_.values.size())
            return std::nullopt;
        return node_.values[index].name;
    }
    std::optional<std::wstring> subkey_name_at(std::uint32_t index) const override {
        if (access_ == RegistryAccess::Write || index >= node_.subkeys.size())
            return std::nullopt;
        return node_.subkeys[index]->name;
    }
    bool delete_subkey(std::wstring_view name) override {
        const std::wstring folded = upper_case(name);
        auto found = std::find_if(node_.subkeys.begin(), node_.subkeys.end(),
                                  [&](const auto& sub) { return upper_case(sub->name) == folded; });
        if (found == node_.subkeys.end() || !(*found)->subkeys.empty())
            return false;
        node_.subkeys.erase(found);
        return true;
    }

  private:
    std::shared_ptr<MemoryRegistry::Node> holder_;
    MemoryRegistry::Node& node_;
    RegistryAccess access_;
    const std::set<std::wstring>& failing_values_;
    std::wstring id_;
};

} // namespace

MemoryRegistry::MemoryRegistry()
    : current_user_(std::make_shared<Node>()), local_machine_(std::make_shared<Node>()) {}

MemoryRegistry::~MemoryRegistry() = default;

std::shared_ptr<MemoryRegistry::Node> MemoryRegistry::find(RegistryRoot root,
                                                           std::wstring_view path) const {
    std::shared_ptr<Node> node = root == RegistryRoot::CurrentUser ? current_user_ : local_machine_;
    for (const std::wstring& part : split_path(path)) {
        node = node->child(part);
        if (!node)
            return nullptr;
    }
    return node;
}

bool MemoryRegistry::refused(RegistryRoot root, std::wstring_view path,
                             RegistryAccess access) const {
    const auto found = failing_keys_.find(failure_id(root, path));
    if (found == failing_keys_.end())
        return false;
    return !found->second.write_only || access != RegistryAccess::Read;
}

std::unique_ptr<RegistryKey> MemoryRegistry::open(RegistryRoot root, std::wstring_view path,
                                                  RegistryAccess access) {
    std::shared_ptr<Node> node = find(root, path);
    if (!node || refused(root, path, access))
        return nullptr;
    return std::make_unique<MemoryKey>(std::move(node), access, failing_values_,
                                       failure_id(root, path));
}

std::unique_ptr<RegistryKey> MemoryRegistry::open_in_view(RegistryRoot root, std::wstring_view path,
                                                          RegistryAccess access,
                                                          RegistryView view) {
    return open(root, in_view(root, path, view), access);
}

Registry::Created MemoryRegistry::create(RegistryRoot root, std::wstring_view path,
                                         RegistryAccess access) {
    Created created;
    std::shared_ptr<Node> node = root == RegistryRoot::CurrentUser ? current_user_ : local_machine_;
    std::wstring walked;
    bool existed = true;
    for (const std::wstring& part : split_path(path)) {
        walked += (walked.empty() ? L"" : L"\\") + part;
        std::shared_ptr<Node> next = node->child(part);
        if (!next) {
            // A key that cannot be created cannot hold new subkeys either.
            if (refused(root, walked, RegistryAccess::ReadWrite))
                return created;
            next = std::make_shared<Node>();
            next->name = part;
            node->subkeys.push_back(next);
            existed = false;
        }
        node = next;
    }
    if (refused(root, path, access))
        return created;
    created.key = std::make_unique<MemoryKey>(std::move(node), access, failing_values_,
                                              failure_id(root, path));
    created.existed = existed;
    return created;
}

void MemoryRegistry::fail_key(RegistryRoot root, std::wstring_view path, bool write_only) {
    failing_keys_[failure_id(root, path)] = KeyFailure{write_only};
}

void MemoryRegistry::fail_set(RegistryRoot root, std::wstring_view path,
                              std::wstring_view value_name) {
    failing_values_.insert(failure_id(root, path) + L"|" + upper_case(value_name));
}

bool MemoryRegistry::key_exists(RegistryRoot root, std::wstring_view path) const {
    return find(root, path) != nullptr;
}

std::optional<RegistryValue> MemoryRegistry::value(RegistryRoot root, std::wstring_view path,
                                                   std::wstring_view name) const {
    const std::shared_ptr<Node> node = find(root, path);
    if (!node)
        return std::nullopt;
    if (auto* named = node->find_value(name))
        return named->value;
    return std::nullopt;
}

std::vector<std::wstring> MemoryRegistry::value_names(RegistryRoot root,
                                                      std::wstring_view path) const {
    std::vector<std::wstring> names;
    if (const std::shared_ptr<Node> node = find(root, path)) {
        for (const auto& named : node->values)
            names.push_back(named.name);
    }
    return names;
}

std::vector<std::wstring> MemoryRegistry::subkey_names(RegistryRoot root,
                                                       std::wstring_view path) const {
    std::vector<std::wstring> names;
    if (const std::shared_ptr<Node> node = find(root, path)) {
        for (const auto& sub : node->subkeys)
            names.push_back(sub->name);
    }
    return names;
}

void MemoryRegistry::put(RegistryRoot root, std::wstring_view path, std::wstring_view name,
                         RegistryValue value) {
    std::shared_ptr<Node> node = find(root, path);
    if (!node) {
        // Seeding ignores injected failures.
        auto saved = std::move(failing_keys_);
        failing_keys_.clear();
        create(root, path, RegistryAccess::ReadWrite);
        failing_keys_ = std::move(saved);
        node = find(root, path);
    }
    if (auto* named = node->find_value(name))
        named->value = std::move(value);
    else
        node->values.push_back({std::wstring(name), std::move(value)});
}

} // namespace brixtel
