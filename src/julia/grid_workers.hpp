#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace mapplot {

// Threads that live for the whole run and share out the rows of each grid:
// each waits for the next grid, takes free rows until none is left, and waits
// again, so no thread is started per frame.
class grid_workers {
 public:
  // The program's workers, started on first use: one fewer than the machine
  // has cores, since the calling thread takes rows too.
  static grid_workers& shared();

  explicit grid_workers(unsigned helper_count);
  ~grid_workers();
  grid_workers(const grid_workers&) = delete;
  grid_workers& operator=(const grid_workers&) = delete;

  // Runs row(index) once for every index in [0, count), on the workers and
  // the calling thread, and returns when all have run. Rows are handed out
  // one at a time, as they differ a lot in cost. Grids from several threads
  // take turns. When a row throws, on any thread, no more rows are handed
  // out, and the first exception is thrown here once every thread has left
  // the rows it was running: none of them uses `row` or what it refers to
  // after that. The helpers run rows inside an exact_arithmetic_scope; the
  // calling thread runs them in its own environment, so a caller that
  // computes counts holds one itself.
  void run_rows(int count, const std::function<void(int)>& row);

  std::size_t helper_count() const { return helpers_.size(); }

 private:
  void help();
  void take_rows(const std::function<void(int)>& row, int count);

  std::mutex one_grid_at_a_time_;
  std::mutex lock_;  // guards what follows, but the atomic
  std::condition_variable grid_ready_;
  std::condition_variable grid_done_;
  std::uint64_t grid_number_ = 0;
  const std::function<void(int)>* row_ = nullptr;
  int row_count_ = 0;
  std::size_t helpers_inside_ = 0;  // helpers working on the current grid
  std::exception_ptr failure_;      // the first exception of the current grid
  bool stopping_ = false;
  // 64 bits: every thread takes one index past the end, which must not wrap.
  std::atomic<std::int64_t> next_row_{0};
  std::vector<std::thread> helpers_;
};

}  // namespace mapplot
