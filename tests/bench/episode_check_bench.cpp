// The episode check over the network: 50 due favourites on a loopback site
// that takes 300 ms to answer each page, read in turn and downloaded ahead.
// One run prints both times; the check ahead should take at most 3 s.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fakes/Fakes.h"
#include "site/EpisodePages.h"
#include "store/ShowStore.h"

namespace epiloom {
namespace {

constexpr int kFavourites = 50;
constexpr int kPageDelayMs = 300;

std::string EpisodePage(int show) {
  std::string page = "<html><body><table>\n";
  for (int e = 1; e <= 20; ++e) {
    char code[8];
    std::snprintf(code, sizeof code, "s01e%02d", e);
    page += "<tr><td><a href=\"/ep/" + std::to_string(show) + "/show-" + code + "-hdtv/\" title=\"Show " + code +
            " (350.5 MB)\">x</a></td><td><a href=\"magnet:?xt=urn:btih:" + std::string(40, 'A') + "&dn=" + code +
            "\">M</a></td></tr>\n";
  }
  return page + "</table></body></html>\n";
}

// An HTTP server on 127.0.0.1 (a port of the system's choice) that answers
// every GET after kPageDelayMs, one thread per connection. Counts the most
// requests it held at the same moment.
class SlowSite {
 public:
  SlowSite() {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 || ::listen(listener_, 128) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
      std::perror("loopback site");
      std::abort();
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { Accept(); });
  }
  ~SlowSite() {
    stopping_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    ::close(listener_);
    acceptor_.join();
    std::lock_guard lock(mutex_);
    for (std::thread& answer : answers_) answer.join();
  }

  std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
  int MostAtOnce() const { return mostAtOnce_; }
  void ResetMostAtOnce() { mostAtOnce_ = 0; }

 private:
  void Accept() {
    for (;;) {
      const int connection = ::accept(listener_, nullptr, nullptr);
      if (connection < 0) {
        if (stopping_) return;
        continue;
      }
      std::lock_guard lock(mutex_);
      answers_.emplace_back([this, connection] { Answer(connection); });
    }
  }

  void Answer(int connection) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
      const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      request.append(buffer, static_cast<std::size_t>(got));
    }
    const int now = ++inFlight_;
    int most = mostAtOnce_;
    while (now > most && !mostAtOnce_.compare_exchange_weak(most, now)) {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kPageDelayMs));
    --inFlight_;
    // "GET /shows/N/ HTTP/1.0": the show number picks the page.
    const std::size_t digits = request.find_first_of("0123456789");
    const std::string body = EpisodePage(digits == std::string::npos ? 0 : std::atoi(request.c_str() + digits));
    const std::string answer = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                               std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    for (std::size_t sent = 0; sent < answer.size();) {
      const ssize_t put = ::send(connection, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
      if (put <= 0) break;
      sent += static_cast<std::size_t>(put);
    }
    ::close(connection);
  }

  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> inFlight_{0};
  std::atomic<int> mostAtOnce_{0};
  std::thread acceptor_;
  std::mutex mutex_;
  std::vector<std::thread> answers_;
};

// A plain HTTP/1.0 client for "http://127.0.0.1:PORT/path" addresses: the
// body of a 200 answer, the empty string on anything else.
class LoopbackFetcher : public PageFetcher {
 public:
  std::string URLDownloadToString(const std::string& url) override {
    const std::string prefix = "http://127.0.0.1:";
    if (url.compare(0, prefix.size(), prefix) != 0) return {};
    const std::size_t slash = url.find('/', prefix.size());
    if (slash == std::string::npos) return {};
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(std::atoi(url.c_str() + prefix.size())));
    const int connection = ::socket(AF_INET, SOCK_STREAM, 0);
    if (connection < 0) return {};
    std::string answer;
    if (::connect(connection, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
      const std::string request = "GET " + url.substr(slash) + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
      if (::send(connection, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
        char buffer[16384];
        for (;;) {
          const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
          if (got <= 0) break;
          answer.append(buffer, static_cast<std::size_t>(got));
        }
      }
    }
    ::close(connection);
    const std::size_t headersEnd = answer.find("\r\n\r\n");
    if (answer.compare(0, 12, "HTTP/1.0 200") != 0 || headersEnd == std::string::npos) return {};
    return answer.substr(headersEnd + 4);
  }
};

// The local time of day, and real pauses.
class RealClock : public Clock {
 public:
  double SecondsSinceMidnight() override {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const double fraction =
        std::chrono::duration<double>(now.time_since_epoch()).count() - static_cast<double>(seconds);
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + fraction;
  }
  void Sleep(int milliseconds) override { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
};

// Arg: the pages downloaded at once (1: each in its turn).
void BM_CheckEpisodePagesOverLoopback(benchmark::State& state) {
  SlowSite site;
  auto fetcher = std::make_shared<LoopbackFetcher>();
  RealClock clock;
  testing::RecordingEpisodeCheckView dialog;
  int result = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ShowStore store;
    store.lists.favoritesText = "\n";
    // Checked 20 minutes ago: every favourite is due.
    const auto lastChecked = static_cast<std::int32_t>(clock.SecondsSinceMidnight()) - 1200;
    for (int i = 0; i < kFavourites; ++i) {
      ShowRecord record;
      record.name = "Show " + std::to_string(i);
      record.pagePath = "/shows/" + std::to_string(i);
      record.lastWatched = "S00E00";
      record.lastChecked = lastChecked;
      store.showTable.push_back(record);
      store.lists.favoritesText += record.name + "|" + record.pagePath + ">S00E00L\n";
    }
    site.ResetMostAtOnce();
    EpisodeCheckJob job(store, *fetcher, clock, dialog, site.BaseUrl(), MakeCancelToken());
    job.pagesAtOnce = static_cast<int>(state.range(0));
    job.fetcherOwner = fetcher;
    state.ResumeTiming();
    result = CheckEpisodePages(job);
  }
  state.counters["favourites"] = result;
  state.counters["most_at_once"] = site.MostAtOnce();
  if (result != kFavourites) state.SkipWithError("the check did not read every favourite");
}
BENCHMARK(BM_CheckEpisodePagesOverLoopback)
    ->ArgName("pages_at_once")
    ->Arg(1)
    ->Arg(kEpisodePagesAtOnce)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace epiloom

BENCHMARK_MAIN();
