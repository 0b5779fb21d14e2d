// The body buffer of a download: never past its cap, its buffer never
// larger than the cap, the announced length taken at once.
#include <gtest/gtest.h>

#include <cstddef>
#include <ostream>
#include <string>

#include "site/DownloadLimits.h"

namespace epiloom {
namespace {

constexpr std::size_t kShippedLikeCap = PageBuffer::kFirstBytes * 16;  // 1 MiB: 64 KiB times a power of two
constexpr std::size_t kOddCap = 700001;

struct BufferCase {
  const char* name;
  std::size_t cap;
  std::size_t announced;  // 0: none
  std::size_t bytes;      // sent, in pieces of `piece` bytes
  std::size_t piece;
  bool accepted;
};

void PrintTo(const BufferCase& c, std::ostream* out) { *out << c.name; }

class Buffer : public ::testing::TestWithParam<BufferCase> {};

TEST_P(Buffer, KeepsTheBodyWithinTheCapAndItsBufferNoLargerThanTheCap) {
  const BufferCase& c = GetParam();
  PageBuffer buffer(c.cap);
  bool accepted = c.announced == 0 || buffer.Expect(c.announced);
  const std::size_t reserved = buffer.capacity();
  if (c.announced != 0 && accepted) {
    // The announced length is taken at once, and never more than the cap.
    EXPECT_GE(reserved, c.announced);
    EXPECT_LE(reserved, c.cap);
  }
  std::string sent;
  for (std::size_t done = 0; accepted && done < c.bytes; done += c.piece) {
    std::string piece;
    for (std::size_t i = done; i < done + c.piece && i < c.bytes; ++i) piece.push_back(static_cast<char>('a' + i % 23));
    accepted = buffer.Append(piece);
    if (!accepted) {
      EXPECT_EQ(buffer.size(), sent.size()) << "a refused piece leaves the body as it was";
      break;
    }
    sent += piece;
    EXPECT_LE(buffer.capacity(), c.cap) << "after " << sent.size() << " bytes";
    if (c.announced != 0) {
      EXPECT_EQ(buffer.capacity(), reserved) << "grown after " << sent.size() << " bytes";
    }
  }
  EXPECT_EQ(accepted, c.accepted);
  if (c.accepted) {
    EXPECT_EQ(buffer.Take(), sent);
    EXPECT_EQ(buffer.size(), 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, Buffer,
    ::testing::Values(BufferCase{"UpToTheCapInSmallPieces", kShippedLikeCap, 0, kShippedLikeCap, 16384, true},
                      BufferCase{"OneByteOverTheCap", kShippedLikeCap, 0, kShippedLikeCap + 1, 16384, false},
                      BufferCase{"AnOddCapIsNeverPassedByTheBuffer", kOddCap, 0, kOddCap, 9999, true},
                      BufferCase{"OneByteOverAnOddCap", kOddCap, 0, kOddCap + 1, 9999, false},
                      BufferCase{"AnnouncedLengthExactly", kShippedLikeCap, 300000, 300000, 16384, true},
                      BufferCase{"MoreThanAnnounced", kShippedLikeCap, 300000, 300001, 16384, false},
                      BufferCase{"AnnouncedOverTheCap", kShippedLikeCap, kShippedLikeCap + 1, 10, 10, false},
                      BufferCase{"EmptyBody", kShippedLikeCap, 0, 0, 1, true}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace epiloom
