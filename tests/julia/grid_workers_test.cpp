#include "julia/grid_workers.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
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

// The caller's row throws while helpers are still in slow rows that write
// into a frame the caller destroys as soon as it has caught the exception.
TEST(GridWorkers, AnExceptionReachesTheCallerOnlyAfterEveryHelperHasLeftItsRow) {
  constexpr int rows = 64;
  grid_workers workers(3);
  const std::thread::id caller = std::this_thread::get_id();
  std::atomic<int> helper_rows_started{0};
  std::atomic<bool> caught{false};
  std::atomic<int> writes_after_the_catch{0};

  auto frame = std::make_unique<std::vector<int>>(rows, 0);
  try {
    workers.run_rows(rows, [&, cells = frame.get()](int row) {
      if (std::this_thread::get_id() == caller) {
        while (helper_rows_started == 0) std::this_thread::yield();
        throw std::runtime_error("row " + std::to_string(row));
      }
      ++helper_rows_started;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      if (caught) ++writes_after_the_catch;
      (*cells)[static_cast<std::size_t>(row)] = 1;
    });
    ADD_FAILURE() << "the row's exception was lost";
  } catch (const std::runtime_error& failure) {
    caught = true;
    EXPECT_EQ(std::string(failure.what()).substr(0, 4), "row ");
  }
  const int written = static_cast<int>(std::count(frame->begin(), frame->end(), 1));
  frame.reset();  // under AddressSanitizer a late helper's write is a use after free

  EXPECT_EQ(writes_after_the_catch, 0);
  EXPECT_EQ(written, helper_rows_started);
  EXPECT_LT(written, rows - 1) << "rows went on being handed out after the failure";
}

// A row that throws on a helper thread reaches the caller instead of ending
// the process, and the workers then run the next grid whole.
TEST(GridWorkers, AHelpersExceptionReachesTheCallerAndTheNextGridRunsWhole) {
  grid_workers workers(2);
  const std::thread::id caller = std::this_thread::get_id();
  std::atomic<bool> thrown{false};
  EXPECT_THROW(workers.run_rows(1000,
                                [&](int) {
                                  if (std::this_thread::get_id() != caller) {
                                    thrown = true;
                                    throw std::length_error("helper");
                                  }
                                  // Leaves rows for the helpers.
                                  while (!thrown) std::this_thread::yield();
                                }),
               std::length_error);

  std::vector<std::atomic<int>> runs(500);
  workers.run_rows(500, [&](int row) { ++runs[static_cast<std::size_t>(row)]; });
  for (std::size_t i = 0; i < runs.size(); ++i) ASSERT_EQ(runs[i], 1) << i;
}

}  // namespace
}  // namespace mapplot
