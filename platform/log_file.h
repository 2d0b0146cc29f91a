#pragma once
// The log file as the operating system keeps it: opened for one record and closed after it,
// read-only between records. Paths are Windows paths; elsewhere a backslash is taken as a
// folder separator, so the same path text works in the native tests.
//
// Encoding: the text goes out in the ANSI code page on Windows (what a wide text-mode stream
// writes, and what a spreadsheet opening a .CSV expects; a character the code page lacks
// becomes its default character) and as UTF-8 elsewhere; no byte-order mark. Line ends are
// the caller's: the log writer ends every line with CR LF.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace brixtel {

class LogFile {
  public:
    // Clears the read-only attribute of an existing file first, then opens it for writing
    // (and for setting its attributes) without keeping others from reading or writing it:
    // appending, or emptied first when `empty_first`. Nothing when the file cannot be opened.
    static std::optional<LogFile> open(std::wstring_view path, bool empty_first);

    LogFile(LogFile&&) noexcept;
    LogFile& operator=(LogFile&&) noexcept;
    ~LogFile();

    // Buffered until flush or close; write errors are not reported.
    void write(std::wstring_view text);
    void flush();
    void close();
    // Flushes, sets the read-only attribute through the open file (no second open of the path,
    // which costs far more than the write under Wine) and closes it. False when the attribute
    // could not be set that way; the file is closed all the same.
    bool close_read_only();
    // The open file's size in bytes with what is still buffered; nothing when it cannot be
    // read or the file is closed. Asked of the system once per opening, then counted as the
    // text is written: a size check after every line must not cost a call each.
    std::optional<std::uint64_t> size() const {
        if (!flushed_size_)
            flushed_size_ = system_size();
        if (!flushed_size_)
            return std::nullopt;
        return *flushed_size_ + pending_.size();
    }

    struct Handle;

  private:
    explicit LogFile(std::unique_ptr<Handle> handle);
    std::optional<std::uint64_t> system_size() const;
    // Bytes written out after `flushed_size_` was read.
    void count_flushed(std::uint64_t bytes) {
        if (flushed_size_)
            *flushed_size_ += bytes;
    }
    std::unique_ptr<Handle> handle_;
    std::string pending_;
    mutable std::optional<std::uint64_t> flushed_size_;
};

bool log_file_exists(std::wstring_view path);
// The file's size in bytes; nothing when it cannot be read.
std::optional<std::uint64_t> log_file_size(std::wstring_view path);
// Sets or clears the read-only attribute (elsewhere: the write permission bits).
bool set_log_file_read_only(std::wstring_view path, bool read_only);
bool log_file_read_only(std::wstring_view path);

} // namespace brixtel
