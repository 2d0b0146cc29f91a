#pragma once
// Tag databases kept as comma-separated text: a header line naming the columns TAGNAME,
// LOOP, PCU, MODULE and BLOCK in any order and letter case, then one tag per line. The file
// is UTF-16 (little-endian) or 8-bit text in the OEM code page.
#include "tags/tag_record.h"

#include <string>
#include <string_view>
#include <vector>

namespace brixtel {

// The lines of the file, trimmed at both ends of blanks and line breaks. UTF-16 is told from
// 8-bit text by the system's text test over the first 1024 bytes; byte-order marks are left
// out wherever they stand.
std::vector<std::wstring> tag_file_lines(std::string_view bytes);

// The records of a comma-separated tag database given as its bytes.
TagFileContents read_text_tags(std::string_view bytes);

} // namespace brixtel
