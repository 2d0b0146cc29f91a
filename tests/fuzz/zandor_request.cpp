// Request datagrams as the Zandor simulator reads them: the simulator sits on a UDP port that
// any program on the machine can write to.
#include "fuzz_support.h"
#include "tools/zandor-sim/request.h"

using namespace brixtel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view datagram = fuzz::bytes_of(data, size);
    const zandor::Request request = zandor::parse_request(datagram);
    fuzz::check(request.line.size() <= datagram.size(), "the line comes from the datagram");
    (void)zandor::decimal_of(datagram);
    return 0;
}
