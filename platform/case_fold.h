#pragma once
// Names, paths and tag names are compared without regard to letter case. Windows folds case
// over the whole character set; this fold covers the scripts tag databases and paths use
// (Latin, Greek, Cyrillic) and leaves every other character as it is, so it behaves the same
// on every build.
#include <string>
#include <string_view>

namespace brixtel {

wchar_t upper_case(wchar_t c);

std::wstring upper_case(std::wstring_view text);

bool equal_ignoring_case(std::wstring_view a, std::wstring_view b);

// True when `text` begins with `prefix`, compared without regard to case.
bool starts_with_ignoring_case(std::wstring_view text, std::wstring_view prefix);

} // namespace brixtel
