// Downloads over WinINet, straight into memory.
#pragma once

#include <cstddef>

#include "site/PageFetcher.h"

namespace epiloom {

class WinInetFetcher : public PageFetcher {
 public:
  // `timeoutMs` bounds connecting, sending and each wait for data;
  // a body larger than `maxBytes` is a failed download. Lets the process
  // keep as many connections to one server as the episode check downloads
  // pages at once (WinINet may allow fewer).
  explicit WinInetFetcher(unsigned timeoutMs, std::size_t maxBytes = kDefaultMaxBytes);

  std::string URLDownloadToString(const std::string& url) override;

  static constexpr std::size_t kDefaultMaxBytes = 64u << 20;

 private:
  unsigned timeoutMs_;
  std::size_t maxBytes_;
};

}  // namespace epiloom
