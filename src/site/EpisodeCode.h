// Episode codes: six characters "S" + two-digit season + "E" + two-digit
// episode (S01E02), compared byte by byte. "S00E00" means "no episode".
//
// Codes are plain byte strings. A code read from nowhere (a link without an
// episode part, a fresh record) is empty, which is older than every real code.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace epiloom {

// "S" + season + "E" + episode, each written in decimal with at least two
// digits, cut to six characters: a number of 100 or more has three digits and
// pushes the episode's last digit out (season 1, episode 100 gives S01E10).
std::string MakeEpisodeCode(unsigned long long season, unsigned long long episode);

// The same from two texts, each taken by its leading numeric value: blanks
// skipped, then the decimal digits up to the first other character (no sign,
// no fraction); an empty or non-numeric text is 0. The digits are used as
// written, so a digit string of any length gives the code its first digits
// would give, without converting to a machine integer.
std::string MakeEpisodeCodeFromTexts(std::string_view seasonText, std::string_view episodeText);

// The episode code of an episode link's path (/ep/123/some-show-s06e14-720p/):
// the path is cut at every "-" and the first part whose letters (upper-cased,
// digits left out) are exactly "X" (6x14), "SE" (s06e14) or "SEE" (s06e14e15)
// gives the code. nullopt when no part has one of these shapes.
std::optional<std::string> ReadEpisodeCode(std::string_view linkPath);

// The two digit pairs of a code, for editing: characters 2-3 and 5-6.
// Missing characters of a short code are left out.
struct EpisodeCodeDigits {
  std::string season;
  std::string episode;
};
EpisodeCodeDigits SplitEpisodeCode(std::string_view code);

// Byte order on unsigned bytes: the first difference decides, a text that is
// a prefix of the other is smaller. Negative, zero or positive like memcmp.
int CompareEpisodeCodes(std::string_view a, std::string_view b);

// True when `code` comes after `lastWatched` in byte order.
inline bool IsNewerEpisode(std::string_view code, std::string_view lastWatched) {
  return CompareEpisodeCodes(code, lastWatched) > 0;
}

}  // namespace epiloom
