#include "screenmap/function_worker.hpp"

#include <limits>
#include <stdexcept>

namespace mapplot {

function_worker::function_worker(delivery deliver)
    : deliver_(std::move(deliver)), thread_([this] { serve(); }) {}

function_worker::~function_worker() {
  {
    const std::lock_guard guard(lock_);
    stopping_ = true;
    waiting_.reset();
    if (running_cancel_) running_cancel_->store(true);
  }
  requested_.notify_one();
  thread_.join();
}

void function_worker::request(std::shared_ptr<const map_function> function,
                              const map_viewport& viewport, std::uint64_t generation) {
  auto cancel = std::make_shared<std::atomic<bool>>(false);
  {
    const std::lock_guard guard(lock_);
    if (running_cancel_) running_cancel_->store(true);
    waiting_ = job{std::move(function), viewport, generation, std::move(cancel)};
  }
  requested_.notify_one();
}

void function_worker::cancel() {
  const std::lock_guard guard(lock_);
  if (running_cancel_) running_cancel_->store(true);
  waiting_.reset();
}

void function_worker::serve() {
  for (;;) {
    job work;
    {
      std::unique_lock guard(lock_);
      requested_.wait(guard, [this] { return stopping_ || waiting_.has_value(); });
      if (stopping_) return;
      work = std::move(*waiting_);
      waiting_.reset();
      running_cancel_ = work.cancel;
    }
    run(work);
    const std::lock_guard guard(lock_);
    running_cancel_.reset();
  }
}

void function_worker::run(const job& work) {
  const std::atomic<bool>& cancel = *work.cancel;
  // Whatever fails here, even out of memory while reporting a failure, ends
  // this view's computation and not the program.
  try {
    for (const bool preview : {true, false}) {
      if (cancel.load()) return;
      map_viewport viewport = work.viewport;
      if (preview) {
        viewport.columns = (viewport.columns + 3) / 4;
        viewport.rows = (viewport.rows + 3) / 4;
        viewport.preview = true;
      }
      std::string failure;
      auto picture = std::make_shared<computed_picture>();
      try {
        picture->viewport = viewport;
        picture->values.assign(viewport.columns * viewport.rows,
                               std::numeric_limits<float>::quiet_NaN());
        if (!(*work.function)(viewport, picture->values, cancel) || cancel.load()) return;
        find_value_range(*picture);
      } catch (const std::exception& error) {
        failure = std::string("The map's function failed: ") + error.what();
      } catch (...) {
        failure = "The map's function failed: it threw something that is not a std::exception";
      }
      if (!failure.empty()) {
        deliver_({work.generation, nullptr, std::move(failure)});
        return;
      }
      deliver_({work.generation, std::move(picture), {}});
    }
  } catch (...) {
  }
}

}  // namespace mapplot
