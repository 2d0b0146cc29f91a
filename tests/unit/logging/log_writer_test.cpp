#include "logging/log_writer.h"

#include "logging/fake_log_folder_system.h"
#include "platform/log_file.h"
#include "platform/memory_registry.h"
#include "support/fake_seat.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace brixtel {
namespace {

namespace fs = std::filesystem;
using testing::FakeLogFolderSystem;
using testing::FakeSeat;

constexpr BlockAddress kA{1, 2, 3, 100};
constexpr BlockAddress kB{1, 2, 3, 101};
constexpr std::uint64_t kMb = 1048576;

// "d/m/yy", like a short date that needs its slashes replaced in a file name.
class DayClock : public LocaleClock {
  public:
    LocalTime today{2021, 4, 0, 3, 10, 0, 0, 0};
    LocalTime now() override { return today; }
    std::optional<std::wstring> short_date(const LocalTime& t) override {
        return std::to_wstring(t.day) + L"/" + std::to_wstring(t.month) + L"/" +
               std::to_wstring(t.year % 100);
    }
    std::optional<std::wstring> time_of_day(const LocalTime&) override { return L"10:00:00"; }
};

class FakeSources : public LogSources {
  public:
    bool debug = false;
    std::wstring list_name = L"Boilers";
    std::vector<BlockAddress> listed{kA, kB};
    CurrentTagList tags{{L"FIC-101", kA, 2}, {L"TIC-204", kB, 2}};

