// Control and timer IDs of the episode-check dialog.
#pragma once

namespace epiloom::ids {

inline constexpr int kLoadBar = 1012;
inline constexpr int kCurrentShowLabel = 1013;
inline constexpr int kCheckCounterLabel = 1014;
inline constexpr int kCancelCheckButton = 1015;

inline constexpr unsigned kLoadBarTimer = 1426;

}  // namespace epiloom::ids
