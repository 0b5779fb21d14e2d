// Fetches one URL through the program's download service and writes what it
// got to a file, so the Wine suite can compare it with what the server sent.
// Usage: download_probe <url> <output file>. Exit code 0 when a body came,
// 3 when the download gave the empty string (the service's failure), 1 on
// usage errors.
#include <windows.h>

#include <cstdio>

#include "BuildSettings.h"
#include "site/PageDownload_win.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: download_probe <url> <output file>\n");
    return 1;
  }
  epiloom::WinInetFetcher fetcher(epiloom::settings::kDownloadTimeoutMs);
  const ULONGLONG started = ::GetTickCount64();
  const std::string body = fetcher.URLDownloadToString(argv[1]);
  const ULONGLONG elapsed = ::GetTickCount64() - started;

  std::FILE* out = std::fopen(argv[2], "wb");
  if (out == nullptr) return 1;
  std::fwrite(body.data(), 1, body.size(), out);
  std::fclose(out);
  std::printf("%zu bytes in %llu ms\n", body.size(), elapsed);
  return body.empty() ? 3 : 0;
}
