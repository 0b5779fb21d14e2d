#include "site/PageDownload_win.h"

#include <cstdlib>
#include <string_view>

#include "site/EpisodePages.h"
#include "support/Win32Handles_win.h"

namespace epiloom {
namespace {

struct UrlParts {
  bool secure = false;
  std::string host;
  INTERNET_PORT port = 0;
  std::string object;  // path and query
};

bool CrackUrl(const std::string& url, UrlParts& parts) {
  char host[256] = {};
  char path[4096] = {};
  char extra[4096] = {};
  URL_COMPONENTSA components{};
  components.dwStructSize = sizeof components;
  components.lpszHostName = host;
  components.dwHostNameLength = sizeof host;
  components.lpszUrlPath = path;
  components.dwUrlPathLength = sizeof path;
  components.lpszExtraInfo = extra;
  components.dwExtraInfoLength = sizeof extra;
  if (!::InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &components)) return false;
  if (components.nScheme != INTERNET_SCHEME_HTTP && components.nScheme != INTERNET_SCHEME_HTTPS) return false;
  parts.secure = components.nScheme == INTERNET_SCHEME_HTTPS;
  parts.host = host;
  parts.port = components.nPort;
  // Built by construction and appending: `std::string(path) + extra` and
  // assigning "/" make GCC 12 report a false -Wrestrict overlap (-O2 and up).
  std::string object(path);
  object.append(extra);
  if (object.empty()) object.push_back('/');
  parts.object = std::move(object);
  return !parts.host.empty();
}

void SetTimeouts(HINTERNET handle, DWORD timeoutMs) {
  // Set on the connection (not the root handle, where some WinINet versions
  // ignore them), so a silent or stalling server cannot hold a worker forever.
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                       INTERNET_OPTION_DATA_SEND_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT}) {
    ::InternetSetOptionA(handle, option, &timeoutMs, sizeof timeoutMs);
  }
}

}  // namespace

WinInetFetcher::WinInetFetcher(unsigned timeoutMs, std::size_t maxBytes) : timeoutMs_(timeoutMs), maxBytes_(maxBytes) {
  // Process-wide, and only heeded for connections made afterwards.
  ULONG connections = kEpisodePagesAtOnce;
  for (DWORD option : {INTERNET_OPTION_MAX_CONNS_PER_SERVER, INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER}) {
    ::InternetSetOptionA(nullptr, option, &connections, sizeof connections);
  }
}

std::string WinInetFetcher::URLDownloadToString(const std::string& url) {
  UrlParts parts;
  if (!CrackUrl(url, parts)) return {};
  const DownloadGate::Place place(gate_);

  // The user's system proxy settings apply, as for the browser.
  win::InternetHandle session(::InternetOpenA("Epiloom", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) return {};
  win::InternetHandle connection(::InternetConnectA(session.get(), parts.host.c_str(), parts.port, nullptr, nullptr,
                                                    INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return {};
  SetTimeouts(connection.get(), timeoutMs_);

  DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES;
  if (parts.secure) flags |= INTERNET_FLAG_SECURE;
  win::InternetHandle request(
      ::HttpOpenRequestA(connection.get(), "GET", parts.object.c_str(), nullptr, nullptr, nullptr, flags, 0));
  if (!request) return {};
  SetTimeouts(request.get(), timeoutMs_);
  if (!::HttpSendRequestA(request.get(), nullptr, 0, nullptr, 0)) return {};

  // WinINet hands over error pages as if they were the resource.
  DWORD status = 0;
  DWORD statusSize = sizeof status;
  if (!::HttpQueryInfoA(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &statusSize,
                        nullptr) ||
      status < 200 || status > 299) {
    return {};
  }

  // A body longer than the cap fails as soon as it passes it; one shorter
  // than the announced length is a cut download. An announced length within
  // the cap is taken at once. One over the cap is still read up to the cap
  // before the download fails: refused at once, with the long answer left
  // unread, the next request to the same server waited seconds under Wine
  // (the update check's over-the-cap scenarios).
  PageBuffer body(maxBytes_);
  char lengthText[32] = {};
  DWORD lengthSize = sizeof lengthText;
  const bool announced =
      ::HttpQueryInfoA(request.get(), HTTP_QUERY_CONTENT_LENGTH, lengthText, &lengthSize, nullptr) != FALSE;
  const unsigned long long length = announced ? std::strtoull(lengthText, nullptr, 10) : 0;
  if (announced && length <= maxBytes_) body.Expect(static_cast<std::size_t>(length));
  char buffer[16384];
  for (;;) {
    DWORD read = 0;
    if (!::InternetReadFile(request.get(), buffer, sizeof buffer, &read)) return {};
    if (read == 0) break;
    if (!body.Append(std::string_view(buffer, read))) return {};
  }
  if (announced && length != body.size()) return {};
  return body.Take();
}

}  // namespace epiloom
