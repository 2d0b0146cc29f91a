#pragma once
// Running a helper program (the Type tool, the registry editor): hidden, its standard
// streams on pipes, waited for without a time limit; only its exit code is used.
#include <cstdint>
#include <functional>
#include <string_view>

namespace brixtel {

struct ProcessOutcome {
    bool ran = false;            // the process was created and waited for
    std::uint32_t exit_code = 0; // valid when ran
};

// Told the name of a system call that failed ("CreatePipe", "DuplicateHandle",
// "CreateProcess", "CloseHandle") and its error code; the run goes on where it can.
using SystemCallFailed = std::function<void(std::wstring_view call, std::uint32_t error)>;

ProcessOutcome run_hidden_process(std::wstring_view command_line, std::wstring_view working_folder,
                                  const SystemCallFailed& on_failure);

} // namespace brixtel
