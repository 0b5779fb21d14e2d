#include "store/ListIndex.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <string>

#include "store/UserLists.h"

namespace epiloom {
namespace {

constexpr std::uint64_t kFnvOffset = 14695981039346656037ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;

// FNV-1a over the bytes from the last one backwards, so that the hashes of
// the texts ending at one place build up a byte at a time; the length is
// mixed in last.
std::uint64_t AddByte(std::uint64_t hash, char byte) {
  return (hash ^ static_cast<unsigned char>(byte)) * kFnvPrime;
}
std::uint64_t Finish(std::uint64_t hash, std::size_t length) {
  hash = (hash ^ length) * kFnvPrime;
  return hash ^ (hash >> 29);
}

std::uint64_t NameHash(std::string_view name) {
  std::uint64_t hash = kFnvOffset;
  for (std::size_t i = name.size(); i > 0; --i) hash = AddByte(hash, name[i - 1]);
  return Finish(hash, name.size());
}

std::size_t SlotOf(std::uint64_t hash, std::size_t mask) {
  return static_cast<std::size_t>((hash * 0x9E3779B97F4A7C15ull) >> 32) & mask;
}

}  // namespace

FavoriteKeyIndex::FavoriteKeyIndex(std::string_view favoritesText) : text_(favoritesText) {
  if (text_.size() >= kNone) {
    plainOnly_ = true;
    return;
  }
  for (std::size_t bar = text_.find('|'); bar != std::string_view::npos; bar = text_.find('|', bar + 1)) {
    bars_.push_back(static_cast<std::uint32_t>(bar));
  }
  // The texts that end at a "|": at most kMaxIndexedName bytes, back to the
  // previous "|" or LF. The empty name uses bars_.
  const auto reach = [this](std::size_t bar, std::size_t previousBar) {
    const std::size_t floor = bar - std::min<std::size_t>(bar - previousBar, kMaxIndexedName);
    std::size_t start = bar;
    while (start > floor && text_[start - 1] != '\n') --start;
    return start;
  };
  std::size_t keys = 0;
  std::size_t segmentStart = 0;
  for (std::uint32_t bar : bars_) {
    keys += bar - reach(bar, segmentStart);
    segmentStart = bar + 1;
  }
  slots_.resize(std::bit_ceil(std::max<std::size_t>(16, keys + keys / 2)));
  links_.reserve(keys);

  segmentStart = 0;
  for (std::uint32_t bar : bars_) {
    const std::size_t start = reach(bar, segmentStart);
    std::uint64_t hash = kFnvOffset;
    for (std::size_t length = 1; length <= bar - start; ++length) {
      const char byte = text_[bar - length];
      hash = AddByte(hash, byte);
      if (byte != ' ') Add(Finish(hash, length), bar);  // names never start with a blank
    }
    segmentStart = bar + 1;
  }
}

void FavoriteKeyIndex::Add(std::uint64_t hash, std::uint32_t bar) {
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = SlotOf(hash, mask);
  while (slots_[at].first != kNone && slots_[at].hash != hash) at = (at + 1) & mask;
  Slot& slot = slots_[at];
  const auto link = static_cast<std::uint32_t>(links_.size());
  links_.push_back({bar, kNone});
  if (slot.first == kNone) {
    slot = {hash, link, link};
  } else {
    links_[slot.last].next = link;  // bars arrive in text order and stay so
    slot.last = link;
  }
}

const FavoriteKeyIndex::Slot* FavoriteKeyIndex::Lookup(std::uint64_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = SlotOf(hash, mask);; at = (at + 1) & mask) {
    if (slots_[at].first == kNone) return nullptr;
    if (slots_[at].hash == hash) return &slots_[at];
  }
}

std::size_t FavoriteKeyIndex::PlainFind(std::string_view name, std::string_view pagePath) const {
  std::string key(name);
  key.push_back('|');
  key.append(pagePath);
  return text_.find(key);
}

bool FavoriteKeyIndex::PathFollows(std::size_t bar, std::string_view pagePath) const {
  return text_.compare(bar + 1, pagePath.size(), pagePath) == 0;
}

std::size_t FavoriteKeyIndex::Find(std::string_view name, std::string_view pagePath) const {
  const bool indexed = name.size() <= kMaxIndexedName && name.find_first_of("|\n") == std::string_view::npos &&
                       (name.empty() || name.front() != ' ');
  if (plainOnly_ || !indexed) return PlainFind(name, pagePath);
  if (name.empty()) {
    for (std::uint32_t bar : bars_) {
      if (PathFollows(bar, pagePath)) return bar;
    }
    return std::string_view::npos;
  }
  const Slot* slot = Lookup(NameHash(name));
  if (slot == nullptr) return std::string_view::npos;
  for (std::uint32_t link = slot->first; link != kNone; link = links_[link].next) {
    const std::size_t bar = links_[link].bar;
    if (bar < name.size()) continue;  // a hash shared with a shorter text
    if (text_.compare(bar - name.size(), name.size(), name) == 0 && PathFollows(bar, pagePath)) {
      return bar - name.size();
    }
  }
  return std::string_view::npos;
}

ListLineSet::ListLineSet(std::string_view listText) : text_(listText) {
  std::size_t start = text_.find('\n');
  if (start == std::string_view::npos) return;
  ++start;
  for (std::size_t lf = text_.find('\n', start); lf != std::string_view::npos; lf = text_.find('\n', start)) {
    lines_.insert(text_.substr(start, lf - start));
    start = lf + 1;
  }
}

bool ListLineSet::Contains(std::string_view name) const {
  if (name.find('\n') == std::string_view::npos) return lines_.count(name) != 0;
  std::string framed;
  framed.reserve(name.size() + 2);
  framed.push_back('\n');
  framed.append(name);
  framed.push_back('\n');
  return text_.find(framed) != std::string_view::npos;
}

MissingNames::MissingNames(std::string text) : text_(std::move(text)) { Split(); }

void MissingNames::Split() {
  lines_.clear();
  removed_.clear();
  byName_.clear();
  const std::string_view text = text_;
  const std::size_t first = text.find('\n');
  headEnd_ = tailStart_ = first == std::string_view::npos ? 0 : first + 1;
  if (first == std::string_view::npos) return;
  for (std::size_t lf = text.find('\n', headEnd_); lf != std::string_view::npos; lf = text.find('\n', tailStart_)) {
    const std::string_view line = text.substr(tailStart_, lf - tailStart_);
    byName_[line].push_back(lines_.size());
    lines_.push_back(line);
    tailStart_ = lf + 1;
  }
  removed_.assign(lines_.size(), false);
}

void MissingNames::Remove(std::string_view name) {
  if (name.find('\n') != std::string_view::npos) {
    // A name across lines: rare enough to take the text route.
    std::string text = Text();
    RemoveLines(text, name);
    text_ = std::move(text);
    Split();
    return;
  }
  const auto found = byName_.find(name);
  if (found == byName_.end()) return;
  for (std::size_t index : found->second) removed_[index] = true;
  byName_.erase(found);
}

std::string MissingNames::Text() const {
  const std::string_view text = text_;
  std::string result(text.substr(0, headEnd_));
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (removed_[i]) continue;
    result.append(lines_[i]);
    result.push_back('\n');
  }
  result.append(text.substr(tailStart_));
  return result;
}

}  // namespace epiloom
