#include "platform/log_file.h"

#include <windows.h>

namespace brixtel {

struct LogFile::Handle {
    HANDLE file = INVALID_HANDLE_VALUE;
    std::wstring path;
};

namespace {

std::string ansi_of(std::wstring_view wide) {
    if (wide.empty())
        return {};
    const int length = static_cast<int>(wide.size());
    const int bytes =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return {};
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), length, out.data(), bytes, nullptr, nullptr);
    return out;
}

std::optional<WIN32_FILE_ATTRIBUTE_DATA> attributes_of(std::wstring_view path) {
    if (path.empty())
        return std::nullopt;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(std::wstring(path).c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    return data;
}

// Cuts the file back to `start` when it ends with exactly the `written` bytes of a record that
// could not be written whole, so the next record does not run on from half a line. Through a
// handle of its own: the log's handle may only append.
void take_back_record(const std::wstring& path, std::uint64_t start, std::uint64_t written) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) &&
        static_cast<std::uint64_t>(size.QuadPart) == start + written) {
        LARGE_INTEGER at{};
        at.QuadPart = static_cast<LONGLONG>(start);
        if (SetFilePointerEx(file, at, nullptr, FILE_BEGIN))
            SetEndOfFile(file);
    }
    CloseHandle(file);
}

} // namespace

std::optional<LogFile> LogFile::open(std::wstring_view path, bool empty_first) {
    if (path.empty())
        return std::nullopt;
    const std::wstring name(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
    // Appending by access right: every write goes to the end, wherever others wrote.
    const DWORD access = (empty_first ? GENERIC_WRITE : FILE_APPEND_DATA | FILE_WRITE_ATTRIBUTES) |
                         FILE_READ_ATTRIBUTES;
    HANDLE file = CreateFileW(
        name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        empty_first ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    auto handle = std::make_unique<Handle>();
    handle->file = file;
    handle->path = name;
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
    pending_ += ansi_of(text);
}

void LogFile::flush() {
    if (!handle_ || handle_->file == INVALID_HANDLE_VALUE)
        return;
    // Where this record begins: every write of it goes to the end.
    LARGE_INTEGER start{};
    const bool started = GetFileSizeEx(handle_->file, &start) != 0;
    const char* data = pending_.data();
    std::size_t left = pending_.size();
    std::uint64_t done = 0;
    while (left > 0) {
        DWORD written = 0;
        const DWORD chunk = left > 0x10000000 ? 0x10000000 : static_cast<DWORD>(left);
        const BOOL ok = WriteFile(handle_->file, data, chunk, &written, nullptr);
        data += written;
        left -= written;
        done += written;
        if (!ok || written == 0)
            break;
    }
    // A full disk took part of the record: the rest is lost, and so is that part; the size is
    // asked of the system again.
    if (left > 0 && done > 0 && started) {
        take_back_record(handle_->path, static_cast<std::uint64_t>(start.QuadPart), done);
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
    if (handle_->file != INVALID_HANDLE_VALUE)
        CloseHandle(handle_->file);
    handle_.reset();
    flushed_size_.reset();
}

bool LogFile::close_read_only() {
    if (!handle_)
        return false;
    flush();
    bool marked = false;
    FILE_BASIC_INFO info{};
    if (handle_->file != INVALID_HANDLE_VALUE &&
        GetFileInformationByHandleEx(handle_->file, FileBasicInfo, &info, sizeof info)) {
        // Times of 0 are left as they are.
        info.CreationTime.QuadPart = 0;
        info.LastAccessTime.QuadPart = 0;
        info.LastWriteTime.QuadPart = 0;
        info.ChangeTime.QuadPart = 0;
        info.FileAttributes =
            (info.FileAttributes & ~DWORD{FILE_ATTRIBUTE_NORMAL}) | FILE_ATTRIBUTE_READONLY;
        marked = SetFileInformationByHandle(handle_->file, FileBasicInfo, &info, sizeof info) != 0;
    }
    close();
    return marked;
}

std::optional<std::uint64_t> LogFile::system_size() const {
    LARGE_INTEGER bytes{};
    if (!handle_ || handle_->file == INVALID_HANDLE_VALUE || !GetFileSizeEx(handle_->file, &bytes))
        return std::nullopt;
    return static_cast<std::uint64_t>(bytes.QuadPart);
}

bool log_file_exists(std::wstring_view path) {
    return attributes_of(path).has_value();
}

std::optional<std::uint64_t> log_file_size(std::wstring_view path) {
    const auto data = attributes_of(path);
    if (!data || (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return (static_cast<std::uint64_t>(data->nFileSizeHigh) << 32) | data->nFileSizeLow;
}

bool set_log_file_read_only(std::wstring_view path, bool read_only) {
    const auto data = attributes_of(path);
    if (!data)
        return false;
    const DWORD attributes =
        read_only ? (data->dwFileAttributes | FILE_ATTRIBUTE_READONLY) : FILE_ATTRIBUTE_NORMAL;
    return SetFileAttributesW(std::wstring(path).c_str(), attributes) != 0;
}

bool log_file_read_only(std::wstring_view path) {
    const auto data = attributes_of(path);
    return data && (data->dwFileAttributes & FILE_ATTRIBUTE_READONLY);
}

} // namespace brixtel
