// Logging end to end: the program polls the Zandor simulator and writes its log, and the tests
// read the file back as another program would: the Export View's table, the Debug View's
// lines, the size limit, the synchronized start's dated file, and what becomes of the log when
// the file is locked, its folder goes or its disk fills up.
#include "tests/e2e/driver/fixture.h"
#include "tests/e2e/driver/logging.h"
#include "tests/e2e/driver/registry.h"
#include "tests/e2e/driver/settings_seed.h"
#include "tests/e2e/driver/window_query.h"
#include "tests/e2e/driver/zandor.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace brixtel::e2e {
namespace {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

constexpr DWORD kIntervalMs = 500;
constexpr wchar_t kMonitoringOn[] = L"Monitoring: ON (00:00:00.500)";
constexpr wchar_t kMonitoringOff[] = L"Monitoring: OFF (00:00:00.500)";
constexpr int kStatusConnection = 5;

const std::wstring kListKey = std::wstring(kSettingsKey) + L"\\Tags\\List1";

// Points of the simulator's plant: a real with its unit, an integer, and one left unanswered.
const std::wstring kFlow = L"Module 1,2,5 Block 100 -- FIC-100 -- NO_DATABASE";
const std::wstring kCount = L"Module 1,2,5 Block 104 -- CNT-104 -- NO_DATABASE";
const std::wstring kSilent = L"Module 1,2,5 Block 107 -- SIL-107 -- NO_DATABASE";
const std::wstring kPump = L"Module 1,2,5 Block 103 -- PMP-103 -- NO_DATABASE";

constexpr wchar_t kFileError[] = L"File Error";
constexpr wchar_t kCannotOpen[] = L"Cannot open log file for writing/appending";

constexpr std::uint64_t kFiveMegabytes = 5 * 1048576;

// "1:05:09.042 PM" or "13:05:09.042": a clock time with its milliseconds.
bool looks_like_time(const std::string& text) {
    const std::size_t dot = text.find('.');
    if (text.find(':') == std::string::npos || dot == std::string::npos || dot + 4 > text.size())
        return false;
    for (std::size_t i = dot + 1; i < dot + 4; ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

class LogFileTest : public BrixtelTest {
  protected:
    void SetUp() override {
        BrixtelTest::SetUp();
        ASSERT_TRUE(documents.redirect());
        folder = make_test_folder(L"logs");
        ASSERT_FALSE(folder.empty());
    }

    void TearDown() override {
        BrixtelTest::TearDown();
        if (zandor.running())
            zandor.stop();
        remove_folder_tree(folder);
    }

    // The simulator (with block 107 silent), one loop entry for it, the list loaded at start
    // and a short interval; returns once the first connstat has been answered.
    void start_program(const std::vector<std::wstring>& points, bool debug_view = false,
                       const std::wstring& list = L"Plant") {
        ASSERT_TRUE(zandor.start_on_free_port(&port));
        ASSERT_TRUE(zandor.control("set 1 2 5 107 silent"));
        const std::wstring port_text = std::to_wstring(port);
        ASSERT_TRUE(store_loop_entries({L"1.2 " + port_text + L" 127.0.0.1"}));
        ASSERT_TRUE(store_startup_tag_list(list, points));
        ASSERT_TRUE(store_update_interval(kIntervalMs));
        if (debug_view) {
            ASSERT_TRUE(write_binary(HKEY_CURRENT_USER, kSettingsKey, L"DebugView", {1}));
        }
        ASSERT_TRUE(brixtel.launch());
        ASSERT_TRUE(brixtel.wait_for_status_text(kStatusConnection,
                                                 L"Loop: 1 PCU: 2 IP: 127.0.0.1 remote port: " +
                                                     port_text + L" connstat=OK"));
    }

    AssertionResult switch_monitoring(bool on) {
        if (!brixtel.post_command(kMonitoringCommand))
            return AssertionFailure() << "could not post the Monitoring command";
        return brixtel.wait_for_status_text(kStatusMonitoring, on ? kMonitoringOn : kMonitoringOff);
    }

    // Waits until the file holds at least `count` lines and returns its lines.
    AssertionResult wait_for_lines(const std::wstring& path, std::size_t count,
                                   std::vector<std::string>* lines = nullptr,
                                   Millis bound = kWaitBound) {
        std::vector<std::string> seen;
        if (poll_until(
                [&] {
                    const auto bytes = read_file_bytes(path);
                    seen = bytes ? crlf_lines(*bytes) : std::vector<std::string>{};
                    return seen.size() >= count;
                },
                bound, 100ms)) {
            if (lines)
                *lines = seen;
            return AssertionSuccess();
        }
        return AssertionFailure() << narrow(path) << " has " << seen.size() << " lines within "
                                  << describe(bound) << ", expected " << count;
    }

    // Waits until the simulator has had `cycles` more read requests for each of `points`.
    AssertionResult wait_for_cycles(std::size_t cycles, std::size_t points) {
        const auto reads = [&] {
            std::size_t count = 0;
            for (const ZandorRequest& request : zandor.requests())
                count += request.text.find(" read output ") != std::string::npos ? 1 : 0;
            return count;
        };
        const std::size_t wanted = reads() + cycles * points;
        if (poll_until([&] { return reads() >= wanted; }, kWaitBound, 100ms))
            return AssertionSuccess();
        return AssertionFailure() << "fewer than " << cycles << " more poll cycles";
    }

    std::size_t boxes_titled(std::wstring_view caption) const {
        std::size_t count = 0;
        for (HWND window : brixtel.open_dialogs())
            count += window_text(window) == caption ? 1 : 0;
        return count;
    }

    ZandorSim zandor;
    int port = 0;
    DocumentsFolder documents;
    std::wstring folder;
};

// ---- The Export View's table ---------------------------------------------------------------

constexpr int kDateBox = 1108;
constexpr int kLastTimeBox = 1110;
constexpr int kIndvTimeBox = 1111;
constexpr int kIndvDateBox = 1121;

// What a cell of a row must hold.
enum class Cell { Date, Time, DateAndTime, Flow, Count, Missing, Empty };

struct ColumnsCase {
    const char* name;
    std::vector<std::pair<int, bool>> boxes; // set in Logging Options before logging starts
    std::string header[3];
    std::vector<Cell> row; // the cells before the row's final comma
};

void PrintTo(const ColumnsCase& c, std::ostream* out) {
    *out << c.name;
}

class ExportViewLogTest : public LogFileTest, public ::testing::WithParamInterface<ColumnsCase> {};

TEST_P(ExportViewLogTest, FileIsATableOfTheSimulatorsValues) {
    const ColumnsCase& c = GetParam();
    start_program({kFlow, kCount, kSilent});
    ASSERT_FALSE(HasFatalFailure());
    if (!c.boxes.empty()) {
        HWND options = nullptr;
        ASSERT_TRUE(open_dialog(brixtel, kConfigureLoggingCommand, kLoggingOptionsTitle, &options));
        for (const auto& [id, on] : c.boxes)
            ASSERT_TRUE(set_checked(options, id, on)) << id;
        ASSERT_TRUE(leave_dialog(brixtel, options, IDOK));
    }
    const std::wstring file = folder + L"\\plant.CSV";
    ASSERT_TRUE(log_new_data(brixtel, {folder + L"\\plant.csv"}));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusLogFile, L"Log File: " + file));
    ASSERT_TRUE(switch_monitoring(true));

    constexpr std::size_t kRows = 3;
    ASSERT_TRUE(wait_for_lines(file, 3 + kRows));
    // Between records the file is read-only: another program may read it, not change it.
    EXPECT_TRUE(poll_until([&] { return file_read_only(file); }, kWaitBound));
    ASSERT_TRUE(brixtel.post_command(kLogDataCommand));
    ASSERT_TRUE(brixtel.wait_for_status_text(kStatusLogging, L"Logging: OFF"));
    ASSERT_TRUE(switch_monitoring(false));
    EXPECT_TRUE(file_read_only(file));

    // Kept for scripts/check-csv-spreadsheet.sh, which opens it in a spreadsheet.
    keep_artifact_file(file, std::wstring(c.name, c.name + std::strlen(c.name)) + L".CSV");
    const auto bytes = read_file_bytes(file);
    ASSERT_TRUE(bytes);
    bool all_crlf = false;
    const std::vector<std::string> lines = crlf_lines(*bytes, &all_crlf);
    EXPECT_TRUE(all_crlf) << "a line does not end with CR LF";
    ASSERT_GE(lines.size(), 3 + kRows);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(lines[i], c.header[i]) << "header line " << i + 1;

    const std::string date = narrow(short_date_text());
    for (std::size_t r = 3; r < lines.size(); ++r) {
        SCOPED_TRACE("row " + std::to_string(r - 2) + ": " + lines[r]);
        ASSERT_FALSE(lines[r].empty());
        EXPECT_EQ(lines[r].back(), ',');
        const std::vector<std::string> fields = csv_fields(lines[r]);
        ASSERT_EQ(fields.size(), c.row.size() + 1);
        for (std::size_t f = 0; f < c.row.size(); ++f) {
            SCOPED_TRACE("field " + std::to_string(f + 1) + " \"" + fields[f] + "\"");
            switch (c.row[f]) {
            case Cell::Date:
                EXPECT_EQ(fields[f], date);
                break;
            case Cell::Time:
                EXPECT_TRUE(looks_like_time(fields[f]));
                break;
            case Cell::DateAndTime:
                EXPECT_EQ(fields[f].rfind(date + " ", 0), 0u);
                EXPECT_TRUE(looks_like_time(fields[f].substr(date.size() + 1)));
                break;
            case Cell::Flow:
                EXPECT_EQ(fields[f], "12.5"); // the value without its unit
                break;
            case Cell::Count:
                EXPECT_EQ(fields[f], "42");
                break;
            case Cell::Missing:
                EXPECT_EQ(fields[f], "MISSING");
                break;
            case Cell::Empty:
                EXPECT_EQ(trimmed(fields[f]), "");
                break;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Columns, ExportViewLogTest,
    ::testing::Values(
        ColumnsCase{"DateAndRequestTime",
                    {},
                    {",,1-2-5-100,1-2-5-104,1-2-5-107", ",,FIC-100,CNT-104,SIL-107",
                     "Date,Time of Request,"},
                    {Cell::Date, Cell::Time, Cell::Flow, Cell::Count, Cell::Missing}},
        // The unanswered point has no time of its own: its time cell stays blank.
        ColumnsCase{
            "LastAndEachPointsTimeWithDate",
            {{kDateBox, false}, {kLastTimeBox, true}, {kIndvTimeBox, true}, {kIndvDateBox, true}},
            {",,1-2-5-100,[Time In],1-2-5-104,[Time In],1-2-5-107,[Time In]",
             ",,FIC-100,,CNT-104,,SIL-107,", "Time of Request,Last Data In"},
            {Cell::Time, Cell::Time, Cell::Flow, Cell::DateAndTime, Cell::Count, Cell::DateAndTime,
             Cell::Missing, Cell::Empty}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- The Debug View's lines ----------------------------------------------------------------

TEST_F(LogFileTest, DebugViewLogHasOneLinePerLineOfEachAnswer) {
    start_program({kFlow, kPump}, true);
    ASSERT_FALSE(HasFatalFailure());
    const std::wstring file = folder + L"\\traffic.LOG";
    ASSERT_TRUE(log_new_data(brixtel, {folder + L"\\traffic.log"}));
    ASSERT_TRUE(switch_monitoring(true));
    ASSERT_TRUE(wait_for_lines(file, 3 * 4));
    ASSERT_TRUE(brixtel.post_command(kLogDataCommand));
    ASSERT_TRUE(brixtel.wait_for_status_text(kStatusLogging, L"Logging: OFF"));
    ASSERT_TRUE(switch_monitoring(false));

    const auto bytes = read_file_bytes(file);
    ASSERT_TRUE(bytes);
    bool all_crlf = false;
    const std::vector<std::string> lines = crlf_lines(*bytes, &all_crlf);
    EXPECT_TRUE(all_crlf) << "a line does not end with CR LF";
    // Each answer is three lines (the request echoed, the status, the value) sharing the
    // answer's date and time; requests are not logged.
    ASSERT_EQ(lines.size() % 3, 0u) << *bytes;
    const std::string date = narrow(short_date_text());
    for (std::size_t i = 0; i < lines.size(); i += 3) {
        SCOPED_TRACE("answer at line " + std::to_string(i + 1));
        std::vector<std::vector<std::string>> parts;
        for (std::size_t j = i; j < i + 3; ++j) {
            std::vector<std::string> fields;
            std::string_view line = lines[j];
            for (std::size_t tab; (tab = line.find('\t')) != std::string_view::npos;
                 line.remove_prefix(tab + 1))
                fields.emplace_back(line.substr(0, tab));
            fields.emplace_back(line);
            ASSERT_EQ(fields.size(), 3u) << lines[j];
            parts.push_back(fields);
        }
        EXPECT_EQ(parts[0][0], date);
        EXPECT_TRUE(looks_like_time(parts[0][1])) << parts[0][1];
        for (int j = 1; j < 3; ++j) {
            EXPECT_EQ(parts[j][0], parts[0][0]);
            EXPECT_EQ(parts[j][1], parts[0][1]);
        }
        const bool flow = parts[0][2].find(" read output 1 02 05 100") != std::string::npos;
        const bool pump = parts[0][2].find(" read output 1 02 05 103") != std::string::npos;
        ASSERT_TRUE(flow || pump) << parts[0][2];
        EXPECT_EQ(parts[1][2], flow ? "OK REAL" : "OK STRING");
        EXPECT_EQ(parts[2][2], flow ? "12.5 degC" : "Pump 3 running normally");
    }
}

// ---- The size limit --------------------------------------------------------------------------

struct OversizeCase {
    const char* name;
    bool append_date;
    const wchar_t* warning;
    const wchar_t* logging_after;
};

void PrintTo(const OversizeCase& c, std::ostream* out) {
    *out << c.name;
}

class OversizeLogTest : public LogFileTest, public ::testing::WithParamInterface<OversizeCase> {};

// A file already past the 5 MB limit: a plain name stops logging; a date-named file keeps it
// on, waiting for the next day's file. Either way nothing is added to the file.
TEST_P(OversizeLogTest, FileOverTheLimitGetsNothingMore) {
    const OversizeCase& c = GetParam();
    start_program({kFlow, kCount});
    ASSERT_FALSE(HasFatalFailure());
    const std::wstring name = c.append_date ? L"big_" + file_date_text() : L"big";
    const std::wstring file = folder + L"\\" + name + L".CSV";
    const std::string content(kFiveMegabytes + 1, 'x');
    ASSERT_TRUE(write_file_bytes(file, content));

    HWND dialog = nullptr;
    ASSERT_TRUE(open_dialog(brixtel, kLogDataCommand, kLogTypeTitle, &dialog));
    ASSERT_TRUE(set_item_text(dialog, 1154, folder + L"\\big.csv"));
    ASSERT_TRUE(set_checked(dialog, 1155, c.append_date));
    ASSERT_TRUE(click(dialog, IDOK));
    ASSERT_TRUE(answer_message_box(brixtel, L"Log Warning", c.warning));
    EXPECT_TRUE(brixtel.wait_until_gone(dialog));
    EXPECT_TRUE(
        brixtel.wait_for_status_text(kStatusLogSize, L"Log Size: <Exceeded limit of 5 MB>"));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusLogging, c.logging_after));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusLogFile, L"Log File: " + file));
    EXPECT_TRUE(command_checked(brixtel, kLogDataCommand, c.append_date));

    ASSERT_TRUE(switch_monitoring(true));
    ASSERT_TRUE(wait_for_cycles(3, 2));
    EXPECT_EQ(file_size(file), std::optional<std::uint64_t>(content.size()));
    EXPECT_EQ(brixtel.status_text(kStatusLogging), std::optional<std::wstring>(c.logging_after));
    EXPECT_TRUE(brixtel.open_dialogs().empty()) << brixtel.describe_windows();
}

INSTANTIATE_TEST_SUITE_P(
    SizeLimit, OversizeLogTest,
    ::testing::Values(
        OversizeCase{"PlainNameStopsLogging", false,
                     L"The current log file already exceeds the specified maximum log size.  "
                     L"Please increase the log size allowed or specify a new filename in order "
                     L"for logging to be turned on.  Logging will be turned off.",
                     L"Logging: OFF"},
        OversizeCase{"DateNamedFileSuspendsLogging", true,
                     L"The current log file already exceeds the specified maximum log size.  A "
                     L"new dated log file will be created a midnight and logging will commence "
                     L"at that point.",
                     L"Logging: ON"}),
    [](const auto& info) { return std::string(info.param.name); });

// A file of exactly the limit may still be logged to; the first record that takes it past the
// limit stops logging, and what the file held stays as it was.
TEST_F(LogFileTest, LoggingStopsWhenTheFilePassesTheLimit) {
    start_program({kFlow, kCount});
    ASSERT_FALSE(HasFatalFailure());
    const std::wstring file = folder + L"\\full.CSV";
    const std::string content(kFiveMegabytes, 'x');
    ASSERT_TRUE(write_file_bytes(file, content));
    ASSERT_TRUE(log_new_data(brixtel, {file}));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusLogSize, L"Log Size: 5.0 MB (of 5 MB)"));
    ASSERT_TRUE(switch_monitoring(true));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusLogging, L"Logging: OFF"));
    EXPECT_TRUE(
        brixtel.wait_for_status_text(kStatusLogSize, L"Log Size: <Exceeded limit of 5 MB>"));
    EXPECT_TRUE(command_checked(brixtel, kLogDataCommand, false));
    const auto size = file_size(file);
    ASSERT_TRUE(size);
    EXPECT_GT(*size, content.size());
    ASSERT_TRUE(wait_for_cycles(2, 2));
    EXPECT_EQ(file_size(file), size) << "written to after logging stopped";
    const auto bytes = read_file_bytes(file);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->compare(0, content.size(), content), 0) << "the old content changed";
}

