// A hyperdocument title's information string, and the newest match of a wildcard title path.
// Input: the information string; the same bytes, split at line feeds, also give a pattern and
// the names of a folder listing.
#include "core/title_info.h"
#include "fuzz_support.h"

using namespace brixtel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::bytes_of(data, size);
    for (const TitleLoopEntry& entry : parse_title_information(bytes))
        fuzz::check(entry.host.size() <= bytes.size(), "a host comes from the string");

    const std::wstring text = to_wide(bytes);
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    while (start <= text.size() && lines.size() < 64) {
        const std::size_t end = std::min(text.find(L'\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    std::vector<ListedFile> listing;
    for (std::size_t i = 1; i < lines.size(); ++i)
        listing.push_back({lines[i], !lines[i].empty() && lines[i][0] == L'\\', i * 7919 % 13});
    (void)extension_of(lines[0]);
    if (const auto path = newest_matching_file(lines[0], L"C:\\titles\\", listing))
        fuzz::check(path->starts_with(L"C:\\titles\\"), "the newest file is in the folder");
    return 0;
}
