// Episode codes read from link paths and made from edited texts: always six
// characters of the right shape, and a comparison that is a total order.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "site/EpisodeCode.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "S" + digits + "E" + digits, six characters, or "S" + five digits when the
// season alone fills the field.
bool WellFormed(std::string_view code) {
  if (code.size() != 6 || code[0] != 'S') return false;
  std::size_t at = 1;
  while (at < code.size() && IsDigit(code[at])) ++at;
  if (at < 3) return false;
  if (at == code.size()) return true;
  if (code[at] != 'E') return false;
  for (++at; at < code.size(); ++at) {
    if (!IsDigit(code[at])) return false;
  }
  return true;
}

int Sign(int value) { return (value > 0) - (value < 0); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace epiloom;
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  if (const auto code = ReadEpisodeCode(text)) Require(WellFormed(*code));

  const std::size_t half = size / 2;
  const std::string_view season = text.substr(0, half);
  const std::string_view episode = text.substr(half);
  const std::string made = MakeEpisodeCodeFromTexts(season, episode);
  Require(WellFormed(made));

  const EpisodeCodeDigits digits = SplitEpisodeCode(text);
  Require(digits.season.size() <= 2 && digits.episode.size() <= 2);

  Require(CompareEpisodeCodes(season, season) == 0);
  Require(Sign(CompareEpisodeCodes(season, episode)) == -Sign(CompareEpisodeCodes(episode, season)));
  Require(Sign(CompareEpisodeCodes(season, episode)) == Sign(season.compare(episode)));
  Require(Sign(CompareEpisodeCodes(made, text)) == Sign(std::string_view(made).compare(text)));
  return 0;
}