// ---- The synchronized start --------------------------------------------------------------------

// With Sync logging the start logs to a dated file named after the list in the default folder;
// the stop ends logging and gives the user's own file back.
TEST_F(LogFileTest, SynchronizedStartLogsToTheDatedDefaultFileAndTheStopGivesTheFileBack) {
    const std::wstring user_file = folder + L"\\user";
    ASSERT_TRUE(write_string(HKEY_CURRENT_USER, kListKey, L"SaveLocale", user_file + L".LOG"));
    ASSERT_TRUE(write_binary(HKEY_CURRENT_USER, kListKey, L"AppendDate", {0}));
    start_program({kFlow, kCount}, false, L"Timed");
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(brixtel.wait_for_status_text(kStatusLogFile, L"Log File: " + user_file + L".CSV"));

    ASSERT_TRUE(start_synchronized_now(brixtel, true, kMonitoringOn));
    const std::wstring dated =
        documents.logs_folder() + L"\\Brixtel_Timed_" + file_date_text() + L".CSV";
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusLogging, L"Logging: ON"));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusLogFile, L"Log File: " + dated));
    EXPECT_TRUE(command_checked(brixtel, kLogDataCommand, true));
    std::vector<std::string> lines;
    ASSERT_TRUE(wait_for_lines(dated, 3 + 2, &lines));
    EXPECT_EQ(lines[0], ",,1-2-5-100,1-2-5-104");
    EXPECT_EQ(lines[1], ",,FIC-100,CNT-104");

    // The stop at the current minute; the start goes off, or it would start again at once.
    SYSTEMTIME now{};
    GetLocalTime(&now);
    HWND dialog = nullptr;
    ASSERT_TRUE(open_dialog(brixtel, kSynchronizedStartCommand, kSyncStartTitle, &dialog));
    ASSERT_TRUE(set_checked(dialog, kSyncStart.on, false));
    ASSERT_TRUE(set_checked(dialog, kSyncStop.on, true));
    ASSERT_TRUE(poll_until([&] { return item_enabled(dialog, kSyncStop.hour); }, kWaitBound));
    ASSERT_TRUE(choose_time(dialog, kSyncStop, now.wHour, now.wMinute));
    ASSERT_TRUE(leave_dialog(brixtel, dialog, IDOK));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusMonitoring, kMonitoringOff));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusLogging, L"Logging: OFF"));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusLogFile, L"Log File: " + user_file + L".CSV"));
    EXPECT_TRUE(command_checked(brixtel, kLogDataCommand, false));

    // The user's own file and choice of date are what Log Data offers again.
    ASSERT_TRUE(open_dialog(brixtel, kLogDataCommand, kLogTypeTitle, &dialog));
    EXPECT_EQ(item_text(dialog, 1154), user_file + L".CSV");
    EXPECT_EQ(check_state(dialog, 1155), std::optional<int>(BST_UNCHECKED));
    EXPECT_TRUE(leave_dialog(brixtel, dialog, IDCANCEL));
    EXPECT_FALSE(file_size(user_file + L".CSV")) << "the user's file was written";
}

