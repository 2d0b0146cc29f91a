#pragma once
// The results of one poll cycle, one row per listed point, and the list of past cycles that
// the Export View shows and the log writer reads.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace brixtel {

inline constexpr std::size_t kSnapshotSlots = 52;
inline constexpr std::size_t kSnapshotRows = 50;

struct PollSnapshot {
    // Slot 0: time of the cycle's first answer; slot 1: time of its latest answer;
    // slot r + 1: value of row r.
    std::array<std::optional<std::wstring>, kSnapshotSlots> values;
    std::uint32_t colour = 0;                           // set and read by the views
    std::array<std::wstring, kSnapshotSlots> addresses; // slot r + 1: row key
    std::array<std::wstring, kSnapshotSlots> times;     // slot r + 1: time in of the row's point
    std::array<std::wstring, kSnapshotSlots> dates;     // 0: first answer, 1: latest, r + 1: row
    std::wstring cycle_date;
    std::array<std::uint16_t, kSnapshotSlots> types{}; // slot r + 1: value type of the row
    std::wstring request_time;                         // when the cycle's requests went out

    // Empties everything a fresh cycle must not show; the type slots keep their values.
    void clear_for_reuse();
    // Clears the value and type slots of every row after `last_row`.
    void clear_rows_after(std::size_t last_row);
};

// Where row r (counted from 1) lives. A tag list may hold more than 50 points: those beyond
// row 50 are polled, shown in the Debug View and served over DDE, but have no row; nothing
// is ever written past row 50, so they are absent from the Export View and the log.
std::optional<std::size_t> slot_of_row(std::size_t row);

// True when the first and latest answer times and the values of the first
// min(listed_points, 50) rows all hold text.
bool row_complete(const PollSnapshot& snapshot, std::size_t listed_points);

// The views keep at most this many records and then reuse the oldest as the newest.
inline constexpr std::size_t kViewBufferLimit = 10000;

// Oldest record first; the newest is the current one. Each operation takes the list's lock.
// Records keep their address until freed or recycled. The records sit in a ring, so reusing
// the oldest one as the newest allocates no record (only its new texts).
class SnapshotList {
  public:
    PollSnapshot& allocate();
    // Moves on to a fresh newest record: a new one while fewer than `limit` exist, else the
    // oldest, cleared.
    PollSnapshot& advance(std::size_t limit = kViewBufferLimit);
    void free_all();
    // Moves the oldest record, cleared, to the newest end; none when the list is empty.
    PollSnapshot* recycle_oldest();
    // The newest record, allocating the first one when the list is empty.
    PollSnapshot& ensure_current();
    // Allocates a new current record when the newest already holds data (value slot 0 has
    // text); done as one step when monitoring starts.
    void start_fresh_if_used();

    PollSnapshot* newest();
    PollSnapshot* at(std::size_t index); // 0 = oldest
    std::size_t size() const;
    std::size_t records_made() const;

  private:
    PollSnapshot& allocate_locked();
    PollSnapshot& recycle_oldest_locked();
    std::size_t ring_index(std::size_t index) const { return (oldest_ + index) % ring_.size(); }
    PollSnapshot* newest_locked() const;

    mutable std::mutex lock_;
    std::vector<std::unique_ptr<PollSnapshot>> ring_;
    std::size_t oldest_ = 0; // ring position of the oldest record
    std::size_t records_made_ = 0;
};

} // namespace brixtel
