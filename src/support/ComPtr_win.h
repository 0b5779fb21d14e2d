// Owner of one COM interface pointer: releases it exactly once. Copying is
// deleted (a copy would release twice); moving hands the pointer over.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <unknwn.h>

#include <utility>

namespace epiloom::win {

template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over one reference that the caller holds.
  explicit ComPtr(Interface* pointer) : pointer_(pointer) {}
  ~ComPtr() { Reset(); }

  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      pointer_ = std::exchange(other.pointer_, nullptr);
    }
    return *this;
  }

  Interface* get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

  // Releases the reference held, if any.
  void Reset() {
    if (pointer_ != nullptr) std::exchange(pointer_, nullptr)->Release();
  }

  // The slot for an out-parameter (CoCreateInstance, QueryInterface): the
  // reference held so far is released first.
  void** PutVoid() {
    Reset();
    return reinterpret_cast<void**>(&pointer_);
  }

  // Another interface of the same object; empty when the object has none.
  template <typename Other>
  ComPtr<Other> As(REFIID id) const {
    ComPtr<Other> other;
    if (pointer_ != nullptr && FAILED(pointer_->QueryInterface(id, other.PutVoid()))) other.Reset();
    return other;
  }

 private:
  Interface* pointer_ = nullptr;
};

}  // namespace epiloom::win