// ---- Faults ------------------------------------------------------------------------------------

// Another program holds the log open without sharing: one box at a time says so, logging stays
// on, and once the file is free the next record goes in after everything written before.
TEST_F(LogFileTest, LockedFileIsReportedOnceAndLoggingGoesOnWhenItIsFree) {
    start_program({kFlow, kCount});
    ASSERT_FALSE(HasFatalFailure());
    const std::wstring file = folder + L"\\locked.CSV";
    ASSERT_TRUE(log_new_data(brixtel, {file}));
    ASSERT_TRUE(switch_monitoring(true));
    ASSERT_TRUE(wait_for_lines(file, 3 + 2));

    // The program holds the file only while it writes a record.
    HANDLE lock = INVALID_HANDLE_VALUE;
    ASSERT_TRUE(poll_until(
        [&] {
            lock = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
            return lock != INVALID_HANDLE_VALUE;
        },
        kWaitBound));
    const auto before = file_size(file);
    HWND box = nullptr;
    ASSERT_TRUE(brixtel.wait_for_window(kFileError, &box));
    const auto content = read_message_box(box);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->text, kCannotOpen);
    // Records keep coming while the box is up; none of them shows another.
    EXPECT_TRUE(wait_for_cycles(3, 2));
    EXPECT_EQ(boxes_titled(kFileError), 1u) << brixtel.describe_windows();
    EXPECT_EQ(file_size(file), before);

    CloseHandle(lock);
    ASSERT_TRUE(press_message_box_button(box, L"OK"));
    ASSERT_TRUE(brixtel.wait_until_gone(box));
    EXPECT_TRUE(poll_until([&] { return file_size(file) > before; }, kWaitBound));
    EXPECT_EQ(brixtel.status_text(kStatusLogging), std::optional<std::wstring>(L"Logging: ON"));
    EXPECT_TRUE(command_checked(brixtel, kLogDataCommand, true));

    std::vector<std::string> lines;
    ASSERT_TRUE(wait_for_lines(file, 3 + 3, &lines));
    // One header block; every line after it a row of both values.
    EXPECT_EQ(lines[0], ",,1-2-5-100,1-2-5-104");
    for (std::size_t i = 3; i < lines.size(); ++i) {
        const auto fields = csv_fields(lines[i]);
        ASSERT_EQ(fields.size(), 5u) << lines[i];
        EXPECT_EQ(fields[2], "12.5") << lines[i];
        EXPECT_EQ(fields[3], "42") << lines[i];
    }
    EXPECT_TRUE(brixtel.open_dialogs().empty()) << brixtel.describe_windows();
}

