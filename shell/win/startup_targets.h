#pragma once
// Where the start-up read of the settings delivers loop entries, database files and lists.
#include "platform/private_profile.h"
#include "settings/startup_read.h"
#include "shell/win/app.h"

namespace brixtel::win {

class AppStartupTargets : public StartupReadTargets {
  public:
    AppStartupTargets(App& app, PrivateProfile& profile) : app_(app), profile_(profile) {}

    void read_first_start_loop_entries() override;
    std::vector<StoredLoopEntry> loop_entries() override {
        return app_.loops.first_start_entries();
    }
    void add_database_file(std::uint32_t index, const std::wstring& path) override;
    std::vector<std::wstring> database_paths() override;
    std::vector<std::wstring> current_tag_entries() override;
    void read_all_tag_lists() override;
    void seed_first_tag_list(const std::vector<std::wstring>& stored_entries) override;

  private:
    App& app_;
    PrivateProfile& profile_;
};

} // namespace brixtel::win
