#include "julia/grid_workers.hpp"

#include <algorithm>
#include <system_error>
#include <utility>

#include "julia/exact_arithmetic_scope.hpp"

namespace mapplot {

grid_workers& grid_workers::shared() {
  static grid_workers workers(std::max(1u, std::thread::hardware_concurrency()) - 1);
  return workers;
}

grid_workers::grid_workers(unsigned helper_count) {
  helpers_.reserve(helper_count);
  for (unsigned i = 0; i < helper_count; ++i) {
    try {
      helpers_.emplace_back([this] { help(); });
    } catch (const std::system_error&) {
      // Fewer threads only cost time: the calling thread takes the rest.
      break;
    }
  }
}

grid_workers::~grid_workers() {
  {
    std::scoped_lock lock(lock_);
    stopping_ = true;
  }
  grid_ready_.notify_all();
  for (std::thread& helper : helpers_) helper.join();
}

void grid_workers::run_rows(int count, const std::function<void(int)>& row) {
  std::scoped_lock turn(one_grid_at_a_time_);
  {
    std::scoped_lock lock(lock_);
    row_ = &row;
    row_count_ = count;
    next_row_ = 0;
    failure_ = nullptr;
    ++grid_number_;
  }
  grid_ready_.notify_all();
  take_rows(row, count);
  // Every row has been taken; those a helper took are done once it leaves.
  // A helper that has not woken yet finds the grid withdrawn and waits for
  // the next one: a grid never waits for a thread to wake up, which on a
  // small grid would take longer than the rows themselves.
  std::unique_lock lock(lock_);
  grid_done_.wait(lock, [this] { return helpers_inside_ == 0; });
  row_ = nullptr;
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

void grid_workers::help() {
  std::uint64_t grids_seen = 0;
  std::unique_lock lock(lock_);
  for (;;) {
    grid_ready_.wait(lock, [&] { return stopping_ || grid_number_ != grids_seen; });
    if (stopping_) return;
    grids_seen = grid_number_;
    if (row_ == nullptr) continue;  // finished before this thread woke
    const std::function<void(int)>& row = *row_;
    const int count = row_count_;
    ++helpers_inside_;
    lock.unlock();
    {
      // Once a grid rather than once a row: setting the environment cost
      // a sixth of the zoom's grids when every row did it.
      const exact_arithmetic_scope exact;
      take_rows(row, count);
    }
    lock.lock();
    if (--helpers_inside_ == 0) grid_done_.notify_one();
  }
}

void grid_workers::take_rows(const std::function<void(int)>& row, int count) {
  try {
    for (std::int64_t index = next_row_.fetch_add(1); index < count;
         index = next_row_.fetch_add(1)) {
      row(static_cast<int>(index));
    }
  } catch (...) {
    next_row_ = count;  // the other threads finish the row they hold and stop
    std::scoped_lock lock(lock_);
    if (!failure_) failure_ = std::current_exception();
  }
}

}  // namespace mapplot
