#include "store/ListIndex.h"

#include <algorithm>
#include <string>

namespace epiloom {
namespace {

constexpr std::uint64_t kFnvOffset = 14695981039346656037ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;

// FNV-1a over the bytes from the last one backwards, then the length, so that
// the hashes of a text's suffixes build up one byte at a time.
std::uint64_t AddByte(std::uint64_t hash, char byte) {
  return (hash ^ static_cast<unsigned char>(byte)) * kFnvPrime;
}
std::uint64_t Finish(std::uint64_t hash, std::size_t length) {
  return (hash ^ (length + 1)) * kFnvPrime;
}

// The hash a name is looked up by: of its last min(length, kSuffixBytes) bytes.
std::uint64_t NameHash(std::string_view name) {
  const std::size_t take = std::min(name.size(), FavoriteKeyIndex::kSuffixBytes);
  std::uint64_t hash = kFnvOffset;
  for (std::size_t i = 0; i < take; ++i) hash = AddByte(hash, name[name.size() - 1 - i]);
  return Finish(hash, take);
}

}  // namespace

FavoriteKeyIndex::FavoriteKeyIndex(std::string_view favoritesText) : text_(favoritesText) {
  std::size_t segmentStart = 0;  // just past the previous "|"
  for (std::size_t bar = text_.find('|'); bar != std::string_view::npos; bar = text_.find('|', bar + 1)) {
    const std::size_t available = std::min(bar - segmentStart, kSuffixBytes);
    std::uint64_t hash = kFnvOffset;
    entries_.push_back({Finish(hash, 0), bar});
    for (std::size_t length = 1; length <= available; ++length) {
      hash = AddByte(hash, text_[bar - length]);
      entries_.push_back({Finish(hash, length), bar});
    }
    segmentStart = bar + 1;
  }
  std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
    return a.hash != b.hash ? a.hash < b.hash : a.bar < b.bar;
  });
}

std::size_t FavoriteKeyIndex::Find(std::string_view name, std::string_view pagePath) const {
  if (name.find('|') != std::string_view::npos) {
    std::string key(name);
    key.push_back('|');
    key.append(pagePath);
    return text_.find(key);
  }
  const std::uint64_t hash = NameHash(name);
  auto it = std::lower_bound(entries_.begin(), entries_.end(), hash,
                             [](const Entry& entry, std::uint64_t value) { return entry.hash < value; });
  // Candidates come in text order, so the first that matches is the first
  // occurrence.
  for (; it != entries_.end() && it->hash == hash; ++it) {
    const std::size_t bar = it->bar;
    if (bar < name.size()) continue;
    if (text_.compare(bar - name.size(), name.size(), name) != 0) continue;
    if (text_.compare(bar + 1, pagePath.size(), pagePath) != 0) continue;
    return bar - name.size();
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

}  // namespace epiloom
