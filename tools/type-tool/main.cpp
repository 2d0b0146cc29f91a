// vexrun: tells whether a file is a tag database, by its exit code.
//   0  a dBASE table (".dbf") with the name, loop, PCU, module and block fields, or a
//      comma-separated text file whose header names TAGNAME, LOOP, PCU, MODULE and BLOCK
//   1  readable, but not a tag database
//   2  no file named
//   3  the file cannot be read
// Brixtel runs it hidden before it adds a database file and uses only the exit code; the
// line written to standard output is for a person running it by hand.
#include "tags/tag_database_file.h"

#include <cstdio>
#include <string>

#ifndef _WIN32
#include <clocale>
#include <cstdlib>
#include <vector>
#endif

namespace {

int examine(const wchar_t* path) {
    using brixtel::TagFileVerdict;
    switch (brixtel::examine_tag_database_file(path)) {
    case TagFileVerdict::TagDatabase:
        std::fputs("tag database\n", stdout);
        return 0;
    case TagFileVerdict::NotTagDatabase:
        std::fputs("not a tag database\n", stdout);
        return 1;
    case TagFileVerdict::Unreadable:
        break;
    }
    std::fputs("cannot read the file\n", stdout);
    return 3;
}

int usage() {
    std::fputs("usage: vexrun <database file>\n", stderr);
    return 2;
}

} // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    return argc < 2 ? usage() : examine(argv[1]);
}
#else
int main(int argc, char** argv) {
    if (argc < 2) {
        return usage();
    }
    std::setlocale(LC_ALL, "");
    const std::size_t length = std::mbstowcs(nullptr, argv[1], 0);
    if (length == static_cast<std::size_t>(-1)) {
        return 3;
    }
    std::vector<wchar_t> path(length + 1, L'\0');
    std::mbstowcs(path.data(), argv[1], path.size());
    return examine(path.data());
}
#endif
