// Logging as a user works it and as its files show it: the Logging menu's dialogs and their
// boxes, the synchronized start's time lists, the documents folder the default log goes to,
// and log files read back from disk.
#pragma once

#include "tests/e2e/driver/brixtel_process.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel::e2e {

inline constexpr UINT kMonitoringCommand = 40012;
inline constexpr UINT kLogDataCommand = 40013;
inline constexpr UINT kDebugViewCommand = 40014;
inline constexpr UINT kExportViewCommand = 40015;
inline constexpr UINT kSynchronizedStartCommand = 40025;
inline constexpr UINT kConfigureLoggingCommand = 40026;

inline constexpr wchar_t kLogTypeTitle[] = L"Type of Logging";
inline constexpr wchar_t kLoggingOptionsTitle[] = L"Logging Options";
inline constexpr wchar_t kSyncStartTitle[] = L"Synchronized Monitoring Start and Logging";

// Status bar parts.
inline constexpr int kStatusMonitoring = 0;
inline constexpr int kStatusLogging = 1;
inline constexpr int kStatusLogSize = 2;
inline constexpr int kStatusLogFile = 3;

// The date as log file names carry it: the short date with the characters a file name cannot
// hold turned into single underscores ("3/4/21" gives "3_4_21").
std::wstring file_date_text();
// Today's short date as the program writes it into rows.
std::wstring short_date_text();

// Posts a menu command and waits for the dialog it opens.
::testing::AssertionResult open_dialog(const BrixtelProcess& program, UINT command,
                                       std::wstring_view title, HWND* dialog);
// Clicks a button of the dialog and waits for the dialog to close.
::testing::AssertionResult leave_dialog(const BrixtelProcess& program, HWND dialog, int button);
// Waits for a message box with this caption, checks its text, presses `button` and waits for it
// to close; `box` gets the box's handle.
::testing::AssertionResult answer_message_box(const BrixtelProcess& program,
                                              std::wstring_view caption, std::wstring_view text,
                                              std::wstring_view button = L"OK",
                                              HWND* box = nullptr);
// Whether the menu item shows its check mark as expected.
::testing::AssertionResult command_checked(BrixtelProcess& program, UINT command, bool expected);

// "Log new data as it arrives" to `file`, started from the Logging type dialog; returns once
// the status bar says logging is on.
struct NewDataLog {
    std::wstring file;
    bool append_date = false;
    bool delete_existing = false;
};
::testing::AssertionResult log_new_data(const BrixtelProcess& program, const NewDataLog& log);

// The documents folder ("Personal" among the user's shell folders), pointed for one test at a
// fresh folder inside the Wine prefix, so that default logs never land in a real home folder.
// The old value comes back when the object goes.
class DocumentsFolder {
  public:
    DocumentsFolder() = default;
    ~DocumentsFolder();
    DocumentsFolder(const DocumentsFolder&) = delete;
    DocumentsFolder& operator=(const DocumentsFolder&) = delete;

    ::testing::AssertionResult redirect();
    const std::wstring& path() const { return path_; }
    // Where the program's default logs go: "<documents>\Halvo LOGS".
    std::wstring logs_folder() const { return path_ + L"\\Halvo LOGS"; }

  private:
    bool redirected_ = false;
    std::optional<std::wstring> old_value_;
    std::wstring path_;
};

// A new empty folder in the prefix's temporary folder, named after `stem`.
std::wstring make_test_folder(std::wstring_view stem);
// Deletes a folder and everything in it, read-only files too.
bool remove_folder_tree(const std::wstring& path);

// A log file read back whole; nothing when it cannot be read (missing, or locked).
std::optional<std::string> read_file_bytes(const std::wstring& path);
std::optional<std::uint64_t> file_size(const std::wstring& path);
bool file_read_only(const std::wstring& path);
// Writes `bytes` as the whole file.
bool write_file_bytes(const std::wstring& path, std::string_view bytes);
// Copies a file among the run's artefacts (BRIXTEL_E2E_ARTIFACTS) as `name`, for checks made
// after the run; false when there is no such folder.
bool keep_artifact_file(const std::wstring& path, std::wstring_view name);
// The lines of a text, each without its CR LF; `all_crlf` tells whether every line ended with
// CR LF (a last line without any end counts as not).
std::vector<std::string> crlf_lines(std::string_view text, bool* all_crlf = nullptr);
// The comma-separated fields of a line, as a spreadsheet splits it (no quoting in logs).
std::vector<std::string> csv_fields(std::string_view line);

// ---- The synchronized start's time lists ---------------------------------------------------

struct SyncTimeIds {
    int on;
    int hour;
    int minute;
    int am_pm;
};
inline constexpr SyncTimeIds kSyncStart{1103, 1104, 1105, 1106};
inline constexpr SyncTimeIds kSyncStop{1107, 1108, 1109, 1110};
inline constexpr int kSyncLogBox = 1113;

// A time of day as the dialog's lists show it, whichever clock the locale has.
struct ListedTime {
    int hour = 0; // as listed: 1-12 on the 12-hour clock
    int minute = 0;
    std::wstring am_pm; // empty on the 24-hour clock
};
ListedTime listed_time(int hour, int minute, bool twelve_hour);
bool twelve_hour_clock(HWND sync_dialog);
std::vector<std::wstring> combo_items(HWND dialog, int id);
std::optional<ListedTime> shown_time(HWND sync_dialog, const SyncTimeIds& ids);
// Picks the time in a time's lists as a user would.
::testing::AssertionResult choose_time(HWND sync_dialog, const SyncTimeIds& ids, int hour,
                                       int minute);

// Sets a synchronized start at the current minute (with or without Sync logging) and waits for
// monitoring to start; when the minute turns while the dialog is worked, sets it once more.
::testing::AssertionResult start_synchronized_now(const BrixtelProcess& program, bool sync_log,
                                                  std::wstring_view monitoring_on_text);

} // namespace brixtel::e2e
