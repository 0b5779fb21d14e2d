// Control and timer IDs of the new-episode download window.
#pragma once

namespace epiloom::ids {

inline constexpr int kDownloadBanner = 1009;
inline constexpr int kDownloadProgressBar = 1033;
inline constexpr int kDownloadLabel = 1034;
inline constexpr int kDownloadCancelButton = 1015;

inline constexpr unsigned kDownloadPollTimer = 1427;
inline constexpr unsigned kCountdownTimer = 1428;

}  // namespace epiloom::ids
