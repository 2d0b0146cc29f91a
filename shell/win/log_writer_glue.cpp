#include "shell/win/log_writer_glue.h"

#include "logging/default_log_location.h"
#include "logging/log_type_entry.h"
#include "platform/path.h"
#include "shell/status_texts.h"
#include "shell/win/app.h"
#include "shell/win/resource_ids.h"

#include <string>

namespace brixtel::win {
namespace {

// Stands in for the log writer until it joins the program: the file setting, the columns and
// the size limit live in the program's current logging options, and nothing is written (no
// file opens, nothing is stored for past data, no file is ever over the limit). The whole
// class goes when log_control() returns the writer.
class StandInLogControl : public LogControl {
  public:
    explicit StandInLogControl(App& app) : app_(app) {}

    LogFileSetting file_setting() const override {
        const CurrentLogging& logging = app_.current_logging;
        return {logging.log_folder, logging.log_base_name, logging.options.append_date};
    }
    void set_file_setting(const LogFileSetting& setting) override {
        CurrentLogging& logging = app_.current_logging;
        logging.log_folder = setting.folder;
        logging.log_base_name = setting.base_name;
        logging.options.append_date = setting.append_date;
    }
    void confirm_file_setting(const LogFileSetting& setting) override { set_file_setting(setting); }
    void use_default_location(bool) override {}
    std::wstring default_log_location() override {
        const std::wstring list = app_.tag_lists.loaded ? app_.tag_lists.loaded->name : L"";
        return brixtel::default_log_location(app_.registry, app_.log_folders, list,
                                             app_.settings.debug_view);
    }
    std::wstring build_log_path() override {
        current_path_built_ = true;
        return log_path_of(file_setting());
    }
    // Without the date: the writer makes the date text.
    std::wstring log_path_of(const LogFileSetting& setting) override {
        return join_path(setting.folder, setting.base_name) +
               std::wstring(view_extension(app_.settings.debug_view));
    }
    bool has_current_log_path() const override { return current_path_built_; }
    bool empty_log_file() override { return false; }

    LogColumns columns() const override {
        const LoggingOptions& o = app_.current_logging.options;
        return {o.log_date,       o.log_req_time,   o.log_req_date,
                o.log_first_time, o.log_first_date, o.log_last_time,
                o.log_last_date,  o.log_indv_time,  o.log_indv_date};
    }
    void set_columns(const LogColumns& c) override {
        LoggingOptions& o = app_.current_logging.options;
        o.log_date = c.date;
        o.log_req_time = c.req_time;
        o.log_req_date = c.req_date;
        o.log_first_time = c.first_time;
        o.log_first_date = c.first_date;
        o.log_last_time = c.last_time;
        o.log_last_date = c.last_date;
        o.log_indv_time = c.indv_time;
        o.log_indv_date = c.indv_date;
    }
    std::uint32_t size_limit_mb() const override { return app_.current_logging.options.log_size; }
    void set_size_limit_mb(std::uint32_t megabytes) override {
        app_.current_logging.options.log_size = megabytes;
    }
    void clear_size_exceeded() override {}
    bool append_mode() const override { return append_mode_; }
    void set_append_mode(bool append) override { append_mode_ = append; }
    void request_header() override { app_.current_logging.header_needed = true; }

    bool logging_on() const override { return logging_on_; }
    bool user_started_logging() const override { return logging_on_; }
    void start_logging(bool) override {
        logging_on_ = true;
        CheckMenuItem(GetMenu(app_.main_window), CMD_LOG_DATA, MF_BYCOMMAND | MF_CHECKED);
    }
    void stop_logging() override {
        logging_on_ = false;
        CheckMenuItem(GetMenu(app_.main_window), CMD_LOG_DATA, MF_BYCOMMAND | MF_UNCHECKED);
        show_logging_off();
    }
    void show_logging_off() override {
        app_.status_bar.set_text(StatusLogging, string_text(ids::LoggingOff));
    }
    bool check_size(bool) override { return true; }
    void refresh_log_status() override {
        app_.status_bar.set_text(StatusLogSize, log_size_zero_text(size_limit_mb()));
    }
    std::size_t stored_item_count() const override { return 0; }
    bool write_past_data(LogOpenMode, std::optional<std::size_t>) override { return false; }

  private:
    App& app_;
    bool current_path_built_ = false;
    bool append_mode_ = true;
    bool logging_on_ = false;
};

} // namespace

LogControl& log_control(App& app) {
    static StandInLogControl stand_in(app);
    return stand_in;
}

// Until the writer's own: the missing levels one by one, without messages of its own.
bool create_log_folder(App& app, HWND, std::wstring_view folder) {
    if (app.log_folders.folder_exists(folder))
        return true;
    const std::size_t slash = folder.rfind(L'\\');
    if (slash != std::wstring_view::npos && slash > 0 &&
        !create_log_folder(app, nullptr, folder.substr(0, slash)))
        return false;
    return app.log_folders.create_folder(folder);
}

bool sync_logging_on(App& app) {
    return app.current_logging.options.sync_log;
}

} // namespace brixtel::win
