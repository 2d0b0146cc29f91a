#pragma once
// The OK check of the Significant digits dialog: how many significant digits the Export View
// shows numbers with, 0 meaning as received.
#include "shell/number_entry.h"

#include <string_view>

namespace brixtel {

// With the no-limit box ticked the answer is 0 whatever the field holds. Otherwise the field's
// blanks are dropped and the rest must be a number other than 0.
NumberEntry check_significant_digits_entry(bool no_limit, std::wstring_view field);

} // namespace brixtel
