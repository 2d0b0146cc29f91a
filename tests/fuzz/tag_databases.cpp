// Tag database files, which users pick from anywhere: dBASE tables and comma-separated text,
// parsed from their bytes, and through the file road that picks the parser by extension. The
// first byte chooses the road.
#include "fuzz_support.h"
#include "tags/dbase_file.h"
#include "tags/tag_database_file.h"
#include "tags/text_database.h"

using namespace brixtel;

namespace {

void check_contents(const TagFileContents& contents, std::size_t size) {
    fuzz::check(contents.is_tag_database || contents.records.empty(),
                "a file that is no tag database holds no records");
    // A dBASE record takes its deletion flag at least; a text row its four commas.
    fuzz::check(contents.records.size() <= size, "no more records than bytes");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string_view bytes = fuzz::bytes_of(data + 1, size - 1);
    switch (data[0] % 4) {
    case 0:
        check_contents(read_dbase_tags(bytes), bytes.size());
        break;
    case 1: {
        const std::vector<std::wstring> lines = tag_file_lines(bytes);
        fuzz::check(lines.size() <= bytes.size() + 1, "no more lines than bytes");
        check_contents(read_text_tags(bytes), bytes.size());
        break;
    }
    default: {
        const std::wstring path =
            fuzz::scratch_file(data[0] % 4 == 2 ? "tags.DBF" : "tags.csv", bytes);
        const TagFileContents contents = read_tag_database_file(path);
        check_contents(contents, bytes.size());
        const TagFileVerdict verdict = examine_tag_database_file(path);
        fuzz::check((verdict == TagFileVerdict::TagDatabase) == contents.is_tag_database,
                    "the Type tool's verdict agrees with the parse");
        break;
    }
    }
    return 0;
}