// The log's folder is deleted while logging: the write that finds it gone says so once, the
// program goes on, and when the folder is back the log starts again as a new file, with its
// header block.
TEST_F(LogFileTest, DeletedFolderIsReportedAndTheLogStartsAgainWhenItIsBack) {
    start_program({kFlow, kCount});
    ASSERT_FALSE(HasFatalFailure());
    const std::wstring sub = folder + L"\\gone";
    ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
    const std::wstring file = sub + L"\\plant.CSV";
    ASSERT_TRUE(log_new_data(brixtel, {file}));
    ASSERT_TRUE(switch_monitoring(true));
    ASSERT_TRUE(wait_for_lines(file, 3 + 2));

    ASSERT_TRUE(poll_until(
        [&] {
            remove_folder_tree(sub);
            return GetFileAttributesW(sub.c_str()) == INVALID_FILE_ATTRIBUTES;
        },
        kWaitBound));
    HWND box = nullptr;
    ASSERT_TRUE(brixtel.wait_for_window(kFileError, &box));
    const auto content = read_message_box(box);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->text, kCannotOpen);
    EXPECT_TRUE(wait_for_cycles(2, 2));
    EXPECT_EQ(boxes_titled(kFileError), 1u) << brixtel.describe_windows();
    EXPECT_TRUE(brixtel.running());

    ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
    ASSERT_TRUE(press_message_box_button(box, L"OK"));
    ASSERT_TRUE(brixtel.wait_until_gone(box));
    std::vector<std::string> lines;
    ASSERT_TRUE(wait_for_lines(file, 3 + 1, &lines));
    EXPECT_EQ(lines[0], ",,1-2-5-100,1-2-5-104");
    EXPECT_EQ(lines[1], ",,FIC-100,CNT-104");
    EXPECT_EQ(lines[2], "Date,Time of Request,");
    EXPECT_EQ(brixtel.status_text(kStatusLogging), std::optional<std::wstring>(L"Logging: ON"));
    EXPECT_TRUE(brixtel.open_dialogs().empty()) << brixtel.describe_windows();
}

