// The helper-process runner: the child gets pipes for its standard streams and no window; its
// output is read and dropped while we wait, so a tool that writes a lot cannot fill the pipe
// and stall on a parent that only waits.
#include "platform/process.h"

#include <windows.h>

#include <string>
#include <vector>

namespace brixtel {
namespace {

constexpr DWORD kOutputPipeBytes = 4096;
constexpr DWORD kDrainPollMs = 20;

class Handle {
  public:
    Handle() = default;
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    ~Handle() { close(nullptr); }

    HANDLE get() const { return handle_; }
    HANDLE* out() { return &handle_; }
    explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }

    void close(const SystemCallFailed* on_failure) {
        if (*this && !CloseHandle(handle_) && on_failure && *on_failure)
            (*on_failure)(L"CloseHandle", GetLastError());
        handle_ = nullptr;
    }

  private:
    HANDLE handle_ = nullptr;
};

void report(const SystemCallFailed& on_failure, const wchar_t* call) {
    const DWORD error = GetLastError();
    if (on_failure)
        on_failure(call, error);
}

// One standard stream: the child's end is inheritable, ours is a private duplicate.
struct StreamPipe {
    Handle child_end;
    Handle our_end;
};

// child_reads: the child reads from the pipe (its standard input); otherwise it writes to it.
StreamPipe make_pipe(bool child_reads, DWORD size, const SystemCallFailed& on_failure) {
    StreamPipe pipe;
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    Handle read_end, write_end;
    if (!CreatePipe(read_end.out(), write_end.out(), &inheritable, size)) {
        report(on_failure, L"CreatePipe");
        return pipe;
    }
    Handle& ours = child_reads ? write_end : read_end;
    Handle& theirs = child_reads ? read_end : write_end;
    // Our end must not be inherited, or the child would hold its own pipe open.
    const HANDLE process = GetCurrentProcess();
    if (!DuplicateHandle(process, ours.get(), process, pipe.our_end.out(), 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
        report(on_failure, L"DuplicateHandle");
        *pipe.our_end.out() = nullptr;
    }
    ours.close(&on_failure);
    *pipe.child_end.out() = theirs.get();
    *theirs.out() = nullptr;
    return pipe;
}

// Reads whatever is waiting in the pipe without blocking; false once it is broken.
bool drain(const Handle& pipe) {
    if (!pipe)
        return false;
    char buffer[kOutputPipeBytes];
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(pipe.get(), nullptr, 0, nullptr, &available, nullptr))
            return false;
        if (available == 0)
            return true;
        DWORD read = 0;
        if (!ReadFile(pipe.get(), buffer, sizeof buffer, &read, nullptr))
            return false;
    }
}

} // namespace

ProcessOutcome run_hidden_process(std::wstring_view command_line, std::wstring_view working_folder,
                                  const SystemCallFailed& on_failure) {
    StreamPipe input = make_pipe(true, 0, on_failure);
    StreamPipe output = make_pipe(false, kOutputPipeBytes, on_failure);
    StreamPipe errors = make_pipe(false, 0, on_failure);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = input.child_end.get();
    startup.hStdOutput = output.child_end.get();
    startup.hStdError = errors.child_end.get();

    // CreateProcessW may write into the command line.
    std::vector<wchar_t> line(command_line.begin(), command_line.end());
    line.push_back(L'\0');
    const std::wstring folder(working_folder);
    PROCESS_INFORMATION info{};
    const BOOL created =
        CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                       folder.empty() ? nullptr : folder.c_str(), &startup, &info);
    if (!created)
        report(on_failure, L"CreateProcess");

    // Only the child may hold its ends now: its output pipes break when it ends, and closing
    // its input tells it that nothing will come.
    input.child_end.close(&on_failure);
    output.child_end.close(&on_failure);
    errors.child_end.close(&on_failure);
    input.our_end.close(&on_failure);

    ProcessOutcome outcome;
    if (!created)
        return outcome;
    Handle process(info.hProcess);
    Handle thread(info.hThread);

    bool output_open = true;
    bool errors_open = true;
    for (;;) {
        const DWORD waited = WaitForSingleObject(process.get(), kDrainPollMs);
        if (output_open)
            output_open = drain(output.our_end);
        if (errors_open)
            errors_open = drain(errors.our_end);
        if (waited != WAIT_TIMEOUT)
            break;
    }
    DWORD exit_code = 0;
    if (GetExitCodeProcess(process.get(), &exit_code)) {
        outcome.ran = true;
        outcome.exit_code = exit_code;
    }
    output.our_end.close(&on_failure);
    errors.our_end.close(&on_failure);
    thread.close(&on_failure);
    process.close(&on_failure);
    return outcome;
}

} // namespace brixtel