    bool debug_view() const override { return debug; }
    std::wstring loaded_list_name() const override { return list_name; }
    std::vector<BlockAddress> listed_points() const override { return listed; }
    const CurrentTagList& tag_list() const override { return tags; }
};

std::string read_all(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

PollSnapshot cycle_row(std::wstring_view a, std::wstring_view b) {
    PollSnapshot s;
    s.request_time = L"10:00:00.000";
    s.values[0] = L"10:00:00.100";
    s.values[1] = L"10:00:00.200";
    s.values[2] = std::wstring(a);
    s.addresses[2] = L"1-2-3-100";
    s.values[3] = std::wstring(b);
    s.addresses[3] = L"1-2-3-101";
    return s;
}

class Writer : public ::testing::Test {
  protected:
    Writer() {
        std::random_device random;
        folder = fs::temp_directory_path() / ("brixtel-log-" + std::to_string(random()));
        fs::create_directories(folder);
        CurrentLogging logging;
        logging.log_folder = folder.wstring();
        logging.log_base_name = L"Plant";
        logging.options.append_date = false;
        writer.load_logging(logging);
    }
    ~Writer() override {
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(folder, ignored))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(folder, ignored);
    }

    fs::path file(const char* name) const { return folder / name; }
    // The path as the program names it, with a backslash before the file.
    std::wstring logged(const char* name) const {
        return folder.wstring() + L"\\" + fs::path(name).wstring();
    }
    void set_file_size(const char* name, std::uint64_t bytes) {
        { std::ofstream touch(file(name), std::ios::binary); }
        fs::resize_file(file(name), bytes);
    }
    void start() {
        writer.start_logging(true);
        writer.set_cycle_start(false);
    }
    std::wstring status(int part) { return seat.status[part]; }

    fs::path folder;
    FakeSeat seat;
    MemoryRegistry registry;
    FakeLogFolderSystem folders;
    DayClock clock;
    SnapshotList snapshots;
    FakeSources sources;
    LogWriter writer{seat, registry, folders, clock, snapshots, sources};
};

// ---- Rows of the Export View ------------------------------------------------------------------

TEST_F(Writer, FirstRowOfAFileComesAfterTheHeaderAndTheFileStaysReadOnly) {
    start();
    writer.write_log_row(cycle_row(L"12.5", L"MISSING"), L"3/4/21", LogMoment::Tick);
    const std::string first = ",,1-2-3-100,1-2-3-101\r\n"
                              ",,FIC-101,TIC-204\r\n"
                              "Date,Time of Request,\r\n"
                              "3/4/21,10:00:00.000,12.5,MISSING,\r\n";
    EXPECT_EQ(read_all(file("Plant.CSV")), first);
    EXPECT_TRUE(log_file_read_only(file("Plant.CSV").wstring()));
    EXPECT_FALSE(writer.header_needed());

    writer.write_log_row(cycle_row(L"13", L"14"), L"3/4/21", LogMoment::Answer);
    EXPECT_EQ(read_all(file("Plant.CSV")), first + "3/4/21,10:00:00.000,13,14,\r\n");
    EXPECT_TRUE(log_file_read_only(file("Plant.CSV").wstring()));
    EXPECT_TRUE(seat.boxes.empty());
    EXPECT_EQ(status(3), L"Log File: " + logged("Plant.CSV"));
    EXPECT_EQ(status(2), L"Log Size: 0.1 MB (of 5 MB)");
}

TEST_F(Writer, ALogDeletedWhileLoggingStartsAgainWithItsHeader) {
    start();
    writer.write_log_row(cycle_row(L"1", L"2"), L"3/4/21", LogMoment::Answer);
    fs::remove(file("Plant.CSV"));
    writer.write_log_row(cycle_row(L"3", L"4"), L"3/4/21", LogMoment::Answer);
    EXPECT_EQ(read_all(file("Plant.CSV")), ",,1-2-3-100,1-2-3-101\r\n"
                                           ",,FIC-101,TIC-204\r\n"
                                           "Date,Time of Request,\r\n"
                                           "3/4/21,10:00:00.000,3,4,\r\n");
    // Its folder gone: the header waits for the first record that can be written.
    fs::remove_all(folder);
    writer.write_log_row(cycle_row(L"5", L"6"), L"3/4/21", LogMoment::Answer);
    EXPECT_EQ(seat.boxes.size(), 1u);
    fs::create_directories(folder);
    writer.write_log_row(cycle_row(L"7", L"8"), L"3/4/21", LogMoment::Answer);
    EXPECT_EQ(read_all(file("Plant.CSV")).rfind(",,1-2-3-100,1-2-3-101\r\n", 0), 0u);
}

TEST_F(Writer, NothingIsWrittenWhileLoggingIsOffOrACycleIsStarting) {
    writer.write_log_row(cycle_row(L"1", L"2"), L"3/4/21", LogMoment::Answer);
    writer.start_logging(false);
    writer.write_log_row(cycle_row(L"1", L"2"), L"3/4/21", LogMoment::Answer); // cycle start
    EXPECT_FALSE(fs::exists(file("Plant.CSV")));
}

TEST_F(Writer, ADateNamedLogRollsOverToANewFileWithItsOwnHeader) {
    CurrentLogging dated = writer.current_logging();
    dated.options.append_date = true;
    writer.load_logging(dated);
    start();
    writer.write_log_row(cycle_row(L"1", L"2"), L"3/4/21", LogMoment::Answer);
    clock.today.day = 4;
    writer.write_log_row(cycle_row(L"3", L"4"), L"4/4/21", LogMoment::Answer);
    const std::string first = read_all(file("Plant_3_4_21.CSV"));
    const std::string second = read_all(file("Plant_4_4_21.CSV"));
    EXPECT_NE(first.find("3/4/21,10:00:00.000,1,2,"), std::string::npos);
    EXPECT_EQ(second.rfind(",,1-2-3-100", 0), 0u); // starts with the header
    EXPECT_NE(second.find("4/4/21,10:00:00.000,3,4,"), std::string::npos);
    // A view change changes the extension of the next file, with the same base name.
    sources.debug = true;
    EXPECT_EQ(writer.build_log_path(), logged("Plant_4_4_21.LOG"));
}

TEST_F(Writer, CannotOpenIsReportedOnceAtATime) {
    // A seat whose box brings another record while it is shown, as a nested message loop would.
    class NestingSeat : public FakeSeat {
      public:
        LogWriter* writer = nullptr;
        int message_box(StringId text, StringId caption, unsigned flags,
                        std::span<const MessageArg> inserts) override {
            if (writer)
                writer->write_log_row(cycle_row(L"1", L"2"), L"3/4/21", LogMoment::Answer);
            return FakeSeat::message_box(text, caption, flags, inserts);
        }
    } nesting;
    LogWriter nested_writer{nesting, registry, folders, clock, snapshots, sources};
    nesting.writer = &nested_writer;
    CurrentLogging logging = writer.current_logging();
    logging.log_folder = (folder / "missing").wstring();
    nested_writer.load_logging(logging);
    nested_writer.start_logging(true);
    nested_writer.set_cycle_start(false);

    nested_writer.write_log_row(cycle_row(L"1", L"2"), L"3/4/21", LogMoment::Answer);
    ASSERT_EQ(nesting.boxes.size(), 1u);
    EXPECT_EQ(nesting.boxes[0].text, ids::CannotOpenLogFile);
    EXPECT_EQ(nesting.boxes[0].caption, ids::FileError);
    EXPECT_EQ(nesting.boxes[0].flags, mb::IconExclamation);
    // Logging stays on and the next record tries again.
    EXPECT_TRUE(nested_writer.logging_on());
    nesting.writer = nullptr;
    nested_writer.write_debug_log_lines(L"3/4/21", L"10:00:00.000", L"text");
    EXPECT_EQ(nesting.boxes.size(), 2u);
}

// ---- The size limit ---------------------------------------------------------------------------

struct SizeCase {
    const char* name;
    std::uint32_t limit_mb;
    std::optional<std::uint64_t> bytes; // none: no file
    bool append_date;
    bool at_start_emptied;
    bool passes;
    const wchar_t* part1;
    const wchar_t* part2;
    bool logging_after;
};

class SizeLimit : public Writer, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(SizeLimit, ExactlyTheLimitPassesOneByteMoreStops) {
    const SizeCase& c = GetParam();
    CurrentLogging logging = writer.current_logging();
    logging.options.log_size = c.limit_mb;
    logging.options.append_date = c.append_date;
    writer.load_logging(logging);
    writer.start_logging(true);
    const std::wstring path = writer.build_log_path();
    if (c.bytes)
        set_file_size(c.append_date ? "Plant_3_4_21.CSV" : "Plant.CSV", *c.bytes);
    writer.set_append_mode(!c.at_start_emptied);

