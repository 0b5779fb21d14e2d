// Raised by a window that abandons its worker (the window was destroyed, or
// the user cancelled). Once raised the worker writes nothing more: no control,
// no shared store, no shared flag, no file.
#pragma once

#include <atomic>
#include <memory>

namespace epiloom {

class CancelFlag {
 public:
  void Raise() { raised_.store(true, std::memory_order_release); }
  bool Raised() const { return raised_.load(std::memory_order_acquire); }

 private:
  std::atomic<bool> raised_{false};
};

// Shared between the window and its worker, which may outlive the window.
using CancelToken = std::shared_ptr<CancelFlag>;

inline CancelToken MakeCancelToken() { return std::make_shared<CancelFlag>(); }

}  // namespace epiloom
