#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mapplot/map_widget.hpp>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "screenmap/computed_picture.hpp"

namespace mapplot {

// What one call of a map function gave: a picture, or why there is none.
struct computation_result {
  std::uint64_t generation;  // of the request it answers
  std::shared_ptr<const computed_picture> picture;
  std::string failure;  // what the function threw; empty with a picture
};

// The thread that calls a function-backed map's function, one call at a
// time, for the latest view asked for: each request cancels the call under
// way and replaces any request still waiting, and returns at once. A view is
// computed coarse first (every fourth pixel each way), then at one value per
// pixel; each picture is handed to `deliver` on this thread. Nothing the
// function throws leaves the thread.
class function_worker {
 public:
  using delivery = std::function<void(computation_result)>;

  explicit function_worker(delivery deliver);
  // Cancels the call under way and waits for it to return.
  ~function_worker();
  function_worker(const function_worker&) = delete;
  function_worker& operator=(const function_worker&) = delete;

  // Computes `viewport` with `function` once the call under way, now
  // cancelled, has returned. Never waits for the function.
  void request(std::shared_ptr<const map_function> function, const map_viewport& viewport,
               std::uint64_t generation);
  // Cancels the call under way and forgets any waiting request.
  void cancel();

 private:
  struct job {
    std::shared_ptr<const map_function> function;
    map_viewport viewport;
    std::uint64_t generation;
    std::shared_ptr<std::atomic<bool>> cancel;
  };

  void serve();
  void run(const job& work);

  delivery deliver_;
  std::mutex lock_;
  std::condition_variable requested_;
  std::optional<job> waiting_;
  std::shared_ptr<std::atomic<bool>> running_cancel_;  // of the call under way
  bool stopping_ = false;
  std::thread thread_;  // last: starts once the members it uses exist
};

}  // namespace mapplot
