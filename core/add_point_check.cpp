#include "core/add_point_check.h"

#include <algorithm>
#include <limits>

namespace brixtel {

namespace {

using Outcome = AddPointVerdict::Outcome;

constexpr std::uint32_t kHighestPlainBlock = 31999;
constexpr std::uint32_t kHighestBlock = 65535;

// Unsigned on purpose: a negative number lands far above any upper limit.
bool in_range(std::int32_t value, std::uint32_t low, std::uint32_t high) {
    const auto u = static_cast<std::uint32_t>(value);
    return u >= low && u <= high;
}

AddPointVerdict refuse(StringId text, StringId caption, AddressField field) {
    return {Outcome::Refused, text, caption, field};
}

} // namespace

AddPointVerdict check_new_point(std::size_t points_in_list, const BlockAddress& a,
                                std::uint32_t show_blk_check) {
    if (points_in_list >= kMaxListedPoints)
        return refuse(ids::TooManyPoints, ids::NumberOfPointsExceeded, AddressField::None);
    if (!in_range(a.loop, 1, 250))
        return refuse(ids::LoopOutOfRange, ids::LoopError, AddressField::Loop);
    if (!in_range(a.pcu, 1, 250))
        return refuse(ids::PcuOutOfRange, ids::PcuError, AddressField::Pcu);
    if (!in_range(a.module, 0, 31))
        return refuse(ids::ModuleOutOfRange, ids::ModuleError, AddressField::Module);
    if (!in_range(a.block, 0, kHighestBlock))
        return refuse(ids::BlockOutOfRange, ids::BlockError, AddressField::Block);
    if (!in_range(a.block, 0, kHighestPlainBlock) && show_blk_check != 0)
        return {Outcome::NeedsBlockConfirmation, 0, 0, AddressField::Block};
    return {};
}

std::optional<ImportRefusal> check_import_count(std::size_t point_count) {
    if (point_count <= kMaxListedPoints)
        return std::nullopt;
    constexpr std::size_t kMaxInsert = std::numeric_limits<std::int32_t>::max();
    const auto count = static_cast<std::int32_t>(std::min(point_count, kMaxInsert));
    return ImportRefusal{ids::ImportTooManyPoints, ids::NumberOfPointsExceeded, count,
                         count - static_cast<std::int32_t>(kMaxListedPoints)};
}

} // namespace brixtel
