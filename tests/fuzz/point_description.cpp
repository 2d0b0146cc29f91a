// "Module <loop>,<pcu>,<module> Block <block>" as DDE clients name items, Export View headers
// read and tag list entries begin.
#include "dde/item_grammar.h"
#include "fuzz_support.h"

using namespace brixtel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    (void)parse_point_description(fuzz::wide_text(fuzz::bytes_of(data, size)));
    return 0;
}
