#include "platform/log_file.h"

#include "platform/text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brixtel {

struct LogFile::Handle {
    int fd = -1;
};

namespace {

// Characters that cannot be written in UTF-8 (surrogates, beyond U+10FFFF) become "?".
std::string utf8_of(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (wchar_t wc : wide) {
        const auto c = static_cast<std::uint32_t>(wc);
        append_utf8(out, (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF ? L'?' : c);
    }
    return out;
}

std::string native_path(std::wstring_view path) {
    std::string out = utf8_of(path);
    for (char& c : out)
        if (c == '\\')
            c = '/';
    return out;
}

std::optional<struct stat> status_of(std::wstring_view path) {
    struct stat st {};
    if (path.empty() || ::stat(native_path(path).c_str(), &st) != 0)
        return std::nullopt;
    return st;
}

} // namespace

std::optional<LogFile> LogFile::open(std::wstring_view path, bool empty_first) {
    if (path.empty())
        return std::nullopt;
    if (log_file_read_only(path))
        set_log_file_read_only(path, false);
    const int flags = O_WRONLY | O_CREAT | (empty_first ? O_TRUNC : O_APPEND);
    const int fd = ::open(native_path(path).c_str(), flags, 0666);
    if (fd < 0)
        return std::nullopt;
    auto handle = std::make_unique<Handle>();
    handle->fd = fd;
    return LogFile(std::move(handle));
}

LogFile::LogFile(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}
LogFile::LogFile(LogFile&&) noexcept = default;

LogFile& LogFile::operator=(LogFile&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = std::move(other.handle_);
        pending_ = std::move(other.pending_);
        flushed_size_ = other.flushed_size_;
    }
    return *this;
}

LogFile::~LogFile() {
    close();
}

void LogFile::write(std::wstring_view text) {
    pending_ += utf8_of(text);
}

void LogFile::flush() {
    if (!handle_ || handle_->fd < 0)
        return;
    // Where this record begins: every write of it goes to the end.
    const off_t start = ::lseek(handle_->fd, 0, SEEK_END);
    const char* data = pending_.data();
    std::size_t left = pending_.size();
    off_t done = 0;
    while (left > 0) {
        const ssize_t written = ::write(handle_->fd, data, left);
        if (written <= 0)
            break;
        data += written;
        left -= static_cast<std::size_t>(written);
        done += written;
    }
    // A full disk took part of the record: the rest is lost, and so is that part, so the next
    // record does not run on from half a line; the size is asked of the system again.
    if (left > 0 && done > 0) {
        struct stat st {};
        if (start >= 0 && ::fstat(handle_->fd, &st) == 0 && st.st_size == start + done)
            static_cast<void>(::ftruncate(handle_->fd, start));
        flushed_size_.reset();
    } else {
        count_flushed(pending_.size() - left);
    }
    pending_.clear();
}

void LogFile::close() {
    if (!handle_)
        return;
    flush();
    if (handle_->fd >= 0)
        ::close(handle_->fd);
    handle_.reset();
    flushed_size_.reset();
}

bool LogFile::close_read_only() {
    if (!handle_)
        return false;
    flush();
    struct stat st {};
    const mode_t writable = S_IWUSR | S_IWGRP | S_IWOTH;
    const bool marked = handle_->fd >= 0 && ::fstat(handle_->fd, &st) == 0 &&
                        ::fchmod(handle_->fd, st.st_mode & ~writable & 07777) == 0;
    close();
    return marked;
}

std::optional<std::uint64_t> LogFile::system_size() const {
    struct stat st {};
    if (!handle_ || handle_->fd < 0 || ::fstat(handle_->fd, &st) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

bool log_file_exists(std::wstring_view path) {
    return status_of(path).has_value();
}

std::optional<std::uint64_t> log_file_size(std::wstring_view path) {
    const auto st = status_of(path);
    if (!st || !S_ISREG(st->st_mode))
        return std::nullopt;
    return static_cast<std::uint64_t>(st->st_size);
}

bool set_log_file_read_only(std::wstring_view path, bool read_only) {
    const auto st = status_of(path);
    if (!st)
        return false;
    const mode_t writable = S_IWUSR | S_IWGRP | S_IWOTH;
    const mode_t mode = read_only ? (st->st_mode & ~writable) : (st->st_mode | S_IWUSR);
    return ::chmod(native_path(path).c_str(), mode & 07777) == 0;
}

bool log_file_read_only(std::wstring_view path) {
    const auto st = status_of(path);
    return st && (st->st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

} // namespace brixtel
