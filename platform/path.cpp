#include "platform/path.h"

namespace brixtel {

std::wstring join_path(std::wstring_view folder, std::wstring_view name) {
    std::wstring path(folder);
    if (!path.empty() && path.back() != L'\\')
        path += L'\\';
    return path.append(name);
}

std::wstring quoted_if_blank(std::wstring_view path) {
    if (path.find(L' ') == std::wstring_view::npos)
        return std::wstring(path);
    return L"\"" + std::wstring(path) + L"\"";
}

} // namespace brixtel
