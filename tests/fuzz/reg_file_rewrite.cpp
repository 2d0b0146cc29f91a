// The .REG export of the machine-wide settings, rewritten to import under the current user.
// The first byte says whether the export is UTF-16 (as regedit writes it) or 8-bit text.
#include "settings/reg_file_rewrite.h"
#include "fuzz_support.h"

using namespace brixtel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const bool utf16 = data[0] & 1;
    const std::span<const std::uint8_t> content(data + 1, size - 1);
    const std::vector<std::uint8_t> out = rewrite_reg_file(content, utf16);
    if (utf16) {
        fuzz::check(out.size() >= 2 && out[0] == 0xFF && out[1] == 0xFE,
                    "a UTF-16 file comes back with its byte-order mark");
        fuzz::check(out.size() % 2 == content.size() % 2, "a dangling last byte is kept");
    }
    // The user's key name is as long as the machine's: a rewrite adds nothing but the mark.
    fuzz::check(out.size() <= content.size() + 2, "the rewrite is no longer than the export");
    return 0;
}
