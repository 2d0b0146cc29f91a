#include "core/point_table.h"

namespace brixtel {

PointTable::PointTable(ReleaseDdeHandle release, MarkLogHeader mark_log_header)
    : release_(std::move(release)), mark_log_header_(std::move(mark_log_header)) {}

PointTable::~PointTable() {
    while (!points_.empty())
        erase(points_.begin());
}

MonitoredPoint& PointTable::create(const BlockAddress& address, const DdeLink& link, bool dde_only,
                                   bool no_dde) {
    const std::uint32_t id = next_request_id_++;
    if (next_request_id_ == 0)
        next_request_id_ = 1;
    return points_.emplace_back(id, address, no_dde ? DdeLink{} : link, dde_only);
}

PointTable::Iterator PointTable::erase(Iterator it) {
    if (release_) {
        if (it->dde.item != 0)
            release_(it->dde.item);
        if (it->dde.topic != 0)
            release_(it->dde.topic);
    }
    return points_.erase(it);
}

void PointTable::request_log_header(bool wanted) const {
    if (wanted && mark_log_header_)
        mark_log_header_();
}

void PointTable::remove(MonitoredPoint& point, bool mark_log_header) {
    for (auto it = points_.begin(); it != points_.end(); ++it) {
        if (&*it == &point) {
            erase(it);
            request_log_header(mark_log_header);
            return;
        }
    }
}

void PointTable::remove_listed(bool mark_log_header) {
    for (auto it = points_.begin(); it != points_.end();)
        it = it->dde_only ? std::next(it) : erase(it);
    request_log_header(mark_log_header);
}

void PointTable::remove_all(bool mark_log_header) {
    while (!points_.empty())
        erase(points_.begin());
    request_log_header(mark_log_header);
}

std::vector<MonitoredPoint*> PointTable::find_by_address(const BlockAddress& address) {
    std::vector<MonitoredPoint*> found;
    for (auto& point : points_) {
        if (point.address == address)
            found.push_back(&point);
    }
    return found;
}

MonitoredPoint* PointTable::find_by_request_id(std::uint32_t request_id) {
    for (auto& point : points_) {
        if (point.request_id == request_id)
            return &point;
    }
    return nullptr;
}

std::vector<MonitoredPoint*> PointTable::listed_points() {
    std::vector<MonitoredPoint*> listed;
    for (auto& point : points_) {
        if (!point.dde_only)
            listed.push_back(&point);
    }
    return listed;
}

std::size_t PointTable::listed_count() const {
    std::size_t count = 0;
    for (const auto& point : points_)
        count += point.dde_only ? 0 : 1;
    return count;
}

std::optional<std::size_t> PointTable::row_of(const MonitoredPoint& point) const {
    if (point.dde_only)
        return std::nullopt;
    std::size_t row = 0;
    for (const auto& p : points_) {
        row += p.dde_only ? 0 : 1;
        if (&p == &point)
            return row;
    }
    return std::nullopt;
}

} // namespace brixtel
