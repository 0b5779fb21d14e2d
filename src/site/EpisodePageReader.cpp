#include "site/EpisodePageReader.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <limits>
#include <string>
#include <utility>

#include "site/EpisodeCode.h"
#include "support/TextUtil.h"

namespace epiloom {
namespace {

// A link longer than a record keeps is cut after its last whole "&"
// parameter: a parameter cut in half (a tracker address that leads nowhere)
// is worse than none. Only a first parameter that is too long by itself is
// cut at the width.
std::string_view CutMagnetLink(std::string_view link) {
  if (link.size() <= kMagnetLinkWidth) return link;
  const std::size_t lastWhole = link.rfind('&', kMagnetLinkWidth);
  if (lastWhole == std::string_view::npos || lastWhole == 0) return link.substr(0, kMagnetLinkWidth);
  return link.substr(0, lastWhole);
}

constexpr std::size_t kNotFound = std::string_view::npos;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Blanks, digits, an optional "." and more digits; 0 when no digit is there.
double LeadingDecimalValue(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && text[start] == ' ') ++start;
  std::size_t end = start;
  while (end < text.size() && IsDigit(text[end])) ++end;
  const std::size_t integerEnd = end;
  if (end < text.size() && text[end] == '.') {
    ++end;
    while (end < text.size() && IsDigit(text[end])) ++end;
  }
  const std::string_view number = text.substr(start, end - start);
  if (number.find_first_of("0123456789") == kNotFound) return 0.0;

  double value = 0.0;
  const auto [last, error] =
      std::from_chars(number.data(), number.data() + number.size(), value, std::chars_format::fixed);
  if (error == std::errc::result_out_of_range) {
    // Too large (a non-zero integer digit) or too small to be a double.
    const std::string_view integer = text.substr(start, integerEnd - start);
    return integer.find_first_not_of('0') == kNotFound ? 0.0 : std::numeric_limits<double>::infinity();
  }
  if (error != std::errc()) return 0.0;
  return value;
}

std::string_view TextBetween(std::string_view page, std::size_t start, std::size_t end) {
  return page.substr(start, (end == kNotFound ? page.size() : end) - start);
}

}  // namespace

float SizeInMegabytes(std::string_view sizeText) {
  double value = LeadingDecimalValue(sizeText);
  if (sizeText.find("GB") != kNotFound) value *= 1024.0;
  constexpr double kLargest = std::numeric_limits<float>::max();
  return value >= kLargest ? std::numeric_limits<float>::max() : static_cast<float>(value);
}

std::vector<Episode> ReadEpisodePage(std::string_view page, const std::vector<Episode>& previous) {
  const std::size_t links = std::min(CountOccurrences(page, kEpisodeLinkMarker), kMaxEpisodes);
  std::vector<Episode> episodes;
  episodes.reserve(links);

  std::size_t p = 0;  // reading position; never moves back
  for (std::size_t j = 0; j < links; ++j) {
    const std::size_t link = page.find(kEpisodeLinkMarker, p);
    if (link == kNotFound) break;
    p = link + kEpisodeLinkMarker.size();

    Episode episode;
    const std::string path = "/ep" + std::string(TextBetween(page, p, page.find('"', p)));
    if (auto code = ReadEpisodeCode(path)) {
      episode.episodeCode = std::move(*code);
    } else if (j < previous.size()) {
      episode.episodeCode = previous[j].episodeCode;
    }

    const std::size_t titleEnd = page.find(")\"", p);
    const std::size_t open = titleEnd == kNotFound ? kNotFound : page.rfind('(', titleEnd);
    if (open != kNotFound) {
      // The ")" at titleEnd follows the "(", so the size text ends at or before it.
      const std::size_t sizeStart = open + 1;
      episode.sizeMb = SizeInMegabytes(TextBetween(page, sizeStart, page.find(')', sizeStart)));
      p = std::max(p, sizeStart);
    }

    const std::size_t magnet = page.find(kMagnetMarker, p + 1);
    if (magnet != kNotFound) {
      episode.magnetLink = std::string(CutMagnetLink(TextBetween(page, magnet, page.find('"', magnet + 1))));
      p = magnet;
    }
    episodes.push_back(std::move(episode));
  }
  return episodes;
}

void SortEpisodesByCode(std::vector<Episode>& episodes) {
  // The exchanges are made on (code, entry) pairs, then the entries are put in
  // the order the pairs ended in: the same result as exchanging whole entries.
  std::vector<std::pair<std::string_view, std::size_t>> order;
  order.reserve(episodes.size());
  for (std::size_t j = 0; j < episodes.size(); ++j) order.emplace_back(episodes[j].episodeCode, j);
  for (std::size_t a = 0; a < order.size(); ++a) {
    for (std::size_t b = a; b < order.size(); ++b) {
      if (CompareEpisodeCodes(order[a].first, order[b].first) > 0) std::swap(order[a], order[b]);
    }
  }
  std::vector<Episode> sorted;
  sorted.reserve(episodes.size());
  for (const auto& [code, entry] : order) sorted.push_back(std::move(episodes[entry]));
  episodes = std::move(sorted);
}

}  // namespace epiloom
