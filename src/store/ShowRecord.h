// One show of the tracker site's show list, with what the user chose for it
// and what its episode page held at the last check.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace epiloom {

// Widths of the record's text fields: longer values are cut to them on the
// way in, so every comparison and every file line uses the cut value.
inline constexpr std::size_t kNameWidth = 42;
inline constexpr std::size_t kPagePathWidth = 100;
inline constexpr std::size_t kEpisodeCodeWidth = 6;
inline constexpr std::size_t kMagnetLinkWidth = 255;

// Capacity of one show list refresh, and episodes read per show page.
inline constexpr std::size_t kShowTableCapacity = 10000;
inline constexpr std::size_t kMaxEpisodes = 200;

struct Episode {
  std::string episodeCode;  // "S01E02"; empty when the link held no code
  std::string magnetLink;   // at most kMagnetLinkWidth bytes
  float sizeMb = 0.0f;
};

struct ShowRecord {
  std::string name;         // trimmed title, at most kNameWidth bytes
  std::string pagePath;     // trimmed, at most kPagePathWidth bytes, no trailing "/"
  std::int16_t quality = 0;  // 1 prefers 720p ("H"), 0 standard quality ("L")
  std::string lastWatched;  // EpisodeCode; "S00E00" when nothing watched yet
  std::int32_t lastChecked = 0;  // whole seconds since local midnight
  // Sorted by code after a check; at most kMaxEpisodes entries. The index of
  // the last entry is the record's lastEpisode (-1 when there is none).
  std::vector<Episode> episodes;

  int lastEpisode() const { return static_cast<int>(episodes.size()) - 1; }
};

// One record per show of the page, in page order.
using ShowTable = std::vector<ShowRecord>;

}  // namespace epiloom
