#include "core/poll_snapshot.h"

#include <algorithm>

namespace brixtel {

namespace {

bool has_text(const std::optional<std::wstring>& slot) {
    return slot && !slot->empty();
}

// Gives the text's storage back. A cleared string would keep its capacity, and a ring of
// reused records would then only ever grow towards the longest text each slot once held.
void release(std::wstring& text) {
    std::wstring().swap(text);
}

} // namespace

void PollSnapshot::clear_for_reuse() {
    for (auto& value : values)
        value.reset();
    for (auto* slots : {&addresses, &times, &dates}) {
        for (auto& slot : *slots)
            release(slot);
    }
    colour = 0;
    release(cycle_date);
    release(request_time);
}

void PollSnapshot::clear_rows_after(std::size_t last_row) {
    for (std::size_t slot = std::min(last_row, kSnapshotRows) + 2; slot < kSnapshotSlots; ++slot) {
        values[slot].reset();
        types[slot] = 0;
    }
}

std::optional<std::size_t> slot_of_row(std::size_t row) {
    if (row < 1 || row > kSnapshotRows)
        return std::nullopt;
    return row + 1;
}

bool row_complete(const PollSnapshot& snapshot, std::size_t listed_points) {
    const std::size_t last_slot = std::min(listed_points, kSnapshotRows) + 1;
    for (std::size_t slot = 0; slot <= last_slot; ++slot) {
        if (!has_text(snapshot.values[slot]))
            return false;
    }
    return true;
}

PollSnapshot& SnapshotList::allocate_locked() {
    ++records_made_;
    if (oldest_ == 0) {
        ring_.push_back(std::make_unique<PollSnapshot>());
        return *ring_.back();
    }
    // After recycling, the newest end of the ring is just before the oldest record.
    const auto at = ring_.insert(ring_.begin() + static_cast<std::ptrdiff_t>(oldest_),
                                 std::make_unique<PollSnapshot>());
    ++oldest_;
    return **at;
}

PollSnapshot& SnapshotList::recycle_oldest_locked() {
    PollSnapshot& record = *ring_[oldest_];
    record.clear_for_reuse();
    oldest_ = (oldest_ + 1) % ring_.size();
    return record;
}

PollSnapshot* SnapshotList::newest_locked() const {
    return ring_.empty() ? nullptr : ring_[ring_index(ring_.size() - 1)].get();
}

PollSnapshot& SnapshotList::allocate() {
    std::lock_guard guard(lock_);
    return allocate_locked();
}

PollSnapshot& SnapshotList::advance(std::size_t limit) {
    std::lock_guard guard(lock_);
    if (ring_.size() < limit || ring_.empty())
        return allocate_locked();
    return recycle_oldest_locked();
}

void SnapshotList::free_all() {
    std::lock_guard guard(lock_);
    ring_.clear();
    oldest_ = 0;
}

PollSnapshot* SnapshotList::recycle_oldest() {
    std::lock_guard guard(lock_);
    return ring_.empty() ? nullptr : &recycle_oldest_locked();
}

PollSnapshot& SnapshotList::ensure_current() {
    std::lock_guard guard(lock_);
    PollSnapshot* newest = newest_locked();
    return newest ? *newest : allocate_locked();
}

void SnapshotList::start_fresh_if_used() {
    std::lock_guard guard(lock_);
    PollSnapshot* newest = newest_locked();
    if (newest && has_text(newest->values[0]))
        allocate_locked();
}

PollSnapshot* SnapshotList::newest() {
    std::lock_guard guard(lock_);
    return newest_locked();
}

PollSnapshot* SnapshotList::at(std::size_t index) {
    std::lock_guard guard(lock_);
    return index < ring_.size() ? ring_[ring_index(index)].get() : nullptr;
}

std::size_t SnapshotList::size() const {
    std::lock_guard guard(lock_);
    return ring_.size();
}

std::size_t SnapshotList::records_made() const {
    std::lock_guard guard(lock_);
    return records_made_;
}

} // namespace brixtel
