#include "julia/grid_workers.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace mapplot {
namespace {

// Grids from two callers at once, each row counted where it ran: every row of
// every grid runs exactly once, and a grid is complete when run_rows returns.
TEST(GridWorkers, EveryRowOfEveryGridRunsOnceBeforeTheCallReturns) {
  constexpr int grids = 150, rows = 97;
  grid_workers workers(3);
  ASSERT_EQ(workers.helper_count(), 3u);
  std::vector<std::atomic<int>> runs(2 * grids * rows);
  std::atomic<int> incomplete{0};

  const auto caller = [&](int first_grid) {
    for (int grid = first_grid; grid < first_grid + grids; ++grid) {
      workers.run_rows(rows, [&](int row) { ++runs[grid * rows + row]; });
      for (int row = 0; row < rows; ++row) {
        if (runs[grid * rows + row] != 1) ++incomplete;
      }
    }
  };
  std::thread other(caller, grids);
  caller(0);
  other.join();

  EXPECT_EQ(incomplete, 0);
  for (std::size_t i = 0; i < runs.size(); ++i) ASSERT_EQ(runs[i], 1) << i;
}

TEST(GridWorkers, WithoutHelpersTheCallerRunsEveryRow) {
  grid_workers workers(0);
  std::vector<std::thread::id> ran_on;
  workers.run_rows(5, [&](int) { ran_on.push_back(std::this_thread::get_id()); });
  EXPECT_EQ(ran_on, std::vector<std::thread::id>(5, std::this_thread::get_id()));
}

}  // namespace
}  // namespace mapplot
