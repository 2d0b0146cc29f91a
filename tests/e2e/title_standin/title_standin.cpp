// A stand-in for the hyperdocument title library, for the end-to-end suite. It opens "titles"
// of its own small text format and hands out their configuration information:
//
//   line 1: MVTITLE
//   then:   info10=<information string, 8-bit text, to the end of the line>
//
// A file without the first line cannot be opened; a title without an "info10=" line cannot
// tell its information (the call fails). Exported calls:
//
//   void* WINAPI hMVTitleOpenEx(const char* path, void* reserved, void* reserved2)
//   LONG  WINAPI lMVTitleGetInfo(void* title, UINT info_type, LONG buffer_size, char* buffer)
//         -> characters copied (terminated, cut to the buffer), or -1
//   void  WINAPI MVTitleClose(void* title)
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <string>

namespace {

constexpr char kMagic[] = "MVTITLE";

struct Title {
    std::map<UINT, std::string> information;
};

bool read_title(const char* path, Title& title) {
    std::ifstream file(path, std::ios::binary);
    std::string line;
    if (!file || !std::getline(file, line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (line != kMagic)
        return false;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t equals = line.find('=');
        if (line.rfind("info", 0) != 0 || equals == std::string::npos)
            continue;
        const UINT type = static_cast<UINT>(std::strtoul(line.c_str() + 4, nullptr, 10));
        title.information[type] = line.substr(equals + 1);
    }
    return true;
}

} // namespace

extern "C" {

__declspec(dllexport) void* WINAPI hMVTitleOpenEx(const char* path, void*, void*) {
    if (!path || !*path)
        return nullptr;
    auto* title = new Title;
    if (read_title(path, *title))
        return title;
    delete title;
    return nullptr;
}

__declspec(dllexport) LONG WINAPI
    lMVTitleGetInfo(void* handle, UINT info_type, LONG buffer_size, char* buffer) {
    const auto* title = static_cast<const Title*>(handle);
    if (!title || !buffer || buffer_size <= 0)
        return -1;
    const auto found = title->information.find(info_type);
    if (found == title->information.end())
        return -1;
    const std::size_t copied =
        std::min(found->second.size(), static_cast<std::size_t>(buffer_size - 1));
    std::memcpy(buffer, found->second.data(), copied);
    buffer[copied] = '\0';
    return static_cast<LONG>(copied);
}

__declspec(dllexport) void WINAPI MVTitleClose(void* handle) {
    delete static_cast<Title*>(handle);
}

} // extern "C"
