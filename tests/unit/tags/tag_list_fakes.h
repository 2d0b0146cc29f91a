#pragma once
// Stand-ins for the Database table and the timed load questions, and registry seeding in the
// forms the program stores.
#include "platform/memory_registry.h"
#include "settings/registry_values.h"
#include "platform/case_fold.h"
#include "tags/current_tag_list.h"
#include "tags/tag_list_load.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace brixtel::testing {

class FakeDatabaseNames : public DatabaseNames {
  public:
    // Slot texts by Database number; 1 is the "no database" slot.
    std::map<std::int32_t, std::wstring> slots{{1, L"NO_DATABASE"}};

    std::wstring slot_text(std::int32_t number) const override {
        const auto found = slots.find(number);
        return found == slots.end() ? std::wstring() : found->second;
    }
    std::optional<std::int32_t> number_of_path(std::wstring_view path) const override {
        for (const auto& [number, slot] : slots)
            if (number != 1 && equal_ignoring_case(slot, path))
                return number;
        return std::nullopt;
    }
};

class FakePrompts : public TagListPrompts {
  public:
    bool delete_answer = false;
    std::vector<std::wstring> delete_questions; // list names asked about
    std::vector<std::wstring> no_points_notices;

    bool ask_delete_bad_points(std::wstring_view list_name) override {
        delete_questions.emplace_back(list_name);
        return delete_answer;
    }
    void notify_no_points_loaded(std::wstring_view list_name) override {
        no_points_notices.emplace_back(list_name);
    }
};

inline RegistryValue text_value(std::wstring_view text) {
    return RegistryValue{RegistryTypeText, text_value_bytes(text)};
}

inline RegistryValue number_value(std::uint32_t number) {
    return RegistryValue{RegistryTypeNumber,
                         {static_cast<std::uint8_t>(number & 0xFF),
                          static_cast<std::uint8_t>((number >> 8) & 0xFF),
                          static_cast<std::uint8_t>((number >> 16) & 0xFF),
                          static_cast<std::uint8_t>(number >> 24)}};
}

inline RegistryValue flag_value(std::uint8_t flag) {
    return RegistryValue{RegistryTypeBinary, {flag}};
}

inline std::wstring text_of(const std::optional<RegistryValue>& value) {
    return value ? text_of_value_bytes(value->data) : L"<missing>";
}

inline std::wstring list_path(int number) {
    return L"Software\\Quorrel\\Halvo Brixtel\\Tags\\List" + std::to_wstring(number);
}

// A list subkey with a name and entries (stored form), as a saved list looks.
inline void seed_list(MemoryRegistry& registry, int number, std::wstring_view name,
                      const std::vector<std::wstring>& entries) {
    const std::wstring path = list_path(number);
    registry.put(RegistryRoot::CurrentUser, path, L"name", text_value(name));
    for (std::size_t i = 0; i < entries.size(); ++i)
        registry.put(RegistryRoot::CurrentUser, path, L"TagLookUp" + std::to_wstring(i + 1),
                     text_value(entries[i]));
    registry.put(RegistryRoot::CurrentUser, path, L"NumberofTags",
                 number_value(static_cast<std::uint32_t>(entries.size())));
}

} // namespace brixtel::testing
