// Control IDs of the blacklist dialog.
#pragma once

namespace epiloom::ids {

inline constexpr int kCandidateList = 1017;
inline constexpr int kBlacklistedList = 1018;
inline constexpr int kPutBackButton = 1019;
inline constexpr int kBlacklistButton = 1020;

}  // namespace epiloom::ids
