#pragma once
// The points being watched, in creation order. Used on the main thread only, so unlocked.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <optional>
#include <vector>

#include "core/monitored_point.h"

namespace brixtel {

class PointTable {
  public:
    using ReleaseDdeHandle = std::function<void(DdeHandle)>;
    using MarkLogHeader = std::function<void()>;

    // `release` frees a point's DDE string handles when it goes; `mark_log_header` asks the
    // log writer to write its header again. Either may be empty.
    explicit PointTable(ReleaseDdeHandle release = {}, MarkLogHeader mark_log_header = {});
    PointTable(const PointTable&) = delete;
    PointTable& operator=(const PointTable&) = delete;
    ~PointTable();

    // Appends a point. With `no_dde` the DDE fields are stored as 0 whatever `link` holds.
    MonitoredPoint& create(const BlockAddress& address, const DdeLink& link, bool dde_only,
                           bool no_dde);

    // `point` must be a member of this table.
    void remove(MonitoredPoint& point, bool mark_log_header);
    void remove_listed(bool mark_log_header); // DDE-only points stay
    void remove_all(bool mark_log_header);

    // All points with the address, in table order.
    std::vector<MonitoredPoint*> find_by_address(const BlockAddress& address);
    MonitoredPoint* find_by_request_id(std::uint32_t request_id);

    // Listed points are the non DDE-only ones; in table order they are rows 1, 2, 3, ...
    std::vector<MonitoredPoint*> listed_points();
    std::size_t listed_count() const;
    std::optional<std::size_t> row_of(const MonitoredPoint& point) const;

    std::size_t size() const { return points_.size(); }
    bool empty() const { return points_.empty(); }
    auto begin() { return points_.begin(); }
    auto end() { return points_.end(); }
    auto begin() const { return points_.begin(); }
    auto end() const { return points_.end(); }

  private:
    using Iterator = std::list<MonitoredPoint>::iterator;
    Iterator erase(Iterator it);
    void request_log_header(bool wanted) const;

    std::list<MonitoredPoint> points_; // list: a point's address stays valid while it lives
    ReleaseDdeHandle release_;
    MarkLogHeader mark_log_header_;
    // Request identifiers come from a counter, not from the record's address (which would
    // not fit 32 bits on 64-bit Windows): a live point's identifier is unique, and a removed
    // point's identifier is never handed out again, so a late answer for it matches nothing.
    // 0 is never used; four billion points in one session are out of reach.
    std::uint32_t next_request_id_ = 1;
};

} // namespace brixtel
