// Small byte-string helpers shared by the readers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace epiloom {

// Leading and trailing blanks (character 32 only) removed; tabs stay.
std::string_view TrimBlanks(std::string_view text);

// Number of non-overlapping occurrences of `needle` in `text` (0 for an empty needle).
std::size_t CountOccurrences(std::string_view text, std::string_view needle);

// Every occurrence of `from` replaced by `to`, scanning left to right.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// Decimal without leading zeros.
std::string ToDecimal(long long value);

// The first `width` bytes of `text` (all of it when shorter).
inline std::string_view CutTo(std::string_view text, std::size_t width) { return text.substr(0, width); }

}  // namespace epiloom