    EXPECT_EQ(writer.check_size(c.at_start_emptied), c.passes);
    EXPECT_EQ(status(1), c.part1);
    EXPECT_EQ(status(2), c.part2);
    EXPECT_EQ(status(3), L"Log File: " + path);
    EXPECT_EQ(writer.size_exceeded(), !c.passes);
    EXPECT_EQ(writer.logging_on(), c.logging_after);
    if (!c.logging_after) {
        EXPECT_FALSE(seat.checked[Command::LogData]);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, SizeLimit,
    ::testing::Values(SizeCase{"NoFile", 5, std::nullopt, false, false, true, L"Logging: ON",
                               L"Log Size: 0 MB (of 5 MB)", true},
                      SizeCase{"NoFileUnlimited", 0, std::nullopt, false, false, true,
                               L"Logging: ON", L"Log Size: 0 MB (of unlimited size)", true},
                      SizeCase{"EmptyFile", 5, 0, false, false, true, L"Logging: ON",
                               L"Log Size: 0.0 MB (of 5 MB)", true},
                      SizeCase{"AFewBytesShowATenth", 5, 40, false, false, true, L"Logging: ON",
                               L"Log Size: 0.1 MB (of 5 MB)", true},
                      SizeCase{"ExactlyTheLimit", 5, 5 * kMb, false, false, true, L"Logging: ON",
                               L"Log Size: 5.0 MB (of 5 MB)", true},
                      SizeCase{"OneByteOverStopsLogging", 5, 5 * kMb + 1, false, false, false,
                               L"Logging: OFF", L"Log Size: <Exceeded limit of 5 MB>", false},
                      SizeCase{"OneByteOverADatedFileWaits", 5, 5 * kMb + 1, true, false, false,
                               L"Logging: ON", L"Log Size: <Exceeded limit of 5 MB>", true},
                      SizeCase{"UnlimitedShowsTheSize", 0, 3 * kMb / 2, false, false, true,
                               L"Logging: ON", L"Log Size: 1.5 MB (of unlimited size)", true},
                      SizeCase{"AFileAboutToBeEmptiedCountsAsEmpty", 1, 2 * kMb, false, true, true,
                               L"Logging: ON", L"Log Size: 0.0 MB (of 1 MB)", true}),
    [](const auto& info) { return info.param.name; });

TEST_F(Writer, RowsStopAtTheLimitButTheTickStillStartsANewFilesHeader) {
    CurrentLogging logging = writer.current_logging();
    logging.options.log_size = 1;
    logging.options.append_date = true;
    writer.load_logging(logging);
    start();
    set_file_size("Plant_3_4_21.CSV", kMb + 1);
    writer.write_log_row(cycle_row(L"1", L"2"), L"3/4/21", LogMoment::Answer);
    EXPECT_EQ(fs::file_size(file("Plant_3_4_21.CSV")), kMb + 1);
    EXPECT_TRUE(writer.header_needed());
    writer.write_log_row(cycle_row(L"1", L"2"), L"3/4/21", LogMoment::Tick);
    const std::string text = read_all(file("Plant_3_4_21.CSV")).substr(kMb + 1);
    EXPECT_EQ(text, ",,1-2-3-100,1-2-3-101\r\n,,FIC-101,TIC-204\r\nDate,Time of Request,\r\n");
    EXPECT_TRUE(writer.logging_on()); // a dated log waits for the next day
}

TEST_F(Writer, RefreshShowsFileAndSizeButNotTheLoggingPart) {
    set_file_size("Plant.CSV", 6 * kMb);
    writer.refresh_log_status();
    EXPECT_EQ(status(3), L"Log File: " + logged("Plant.CSV"));
    EXPECT_EQ(status(2), L"Log Size: <Exceeded limit of 5 MB>");
    EXPECT_EQ(seat.status.count(1), 0u);
    writer.set_size_limit_mb(0);
    writer.refresh_log_status();
    EXPECT_EQ(status(2), L"Log Size: 6.0 MB (of unlimited size)");
    fs::remove(file("Plant.CSV"));
    writer.set_size_limit_mb(7);
    writer.refresh_log_status();
    EXPECT_EQ(status(2), L"Log Size: 0 MB (of 7 MB)");
    EXPECT_FALSE(writer.size_exceeded());
}

// ---- Logging on and off, and the file settings ------------------------------------------------

TEST_F(Writer, StoppingClosesUnticksAndShowsOff) {
    start();
    EXPECT_TRUE(seat.checked[Command::LogData]);
    writer.write_log_row(cycle_row(L"1", L"2"), L"3/4/21", LogMoment::Answer);
    writer.stop_logging();
    EXPECT_FALSE(writer.logging_on());
    EXPECT_FALSE(writer.user_started_logging());
    EXPECT_FALSE(seat.checked[Command::LogData]);
    EXPECT_EQ(status(1), L"Logging: OFF");
    EXPECT_TRUE(log_file_read_only(file("Plant.CSV").wstring()));
}

TEST_F(Writer, EmptyingAReadOnlyFileWorks) {
    start();
    writer.write_log_row(cycle_row(L"1", L"2"), L"3/4/21", LogMoment::Answer);
    ASSERT_TRUE(log_file_read_only(file("Plant.CSV").wstring()));
    EXPECT_TRUE(writer.empty_log_file());
    EXPECT_EQ(fs::file_size(file("Plant.CSV")), 0u);
    EXPECT_TRUE(log_file_read_only(file("Plant.CSV").wstring()));
}

TEST_F(Writer, DefaultLocationTakesOverAndGivesBack) {
    registry.put(RegistryRoot::CurrentUser,
                 L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                 L"Personal",
                 RegistryValue{RegistryTypeText, {'C', 0, ':', 0, '\\', 0, 'D', 0, 0, 0}});
    folders.folders = {L"C:\\D", L"C:\\D\\Halvo LOGS"};
    const LogFileSetting mine = writer.file_setting();
    writer.use_default_location(true);
    EXPECT_EQ(writer.file_setting(),
              (LogFileSetting{L"C:\\D\\Halvo LOGS", L"Brixtel_Boilers", true}));
    EXPECT_EQ(writer.build_log_path(), L"C:\\D\\Halvo LOGS\\Brixtel_Boilers_3_4_21.CSV");
    writer.use_default_location(false);
    EXPECT_EQ(writer.file_setting(), mine);
}

TEST_F(Writer, ASettingSetAsideIsNotTheSavedOne) {
    const LogFileSetting loaded = writer.file_setting();
    writer.set_file_setting({L"X:\\", L"aside", true});
    writer.use_default_location(false); // brings back the saved copy, the loaded one
    EXPECT_EQ(writer.file_setting(), loaded);
    writer.confirm_file_setting({L"X:\\", L"chosen", false});
    writer.set_file_setting({L"Y:\\", L"other", true});
    writer.use_default_location(false);
    EXPECT_EQ(writer.file_setting(), (LogFileSetting{L"X:\\", L"chosen", false}));
}

// ---- Past data ---------------------------------------------------------------------------------

TEST_F(Writer, PastRowsFollowTheTagListOldestFirst) {
    for (int i = 1; i <= 3; ++i) {
        PollSnapshot& s = snapshots.allocate();
        s = cycle_row(std::to_wstring(i), std::to_wstring(10 * i));
        s.cycle_date = L"d" + std::to_wstring(i);
    }
    snapshots.allocate(); // the running cycle, incomplete: not stored yet
    // The tag list's order decides the columns, whatever the rows' order.
    sources.tags = {
        {L"TIC-204", kB, 2}, {L"gone", {9, 9, 9, 9}, kDetachedDatabase}, {L"FIC-101", kA, 2}};
    EXPECT_EQ(writer.stored_item_count(), 3u);
    ASSERT_TRUE(writer.write_past_data(LogOpenMode::Empty, 2));
    EXPECT_EQ(read_all(file("Plant.CSV")), ",,1-2-3-101,1-2-3-100\r\n"
                                           ",,TIC-204,FIC-101\r\n"
                                           "Date,Time of Request,\r\n"
                                           "d2,10:00:00.000,20,2,\r\n"
                                           "d3,10:00:00.000,30,3,\r\n");
    EXPECT_TRUE(log_file_read_only(file("Plant.CSV").wstring()));
    // Read-only in between, and open again for the next write: all of it after the first.
    const std::string once = read_all(file("Plant.CSV"));
    ASSERT_TRUE(writer.write_past_data(LogOpenMode::Append, std::nullopt));
    EXPECT_EQ(read_all(file("Plant.CSV")),
              once + once.substr(0, 65) + "d1,10:00:00.000,10,1,\r\n" + once.substr(65));
}

TEST_F(Writer, PastDebugLinesCarryTheirOwnDates) {
    sources.debug = true;
    const wchar_t* texts[] = {L"request 1", L"answer\nOK REAL\n1.0", L"request 2"};
    const wchar_t* dates[] = {L"3/4/21", L"", L"4/4/21"};
    for (int i = 0; i < 3; ++i) {
        PollSnapshot& s = snapshots.allocate();
        s.values[2] = texts[i];
        s.values[1] = L"t" + std::to_wstring(i);
        s.cycle_date = dates[i];
    }
    snapshots.allocate(); // the next line's record, still empty
    EXPECT_EQ(writer.stored_item_count(), 3u);
    ASSERT_TRUE(writer.write_past_data(LogOpenMode::Append, std::nullopt));
    EXPECT_EQ(read_all(file("Plant.LOG")), "3/4/21\tt0\trequest 1\r\n"
                                           "3/4/21\tt1\tanswer\r\n"
                                           "3/4/21\tt1\tOK REAL\r\n"
                                           "3/4/21\tt1\t1.0\r\n"
                                           "4/4/21\tt2\trequest 2\r\n");
}

TEST_F(Writer, PastDataThatCannotBeOpenedWritesNothing) {
    CurrentLogging logging = writer.current_logging();
    logging.log_folder = (folder / "missing").wstring();
    writer.load_logging(logging);
    EXPECT_FALSE(writer.write_past_data(LogOpenMode::Append, std::nullopt));
    EXPECT_TRUE(seat.boxes.empty()); // the command says so itself
}

// ---- Debug View records, one at a time and gathered per turn of the message loop -------------

// The message loop's side of batching: a turn's requests are counted, and the test ends the
// turn when it wants to.
class TurnBatching : public LogBatching {
  public:
    bool accept = true;
    int requests = 0;
    bool request_write() override {
        ++requests;
        return accept;
    }
};

class DebugWriter : public Writer {
  protected:
    DebugWriter() {
        sources.debug = true;
        batched_writer.load_logging(writer.current_logging());
    }
    void use_batching() { writer_in_use = &batched_writer; }
    void start() {
        writer_in_use->start_logging(true);
        writer_in_use->set_cycle_start(false);
    }
    void record(std::wstring_view text) {
        writer_in_use->write_debug_log_lines(L"3/4/21", L"10:00:00.042", text);
    }
    void end_turn() { writer_in_use->write_pending_records(); }