// The runner maps a small file system as a drive (BRIXTEL_E2E_SMALL_DRIVE, e.g. "S:") when the
// machine lets it mount one.
std::wstring small_drive() {
    const wchar_t* drive = _wgetenv(L"BRIXTEL_E2E_SMALL_DRIVE");
    return drive ? std::wstring(drive) : std::wstring();
}

// Fills the drive with one file until nothing more fits; the file's size.
std::uint64_t fill_drive(const std::wstring& filler) {
    HANDLE file = CreateFileW(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    const std::string block(512, 'f');
    std::uint64_t total = 0;
    for (int i = 0; i < 100000; ++i) {
        DWORD written = 0;
        if (!WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &written, nullptr) ||
            written == 0)
            break;
        total += written;
    }
    CloseHandle(file);
    return total;
}

// A full disk: records that do not fit are lost, but nothing written before is, no record is
// left half written, and logging goes on once there is room again.
TEST_F(LogFileTest, FullDiskLosesRecordsButNeverWhatWasWritten) {
    const std::wstring drive = small_drive();
    if (drive.empty())
        GTEST_SKIP() << "no small drive (BRIXTEL_E2E_SMALL_DRIVE): the runner could not mount one";
    const std::wstring sub = drive + L"\\logs-" + std::to_wstring(GetTickCount());
    ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
    start_program({kFlow, kCount});
    ASSERT_FALSE(HasFatalFailure());
    // An older log a little short of the file system's 4 KiB block: the header fits into the
    // block, the first row does not.
    const std::wstring file = sub + L"\\plant.CSV";
    std::string old;
    for (int i = 0; i < 400; ++i)
        old += "old,row,\r\n";
    ASSERT_TRUE(write_file_bytes(file, old));
    ASSERT_TRUE(log_new_data(brixtel, {file}));
    const std::wstring filler = sub + L"\\filler.bin";
    ASSERT_GT(fill_drive(filler), 0u);
    ASSERT_TRUE(switch_monitoring(true));
    EXPECT_TRUE(wait_for_cycles(3, 2));
    EXPECT_TRUE(brixtel.running());
    EXPECT_EQ(brixtel.status_text(kStatusLogging), std::optional<std::wstring>(L"Logging: ON"));
    EXPECT_TRUE(brixtel.open_dialogs().empty()) << brixtel.describe_windows();

    ASSERT_TRUE(DeleteFileW(filler.c_str()));
    std::vector<std::string> lines;
    ASSERT_TRUE(wait_for_lines(file, 400 + 3 + 2, &lines));
    ASSERT_TRUE(switch_monitoring(false));
    const auto now = read_file_bytes(file);
    ASSERT_TRUE(now);
    EXPECT_EQ(now->compare(0, old.size(), old), 0) << "what was written before changed";
    lines = crlf_lines(*now);
    ASSERT_GE(lines.size(), 400u + 3 + 2);
    EXPECT_EQ(lines[400], ",,1-2-5-100,1-2-5-104");
    for (std::size_t i = 403; i < lines.size(); ++i) {
        const auto fields = csv_fields(lines[i]);
        EXPECT_EQ(fields.size(), 5u) << "a torn row: " << lines[i];
        if (fields.size() == 5) {
            EXPECT_TRUE(looks_like_time(fields[1])) << "a torn row: " << lines[i];
        }
    }
    remove_folder_tree(sub);
}

} // namespace
} // namespace brixtel::e2e
