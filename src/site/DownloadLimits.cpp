#include "site/DownloadLimits.h"

#include <algorithm>
#include <utility>

namespace epiloom {

bool PageBuffer::Expect(std::size_t announced) {
  if (announced > max_) return false;
  hasAnnounced_ = true;
  announced_ = announced;
  if (announced > body_.capacity()) Grow(announced);
  return true;
}

bool PageBuffer::Append(std::string_view bytes) {
  const std::size_t limit = hasAnnounced_ ? announced_ : max_;
  if (bytes.size() > limit - body_.size()) return false;
  const std::size_t needed = body_.size() + bytes.size();
  if (needed > body_.capacity()) {
    std::size_t next = std::max(kFirstBytes, body_.capacity());
    while (next < needed) next *= 2;
    Grow(std::min(next, max_));
  }
  body_.append(bytes);
  return true;
}

std::string PageBuffer::Take() { return std::exchange(body_, std::string()); }

void PageBuffer::Grow(std::size_t bytes) {
  // Reserved on a new, empty string, the buffer is the size asked for: the
  // library's own growth of a full string would double it, past the cap.
  std::string grown;
  grown.reserve(bytes);
  grown.append(body_);
  body_.swap(grown);
}

DownloadGate::Place::Place(DownloadGate& gate) : gate_(gate) {
  std::unique_lock lock(gate_.mutex_);
  gate_.freed_.wait(lock, [this] { return gate_.free_ > 0; });
  --gate_.free_;
}

DownloadGate::Place::~Place() {
  {
    std::lock_guard lock(gate_.mutex_);
    ++gate_.free_;
  }
  gate_.freed_.notify_one();
}

}  // namespace epiloom
