// The log file on a disk that fills up: a record that does not fit is lost whole, so the log
// never holds half a line. A file size limit stands in for the full disk.
#include "platform/log_file.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <sys/resource.h>

namespace brixtel {
namespace {

namespace fs = std::filesystem;

std::string read_all(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes past `limit` bytes fail for this process while it lives, as on a full disk.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t limit) {
        old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit lowered = old_;
        lowered.rlim_cur = limit;
        set_ = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, old_handler_);
    }
    bool set() const { return set_; }

  private:
    rlimit old_{};
    void (*old_handler_)(int) = SIG_DFL;
    bool set_ = false;
};

TEST(LogFileOnAFullDisk, ARecordThatDoesNotFitIsLostWholeAndTheNextOneFollowsTheLast) {
    std::random_device random;
    const fs::path folder =
        fs::temp_directory_path() / ("brixtel-full-" + std::to_string(random()));
    fs::create_directories(folder);
    const std::wstring path = (folder / "plant.CSV").wstring();
    const std::string first = "3/4/21,10:00:00.000,1,2,\r\n";
    const std::string second = "3/4/21,10:00:01.000,3,4,\r\n";
    {
        auto file = LogFile::open(path, false);
        ASSERT_TRUE(file);
        file->write(L"3/4/21,10:00:00.000,1,2,\r\n");
    }
    {
        FileSizeLimit full(first.size() + 10);
        ASSERT_TRUE(full.set());
        auto file = LogFile::open(path, false);
        ASSERT_TRUE(file);
        file->write(L"3/4/21,10:00:01.000,3,4,\r\n");
        file->flush();
        EXPECT_EQ(read_all(folder / "plant.CSV"), first);
    }
    {
        auto file = LogFile::open(path, false);
        ASSERT_TRUE(file);
        file->write(L"3/4/21,10:00:01.000,3,4,\r\n");
    }
    EXPECT_EQ(read_all(folder / "plant.CSV"), first + second);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

} // namespace
} // namespace brixtel
