// The program's command line, as a shortcut or a user may give it.
#include "shell/command_line.h"
#include "fuzz_support.h"

using namespace brixtel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring line = fuzz::wide_text(fuzz::bytes_of(data, size));
    const std::size_t most = size > 1 ? data[1] % 12 : kMaxCommandLineArguments;
    const auto arguments = split_command_line(line, most);
    fuzz::check(arguments.size() <= most, "no more arguments than asked for");
    std::size_t characters = 0;
    for (const std::wstring& argument : arguments)
        characters += argument.size();
    fuzz::check(characters <= line.size(), "arguments come from the line");
    const std::wstring title = title_path_of_command_line(line);
    fuzz::check(title.size() <= line.size(), "the title path comes from the line");
    return 0;
}
