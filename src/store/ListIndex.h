// Fast answers to the two membership questions the show list refresh asks of
// the user's lists for every show of the page, with exactly the answers of
// the plain substring searches they replace.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace epiloom {

// Where name + "|" + pagePath first occurs in a favourites text, anywhere
// (also inside a line, or across lines).
//
// A name holds no "|", so in any occurrence the key's "|" lies on a "|" of the
// text, with the name ending right before it and the path starting right after
// it. The index lists, for every "|" of the text, hashes of the text that ends
// there: one per length 0..kSuffixBytes-1 (the whole name) and one of the last
// kSuffixBytes bytes (standing for any longer name). A lookup hashes the name
// the same way and checks each candidate "|" against the text itself, so a
// hash collision costs a comparison, never a wrong answer. Names holding a
// "|" fall back to the plain search.
//
// The index keeps a view of the text, which must outlive it unchanged.
class FavoriteKeyIndex {
 public:
  static constexpr std::size_t kSuffixBytes = 8;

  explicit FavoriteKeyIndex(std::string_view favoritesText);

  // Position of the first occurrence of name + "|" + pagePath, npos when the
  // text does not contain it: text.find(name + "|" + pagePath).
  std::size_t Find(std::string_view name, std::string_view pagePath) const;
  bool Contains(std::string_view name, std::string_view pagePath) const {
    return Find(name, pagePath) != std::string_view::npos;
  }

 private:
  struct Entry {
    std::uint64_t hash;
    std::size_t bar;  // position of the "|"
  };
  std::string_view text_;
  std::vector<Entry> entries_;  // sorted by hash, then position
};

// Whether an LF-framed list text contains LF + name + LF: for a name without
// LF, whether it is one of the fields between two LFs. Keeps views of the
// text, which must outlive it unchanged.
class ListLineSet {
 public:
  explicit ListLineSet(std::string_view listText);
  bool Contains(std::string_view name) const;

 private:
  std::string_view text_;
  std::unordered_set<std::string_view> lines_;
};

}  // namespace epiloom
