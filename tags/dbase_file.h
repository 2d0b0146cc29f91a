#pragma once
// Tag databases kept as dBASE tables.
#include "tags/tag_record.h"

#include <string_view>

namespace brixtel {

// The records of a dBASE table given as its bytes. The five columns are found by name
// ("name", "loop", "pcu", "module", "block", in that order of the field descriptors);
// records marked deleted are left out. A table whose header or descriptors do not fit the
// bytes, or whose five fields do not fit in a record, is not a tag database.
TagFileContents read_dbase_tags(std::string_view bytes);

} // namespace brixtel