    TurnBatching turn;
    LogWriter batched_writer{seat, registry, folders, clock, snapshots, sources, &turn};
    LogWriter* writer_in_use = &writer;
};

class DebugRecords : public DebugWriter, public ::testing::WithParamInterface<bool> {
  protected:
    DebugRecords() {
        if (GetParam())
            use_batching();
    }
};

TEST_P(DebugRecords, EachLineOfAnAnswerIsALineAndTheLogHasNoHeader) {
    start();
    record(L"a\nb\nc");
    record(L"d");
    end_turn();
    EXPECT_EQ(read_all(file("Plant.LOG")), "3/4/21\t10:00:00.042\ta\r\n"
                                           "3/4/21\t10:00:00.042\tb\r\n"
                                           "3/4/21\t10:00:00.042\tc\r\n"
                                           "3/4/21\t10:00:00.042\td\r\n");
    EXPECT_TRUE(log_file_read_only(file("Plant.LOG").wstring()));
    EXPECT_EQ(status(3), L"Log File: " + logged("Plant.LOG"));
    EXPECT_EQ(status(2), L"Log Size: 0.1 MB (of 5 MB)");
}

TEST_P(DebugRecords, LinesStopAtTheLimitAndSoDoTheRecordsAfterThem) {
    CurrentLogging logging = writer.current_logging();
    logging.options.log_size = 1;
    writer_in_use->load_logging(logging);
    start();
    set_file_size("Plant.LOG", kMb - 8);
    record(L"one\ntwo\nthree");
    record(L"four");
    end_turn();
    EXPECT_EQ(read_all(file("Plant.LOG")).substr(kMb - 8), "3/4/21\t10:00:00.042\tone\r\n");
    EXPECT_FALSE(writer_in_use->logging_on());
    EXPECT_FALSE(seat.checked[Command::LogData]);
    EXPECT_TRUE(log_file_read_only(file("Plant.LOG").wstring()));
}

// The size is counted across the records of a batch as the file grows: the third passes the
// limit and is the last written.
TEST_P(DebugRecords, TheLimitCountsWhatEarlierRecordsWrote) {
    CurrentLogging logging = writer.current_logging();
    logging.options.log_size = 1;
    writer_in_use->load_logging(logging);
    start();
    set_file_size("Plant.LOG", kMb - 60); // each line below is 25 bytes
    for (const wchar_t* text : {L"a", L"b", L"c", L"d"})
        record(text);
    end_turn();
    EXPECT_EQ(read_all(file("Plant.LOG")).substr(kMb - 60), "3/4/21\t10:00:00.042\ta\r\n"
                                                            "3/4/21\t10:00:00.042\tb\r\n"
                                                            "3/4/21\t10:00:00.042\tc\r\n");
    EXPECT_FALSE(writer_in_use->logging_on());
}

TEST_P(DebugRecords, ARecordGoesToTheFileNamedWhenItCame) {
    start();
    record(L"debug");
    sources.debug = false; // the view changes before the turn ends
    end_turn();
    EXPECT_EQ(read_all(file("Plant.LOG")), "3/4/21\t10:00:00.042\tdebug\r\n");
    EXPECT_FALSE(fs::exists(file("Plant.CSV")));
}

INSTANTIATE_TEST_SUITE_P(AtOnceAndBatched, DebugRecords, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Batched" : "AtOnce"; });

class Batches : public DebugWriter {
  protected:
    Batches() { use_batching(); }
};

TEST_F(Batches, ATurnsRecordsWaitForItsEndAndAskForItOnce) {
    start();
    record(L"1");
    record(L"2");
    record(L"3");
    EXPECT_EQ(turn.requests, 1);
    EXPECT_FALSE(fs::exists(file("Plant.LOG")));
    end_turn();
    EXPECT_EQ(read_all(file("Plant.LOG")), "3/4/21\t10:00:00.042\t1\r\n"
                                           "3/4/21\t10:00:00.042\t2\r\n"
                                           "3/4/21\t10:00:00.042\t3\r\n");
    EXPECT_TRUE(log_file_read_only(file("Plant.LOG").wstring()));
    record(L"4");
    EXPECT_EQ(turn.requests, 2);
    end_turn();
    end_turn(); // nothing left: no second copy
    EXPECT_EQ(read_all(file("Plant.LOG")).size(),
              4 * std::string("3/4/21\t10:00:00.042\t1\r\n").size());
}

TEST_F(Batches, WithoutAWayToWaitARecordIsWrittenAtOnce) {
    turn.accept = false;
    start();
    record(L"now");
    EXPECT_EQ(read_all(file("Plant.LOG")), "3/4/21\t10:00:00.042\tnow\r\n");
    EXPECT_TRUE(log_file_read_only(file("Plant.LOG").wstring()));
}

// Whatever reaches the file or the limit first writes what the turn gathered, so records keep
// their order and none is lost when logging stops.
struct FirstWrite {
    const char* name;
    void (*operation)(LogWriter&);
};

TEST_F(Batches, EveryOtherWriteWritesTheTurnsRecordsFirst) {
    const FirstWrite cases[] = {
        {"stop", [](LogWriter& w) { w.stop_logging(); }},
        {"check size", [](LogWriter& w) { w.check_size(false); }},
        {"refresh status", [](LogWriter& w) { w.refresh_log_status(); }},
        {"new limit", [](LogWriter& w) { w.set_size_limit_mb(9); }},
        {"past data", [](LogWriter& w) { w.write_past_data(LogOpenMode::Append, 0); }},
    };
    for (const FirstWrite& c : cases) {
        SCOPED_TRACE(c.name);
        TurnBatching turn;
        LogWriter batched{seat, registry, folders, clock, snapshots, sources, &turn};
        batched.load_logging(writer.current_logging());
        batched.start_logging(true);
        const std::string line = std::string("\t") + c.name + "\r\n";
        const std::wstring text(line.begin() + 1, line.end() - 2);
        batched.write_debug_log_lines(L"3/4/21", L"10:00:00.042", text);
        EXPECT_EQ(read_all(file("Plant.LOG")).find(line), std::string::npos);
        c.operation(batched);
        EXPECT_NE(read_all(file("Plant.LOG")).find(line), std::string::npos);
        EXPECT_TRUE(log_file_read_only(file("Plant.LOG").wstring()));
    }
}

} // namespace
} // namespace brixtel
