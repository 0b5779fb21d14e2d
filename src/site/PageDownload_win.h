// Downloads over WinINet, straight into memory.
#pragma once

#include <cstddef>

#include "site/DownloadLimits.h"
#include "site/EpisodePages.h"
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

  // The cap of one body. Episode pages and the show list are tens or
  // hundreds of kilobytes; the cap only stops a runaway answer, and with it
  // the episode check's memory stays as site/DownloadLimits.h works out.
  static constexpr std::size_t kDefaultMaxBytes = 16u << 20;
  // Downloads that receive at once, over every worker the program has,
  // abandoned ones included: the episode check's pages ahead and its own.
  static constexpr std::size_t kDownloadsAtOnce = kEpisodePagesAtOnce + 1;

 private:
  unsigned timeoutMs_;
  std::size_t maxBytes_;
  DownloadGate gate_{kDownloadsAtOnce};  // the program has one fetcher
};

}  // namespace epiloom
