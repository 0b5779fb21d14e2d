// Control IDs of the favourite settings pages.
#pragma once

namespace epiloom::ids {

inline constexpr int kPrevPageButton = 1007;
inline constexpr int kNextPageButton = 1008;
inline constexpr int kQualityCombo = 1021;
inline constexpr int kNotWatchedOption = 1022;
inline constexpr int kWatchedOption = 1023;
inline constexpr int kSeasonDisplay = 1024;
inline constexpr int kEpisodeDisplay = 1025;
inline constexpr int kSeasonUpDown = 1026;
inline constexpr int kEpisodeUpDown = 1027;
inline constexpr int kQualityLabel = 1028;
inline constexpr int kLastWatchedLabel = 1029;
inline constexpr int kIncludedLabel = 1030;
inline constexpr int kSeasonEdit = 1031;
inline constexpr int kEpisodeEdit = 1032;

}  // namespace epiloom::ids
