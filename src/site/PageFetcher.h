// The program's only way of fetching anything from the network.
#pragma once

#include <string>

namespace epiloom {

class PageFetcher {
 public:
  virtual ~PageFetcher() = default;
  // The body of the resource byte for byte; the empty string on any failure
  // (callers do not tell a failed download from an empty resource).
  virtual std::string URLDownloadToString(const std::string& url) = 0;
};

}  // namespace epiloom
