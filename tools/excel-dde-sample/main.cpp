// excel-dde-sample <file.TXT> [<file.LST>]: writes the Excel DDE file (and the tag list file)
// of a small current tag list, the way the program writes them: a point with a tag, one
// without, one from a database file, one whose file was removed (left out), and addresses at
// the ends of their ranges.
#include "platform/text_file.h"
#include "tags/tag_list_files.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

class SampleDatabases : public brixtel::DatabaseNames {
  public:
    std::wstring slot_text(std::int32_t number) const override {
        return number == 2 ? L"C:\\DB\\UNIT1.DBF" : L"NO_DATABASE";
    }
    std::optional<std::int32_t> number_of_path(std::wstring_view) const override {
        return std::nullopt;
    }
};

std::wstring wide(const char* text) {
    std::wstring out;
    for (; *text; ++text)
        out += static_cast<wchar_t>(static_cast<unsigned char>(*text));
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: excel-dde-sample <file.TXT> [<file.LST>]\n");
        return 2;
    }
    using brixtel::PointNode;
    const brixtel::CurrentTagList points{
        PointNode{L"FIC-101", {1, 2, 3, 100}, 2},
        PointNode{L"", {1, 2, 3, 101}, 1},
        PointNode{L"TI-7 OUTLET", {250, 250, 31, 65535}, 1},
        PointNode{L"REMOVED", {4, 5, 6, 7}, brixtel::kDetachedDatabase},
        PointNode{L"LOW-END", {1, 1, 0, 0}, 2},
    };
    if (!brixtel::write_text_file(wide(argv[1]), brixtel::excel_dde_file_text(points))) {
        std::fprintf(stderr, "excel-dde-sample: cannot open %s\n", argv[1]);
        return 1;
    }
    const SampleDatabases databases;
    if (argc == 3 &&
        !brixtel::write_text_file(wide(argv[2]), brixtel::tag_list_file_text(points, databases))) {
        std::fprintf(stderr, "excel-dde-sample: cannot open %s\n", argv[2]);
        return 1;
    }
    return EXIT_SUCCESS;
}
