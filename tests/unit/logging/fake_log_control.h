#pragma once
// A log writer held in memory: its state is set by the test and every operation that changes
// something is recorded in order, so a test can read back what a command did to the log.
#include "logging/log_control.h"

#include <string>
#include <vector>

namespace brixtel::testing {

class FakeLogControl : public LogControl {
  public:
    LogFileSetting setting{L"C:\\Logs", L"Plant", true};
    LogFileSetting saved_setting = setting;
    std::wstring default_location = L"C:\\Docs\\Halvo LOGS\\Brixtel.CSV";
    std::wstring view_extension = L".CSV";
    std::wstring date = L"3_4_21";
    bool current_path_built = false;
    LogColumns log_columns;
    std::uint32_t limit_mb = 5;
    bool append = true;
    bool on = false;
    bool user_started = false;
    bool over_limit = false; // what check_size finds
    bool file_opens = true;  // whether write_past_data can open the file
    std::size_t stored_items = 0;
    std::vector<std::wstring> calls;

    LogFileSetting file_setting() const override { return setting; }
    void set_file_setting(const LogFileSetting& s) override {
        setting = s;
        calls.push_back(L"set_file_setting");
    }
    void confirm_file_setting(const LogFileSetting& s) override {
        setting = saved_setting = s;
        calls.push_back(L"confirm_file_setting");
    }
    void use_default_location(bool use) override {
        if (!use)
            setting = saved_setting;
        calls.push_back(use ? L"use_default_location(on)" : L"use_default_location(off)");
    }
    std::wstring default_log_location() override { return default_location; }
    std::wstring build_log_path() override {
        current_path_built = true;
        calls.push_back(L"build_log_path");
        return log_path_of(setting);
    }
    std::wstring log_path_of(const LogFileSetting& s) override {
        std::wstring path = s.folder + L"\\" + s.base_name;
        if (s.append_date)
            path += L"_" + date;
        return path + view_extension;
    }
    bool has_current_log_path() const override { return current_path_built; }
    bool empty_log_file() override {
        calls.push_back(L"empty_log_file");
        return file_opens;
    }

    LogColumns columns() const override { return log_columns; }
    void set_columns(const LogColumns& c) override {
        log_columns = c;
        calls.push_back(L"set_columns");
    }
    std::uint32_t size_limit_mb() const override { return limit_mb; }
    void set_size_limit_mb(std::uint32_t mb) override {
        limit_mb = mb;
        calls.push_back(L"set_size_limit_mb(" + std::to_wstring(mb) + L")");
    }
    void clear_size_exceeded() override { calls.push_back(L"clear_size_exceeded"); }
    bool append_mode() const override { return append; }
    void set_append_mode(bool a) override {
        append = a;
        calls.push_back(a ? L"append_mode(on)" : L"append_mode(off)");
    }
    void request_header() override { calls.push_back(L"request_header"); }

    bool logging_on() const override { return on; }
    bool user_started_logging() const override { return user_started; }
    void start_logging(bool by_user) override {
        on = true;
        user_started = by_user;
        calls.push_back(L"start_logging");
    }
    void stop_logging() override {
        on = user_started = false;
        calls.push_back(L"stop_logging");
    }
    void show_logging_off() override { calls.push_back(L"show_logging_off"); }

    bool check_size(bool at_start) override {
        calls.push_back(at_start ? L"check_size(at start)" : L"check_size");
        return !over_limit;
    }
    void refresh_log_status() override { calls.push_back(L"refresh_log_status"); }

    std::size_t stored_item_count() const override { return stored_items; }
    bool write_past_data(LogOpenMode mode, std::optional<std::size_t> count) override {
        std::wstring call =
            mode == LogOpenMode::Empty ? L"write_past_data(empty, " : L"write_past_data(append, ";
        call += count ? std::to_wstring(*count) : L"all";
        calls.push_back(call + L")");
        return file_opens;
    }
};

} // namespace brixtel::testing
