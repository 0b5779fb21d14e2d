#include "site/EpisodeCode.h"

#include <algorithm>
#include <cstddef>

#include "store/ShowRecord.h"

namespace epiloom {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char ToUpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Appends a number as MakeEpisodeCode writes it: at least two digits. Only
// the first five digits can reach a six-character code, so longer numbers are
// cut here and nothing grows with the input.
void AppendCodeNumber(std::string& code, std::string_view digits) {
  digits = digits.substr(0, kEpisodeCodeWidth - 1);
  if (digits.size() < 2) code.append(2 - digits.size(), '0');
  code.append(digits);
}

// The leading numeric value of a text as decimal digits without leading
// zeros; empty for 0.
std::string_view LeadingDigits(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && text[start] == ' ') ++start;
  std::size_t end = start;
  while (end < text.size() && IsDigit(text[end])) ++end;
  while (start < end && text[start] == '0') ++start;
  return text.substr(start, end - start);
}

std::string CodeFromDigits(std::string_view season, std::string_view episode) {
  std::string code;
  code.reserve(2 * kEpisodeCodeWidth);
  code.push_back('S');
  AppendCodeNumber(code, season);
  code.push_back('E');
  AppendCodeNumber(code, episode);
  code.resize(std::min(code.size(), kEpisodeCodeWidth));
  return code;
}

// The text after the first `letter` up to the second one (or the end); the
// text before the first one goes to `before`.
std::string_view AroundLetter(std::string_view text, char letter, std::string_view* before) {
  const std::size_t first = text.find(letter);
  if (first == std::string_view::npos) {
    *before = text;
    return {};
  }
  *before = text.substr(0, first);
  const std::size_t second = text.find(letter, first + 1);
  const std::size_t end = second == std::string_view::npos ? text.size() : second;
  return text.substr(first + 1, end - first - 1);
}

// The code of one "-"-separated part of a link path, if its shape is one of
// the episode forms.
std::optional<std::string> CodeOfPart(std::string_view part) {
  std::string upper;
  upper.reserve(part.size());
  std::string shape;
  for (const char c : part) {
    const char u = ToUpperAscii(c);
    upper.push_back(u);
    if (IsDigit(u)) continue;
    shape.push_back(u);
    if (shape.size() > 3) return std::nullopt;  // longer than every episode form
  }
  std::string_view season;
  if (shape == "X") {
    const std::string_view episode = AroundLetter(upper, 'X', &season);
    return CodeFromDigits(LeadingDigits(season), LeadingDigits(episode));
  }
  if (shape == "SE" || shape == "SEE") {
    // The first character is dropped whatever it is (normally the "S").
    const std::string_view episode = AroundLetter(std::string_view(upper).substr(1), 'E', &season);
    return CodeFromDigits(LeadingDigits(season), LeadingDigits(episode));
  }
  return std::nullopt;
}

}  // namespace

std::string MakeEpisodeCode(unsigned long long season, unsigned long long episode) {
  return CodeFromDigits(season == 0 ? std::string() : std::to_string(season),
                        episode == 0 ? std::string() : std::to_string(episode));
}

std::string MakeEpisodeCodeFromTexts(std::string_view seasonText, std::string_view episodeText) {
  return CodeFromDigits(LeadingDigits(seasonText), LeadingDigits(episodeText));
}

std::optional<std::string> ReadEpisodeCode(std::string_view linkPath) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t dash = linkPath.find('-', start);
    const std::size_t end = dash == std::string_view::npos ? linkPath.size() : dash;
    if (auto code = CodeOfPart(linkPath.substr(start, end - start))) return code;
    if (dash == std::string_view::npos) return std::nullopt;
    start = dash + 1;
  }
}

EpisodeCodeDigits SplitEpisodeCode(std::string_view code) {
  EpisodeCodeDigits digits;
  if (code.size() > 1) digits.season = std::string(code.substr(1, 2));
  if (code.size() > 4) digits.episode = std::string(code.substr(4, 2));
  return digits;
}

int CompareEpisodeCodes(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace epiloom
