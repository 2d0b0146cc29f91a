#include "core/block_address.h"

#include "core/text_scan.h"

namespace brixtel {

using text::decimal;
using text::zero_padded;

std::wstring item_text(const BlockAddress& a) {
    return L"Module " + decimal(a.loop) + L',' + decimal(a.pcu) + L',' + decimal(a.module) +
           L" Block " + decimal(a.block);
}

std::wstring row_key(const BlockAddress& a) {
    return decimal(a.loop) + L'-' + decimal(a.pcu) + L'-' + decimal(a.module) + L'-' +
           decimal(a.block);
}

std::wstring request_address_text(const BlockAddress& a) {
    return decimal(a.loop) + L' ' + zero_padded(a.pcu, 2) + L' ' + zero_padded(a.module, 2) + L' ' +
           decimal(a.block);
}

} // namespace brixtel
