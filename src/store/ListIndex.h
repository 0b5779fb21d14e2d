// Fast answers to the two membership questions the show list refresh asks of
// the user's lists for every show of the page, with exactly the answers of
// the plain substring searches they replace.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace epiloom {

// Where name + "|" + pagePath first occurs in a favourites text, anywhere
// (also inside a line, or across lines).
//
// A name without "|" lies, in any occurrence of the key, right before a "|" of
// the text, and the path right after it. The index keeps, for every "|" of the
// text, a hash of each text that ends at the "|" and could be a show's name:
// up to kMaxIndexedName bytes, not starting with a blank and not reaching
// back over an LF or the previous "|". A lookup hashes the name the same way,
// takes the "|"s listed under that hash in text order, and compares name and
// path with the text itself, so a hash collision costs a comparison, never a
// wrong answer. Any other name (longer, with "|" or LF, with blanks at its
// ends: never a name read from the page) takes the plain search.
//
// The index keeps a view of the text, which must outlive it unchanged.
class FavoriteKeyIndex {
 public:
  static constexpr std::size_t kMaxIndexedName = 42;

  explicit FavoriteKeyIndex(std::string_view favoritesText);

  // text.find(name + "|" + pagePath): the position of the first occurrence,
  // npos when there is none.
  std::size_t Find(std::string_view name, std::string_view pagePath) const;
  bool Contains(std::string_view name, std::string_view pagePath) const {
    return Find(name, pagePath) != std::string_view::npos;
  }

 private:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
  struct Slot {
    std::uint64_t hash = 0;
    std::uint32_t first = kNone;  // first link of this hash, kNone for a free slot
    std::uint32_t last = kNone;
  };
  struct Link {
    std::uint32_t bar;  // position of a "|"
    std::uint32_t next;
  };

  void Add(std::uint64_t hash, std::uint32_t bar);
  const Slot* Lookup(std::uint64_t hash) const;
  std::size_t PlainFind(std::string_view name, std::string_view pagePath) const;
  bool PathFollows(std::size_t bar, std::string_view pagePath) const;

  std::string_view text_;
  bool plainOnly_ = false;          // a text too long for 32-bit positions
  std::vector<std::uint32_t> bars_;  // every "|", for the empty name
  std::vector<Slot> slots_;          // open addressing, a power of two
  std::vector<Link> links_;
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

// missingFavorites while a refresh takes out the names it finds on the page:
// Remove(name) does what RemoveLines(text, name) does to the text (every line
// equal to the name goes), at the cost of a hash lookup.
class MissingNames {
 public:
  explicit MissingNames(std::string text);
  void Remove(std::string_view name);
  std::string Text() const;

 private:
  void Split();

  std::string text_;
  std::size_t headEnd_ = 0;    // just past the first LF (0 when there is none)
  std::size_t tailStart_ = 0;  // just past the last LF
  std::vector<std::string_view> lines_;
  std::vector<bool> removed_;
  std::unordered_map<std::string_view, std::vector<std::size_t>> byName_;
};

}  // namespace epiloom
