#include "core/poll_snapshot.h"

#include <algorithm>

namespace brixtel {

namespace {

bool has_text(const std::optional<std::wstring>& slot) {
    return slot && !slot->empty();
}

} // namespace

void PollSnapshot::clear_for_reuse() {
    for (auto& value : values)
        value.reset();
    for (auto* slots : {&addresses, &times, &dates}) {
        for (auto& slot : *slots)
            slot.clear();
    }
    colour = 0;
    cycle_date.clear();
    request_time.clear();
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
    records_.push_back(std::make_unique<PollSnapshot>());
    ++records_made_;
    return *records_.back();
}

PollSnapshot& SnapshotList::allocate() {
    std::lock_guard guard(lock_);
    return allocate_locked();
}

void SnapshotList::free_all() {
    std::lock_guard guard(lock_);
    records_.clear();
}

PollSnapshot* SnapshotList::recycle_oldest() {
    std::lock_guard guard(lock_);
    if (records_.empty())
        return nullptr;
    auto record = std::move(records_.front());
    records_.pop_front();
    record->clear_for_reuse();
    records_.push_back(std::move(record));
    return records_.back().get();
}

PollSnapshot& SnapshotList::ensure_current() {
    std::lock_guard guard(lock_);
    return records_.empty() ? allocate_locked() : *records_.back();
}

void SnapshotList::start_fresh_if_used() {
    std::lock_guard guard(lock_);
    if (!records_.empty() && has_text(records_.back()->values[0]))
        allocate_locked();
}

PollSnapshot* SnapshotList::newest() {
    std::lock_guard guard(lock_);
    return records_.empty() ? nullptr : records_.back().get();
}

PollSnapshot* SnapshotList::at(std::size_t index) {
    std::lock_guard guard(lock_);
    return index < records_.size() ? records_[index].get() : nullptr;
}

std::size_t SnapshotList::size() const {
    std::lock_guard guard(lock_);
    return records_.size();
}

std::size_t SnapshotList::records_made() const {
    std::lock_guard guard(lock_);
    return records_made_;
}

} // namespace brixtel
