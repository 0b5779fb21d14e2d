// Episode pages from the site: reading, sorting and choosing must stay inside
// the page and keep their invariants whatever the page holds.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "site/EpisodeCode.h"
#include "site/EpisodePageReader.h"
#include "site/EpisodePages.h"
#include "support/TextUtil.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace epiloom;
  const std::string_view page(reinterpret_cast<const char*>(data), size);
  static const std::vector<Episode> previous = {
      {"S01E01", "magnet:?old", 1.0f}, {"", "", 0.0f}, {"S09E09", "magnet:?older", 2.0f}};

  std::vector<Episode> episodes = ReadEpisodePage(page, previous);
  Require(episodes.size() <= kMaxEpisodes);
  Require(episodes.size() <= CountOccurrences(page, kEpisodeLinkMarker));
  Require(!episodes.empty() || page.find(kEpisodeLinkMarker) == std::string_view::npos);
  for (const Episode& episode : episodes) {
    Require(episode.magnetLink.size() <= kMagnetLinkWidth);
    Require(episode.magnetLink.empty() || episode.magnetLink.starts_with(kMagnetMarker));
    Require(std::isfinite(episode.sizeMb) && episode.sizeMb >= 0.0f);
    Require(episode.episodeCode.size() <= kEpisodeCodeWidth);
  }

  SortEpisodesByCode(episodes);
  for (std::size_t j = 1; j < episodes.size(); ++j) {
    Require(CompareEpisodeCodes(episodes[j - 1].episodeCode, episodes[j].episodeCode) <= 0);
  }

  ShowTable table(2);
  table[0].name = "Fuzzed Show";
  table[0].quality = static_cast<std::int16_t>(size & 1);
  table[0].lastWatched = size > 6 ? std::string(page.substr(0, 6)) : std::string("S00E00");
  table[0].episodes = episodes;
  table[1].name = "Other";
  const NewEpisodeChoice choice = ChooseNewEpisodes(table, "\nFuzzed Show|/shows/1>S00E00H\n");
  Require(choice.shows.size() == 1 && choice.shows[0].showIndex == 0);
  const std::vector<Episode>& chosen = choice.shows[0].episodes;
  Require(chosen.size() <= episodes.size());
  Require(choice.total == (chosen.empty() ? -2 : static_cast<int>(chosen.size())));
  for (std::size_t j = 0; j < chosen.size(); ++j) {
    Require(IsNewerEpisode(chosen[j].episodeCode, table[0].lastWatched));
    if (j > 0) Require(CompareEpisodeCodes(chosen[j - 1].episodeCode, chosen[j].episodeCode) < 0);
  }
  return 0;
}
