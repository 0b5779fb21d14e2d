// What bounds the memory that downloads take: a cap per body, a body buffer
// that never grows past it, and a limit on downloads at once in the process.
//
// The shipped exe is 32-bit. Large-address-aware, it has 4 GiB of address
// space on 64-bit Windows and 2 GiB on 32-bit Windows; the episode check
// must stay well inside the smaller. Its worst case, with the cap C = 16 MiB
// (WinInetFetcher::kDefaultMaxBytes) and eight pages at once
// (kEpisodePagesAtOnce):
//   - one download holds at most C; while its buffer grows from C/2 to C
//     both exist, 1.5 C = 24 MiB (PageBuffer);
//   - at most 9 downloads receive at once in the whole process, abandoned
//     checks' included (DownloadGate): 9 x 24 = 216 MiB;
//   - the check keeps at most 8 pages downloaded ahead and not yet read,
//     downloading or arrived, however many favourites there are; a cancelled
//     check frees its pages at once (EpisodePages.cpp): the arrived ones,
//     8 x 16 = 128 MiB;
//   - the page the check reads, and the reader's copy of one link's path
//     (at most the rest of the page): 2 x 16 = 32 MiB (a check cancelled
//     while it reads a page holds as much until it has read it, a moment);
//   - the records: 200 episodes per show, each at most a 255-byte link and a
//     code, about 330 bytes with their string headers: 66 KB per favourite,
//     6.5 MB for 100 favourites (the whole table, 10,000 shows all
//     favourites with 200 such episodes each, would be 650 MB).
// Pages: at most 216 + 128 + 32 = 376 MiB, 304 MiB outside the moments when
// buffers grow; with the most extreme table, about 1 GiB. Real episode
// pages are tens of kilobytes.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

namespace epiloom {

// A download's body in memory, never larger than its cap. The buffer is
// sized to the length the server announced, or else doubled from 64 KiB, and
// never past the cap: its capacity stays at most the cap, and while it grows
// the old and the new buffer together take at most 1.5 times the cap when
// the cap is 64 KiB times a power of two (as the shipped cap is), twice the
// cap otherwise.
class PageBuffer {
 public:
  static constexpr std::size_t kFirstBytes = 64u << 10;

  explicit PageBuffer(std::size_t maxBytes) : max_(maxBytes) {}

  // The length the server announced. False when it is over the cap: the
  // download has failed. Otherwise the buffer takes that length at once.
  bool Expect(std::size_t announced);
  // False when the body would grow past the cap or past the announced
  // length: the download has failed, and the body is left as it was.
  bool Append(std::string_view bytes);
  // The body; the buffer is empty afterwards.
  std::string Take();

  std::size_t size() const { return body_.size(); }
  std::size_t capacity() const { return body_.capacity(); }

 private:
  void Grow(std::size_t bytes);

  std::size_t max_;
  std::size_t announced_ = 0;
  bool hasAnnounced_ = false;
  std::string body_;
};

// At most `places` downloads at once; a download beyond them waits for a
// place (a waiting download holds no buffer). A place is held by an object
// of Place for its life.
class DownloadGate {
 public:
  explicit DownloadGate(std::size_t places) : free_(places) {}
  DownloadGate(const DownloadGate&) = delete;
  DownloadGate& operator=(const DownloadGate&) = delete;

  class Place {
   public:
    explicit Place(DownloadGate& gate);
    ~Place();
    Place(const Place&) = delete;
    Place& operator=(const Place&) = delete;

   private:
    DownloadGate& gate_;
  };

 private:
  std::mutex mutex_;
  std::condition_variable freed_;
  std::size_t free_;
};

}  // namespace epiloom
