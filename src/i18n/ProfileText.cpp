#include "i18n/ProfileText.h"

namespace epiloom {
namespace {

// The profile functions' blanks: around lines, names and values.
bool IsProfileBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsProfileBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsProfileBlank(text.back())) text.remove_suffix(1);
  return text;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

// A line "[name]" (blanks around the line and the name ignored; the name
// ends at the line's last "]").
bool SectionName(std::string_view line, std::string_view* name) {
  if (line.empty() || line.front() != '[') return false;
  const std::size_t close = line.rfind(']');
  if (close == std::string_view::npos) return false;
  *name = Trim(line.substr(1, close - 1));
  return true;
}

// The value a 260-byte buffer receives.
constexpr std::size_t kMaxValueLength = 259;

}  // namespace

std::string_view WithoutByteOrderMark(std::string_view text) {
  if (text.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark) text.remove_prefix(kUtf8ByteOrderMark.size());
  return text;
}

std::optional<std::string> ProfileValue(std::string_view content, std::string_view section, std::string_view key) {
  content = WithoutByteOrderMark(content);
  // 0: before the section, 1: inside it, 2: past it (only its first
  // occurrence is searched, as the profile functions do).
  int where = 0;
  std::size_t start = 0;
  while (start < content.size() && where < 2) {
    std::size_t end = content.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = content.size();
    const std::string_view line = Trim(content.substr(start, end - start));
    start = end + 1;  // CR LF gives an empty line between, which is skipped

    std::string_view name;
    if (SectionName(line, &name)) {
      if (where == 1) {
        where = 2;
      } else if (SameName(name, section)) {
        where = 1;
      }
      continue;
    }
    if (where != 1 || line.empty()) continue;
    const std::size_t equals = line.find('=');
    if (!SameName(Trim(line.substr(0, equals)), key)) continue;
    // A key without "=" has no value: the lookup ends at it all the same.
    if (equals == std::string_view::npos) return std::nullopt;
    std::string_view value = Trim(line.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    return std::string(value.substr(0, kMaxValueLength));
  }
  return std::nullopt;
}

}  // namespace epiloom
