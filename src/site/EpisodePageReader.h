// Reading a show's episode page: episode links, their sizes and magnet links,
// found through fixed markers of the tracker site's HTML.
#pragma once

#include <string_view>
#include <vector>

#include "store/ShowRecord.h"

namespace epiloom {

// Start of an episode link; the link's path goes on after it up to the next
// double quote.
inline constexpr std::string_view kEpisodeLinkMarker = "<a href=\"/ep";
inline constexpr std::string_view kMagnetMarker = "magnet:?";

// Reads the first kMaxEpisodes episode links of a page, in page order.
//
// For each link: the code comes from "/ep" + the path (ReadEpisodeCode); a
// path without a code keeps the code that entry j had before, taken from
// `previous` (the record's episodes before this check; empty when it had no
// entry j). The size comes from the title's last parenthesis, "(350.5 MB)" or
// "(1.2 GB)": the nearest "(" before the next `)"` marker. The magnet link is
// the text from the next "magnet:?" up to the next double quote; a longer
// one than kMagnetLinkWidth is cut before the last "&" that keeps it within
// the width, so no parameter is cut in half.
//
// Missing pieces are not detected: each search takes the next occurrence
// further on in the page, so a block without a magnet link takes the next
// block's magnet link, and reading goes on after that one. Every search stays
// inside the page and the reading position never moves back:
//  - no `)"` marker further on (a size missing at the end of the page), or no
//    "(" before it: the size is 0 and the position stays where it was, so the
//    magnet search still starts inside the entry's own block;
//  - the nearest "(" lies before the link itself (a title without one): the
//    size is read from it, but the position stays, so the same links are never
//    read again;
//  - no "magnet:?" further on: the magnet link is empty and the position stays,
//    so the remaining links are still read with their codes and sizes;
//  - no episode link left (an earlier entry's magnet link was taken from a
//    block further on, so the links before it were passed): reading stops
//    with the entries read so far.
std::vector<Episode> ReadEpisodePage(std::string_view page, const std::vector<Episode>& previous);

// The size in megabytes of a size text ("350.5 MB", "1.2 GB"): its leading
// numeric value (blanks skipped, digits with an optional decimal point, no
// sign, 0 when there is none), times 1024 when the text contains "GB"
// (case-sensitive). Values beyond the range of a float become the largest
// float, so a size is always finite and never negative.
float SizeInMegabytes(std::string_view sizeText);

// Sorts by code, oldest first, with the exchange sort the program has always
// used: for a = 0..last, for b = a..last, exchange a and b when code a is
// greater than code b. Not stable: entries with equal codes are never
// exchanged with each other, but exchanges with other entries can change
// their relative order, and the duplicate choice depends on that order.
void SortEpisodesByCode(std::vector<Episode>& episodes);

}  // namespace epiloom
