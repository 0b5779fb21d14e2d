// The show list page read step by step as the site's layout is described,
// with the entry text built by replacing every separator with "|", to check
// the reader against.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "site/ShowListPage.h"
#include "support/TextUtil.h"

namespace epiloom::testing {

inline std::vector<ShowListEntry> ReadShowListPageStepByStep(std::string_view page) {
  std::vector<ShowListEntry> entries;
  std::size_t p = 0;
  while (entries.size() < kShowTableCapacity) {
    p = page.find(kShowEntryStart, p);
    if (p == std::string_view::npos) break;
    p += kShowEntryStart.size();
    const std::size_t end = page.find(kShowEntryEnd, p);
    if (end == std::string_view::npos) break;
    const std::string e = ReplaceAll(page.substr(p, end - p), kPathTitleSeparator, "|");
    if (TrimBlanks(e).empty()) continue;
    std::vector<std::string_view> fields;
    std::string_view rest = e;
    for (std::size_t bar = rest.find('|'); bar != std::string_view::npos; bar = rest.find('|')) {
      fields.push_back(rest.substr(0, bar));
      rest.remove_prefix(bar + 1);
    }
    fields.push_back(rest);
    const std::string_view name = fields.size() > 1 ? fields[1] : std::string_view{};
    entries.push_back({std::string(TrimBlanks(CutTo(TrimBlanks(name), kNameWidth))),
                       std::string(TrimBlanks(CutTo(TrimBlanks(fields[0]), kPagePathWidth)))});
  }
  return entries;
}

}  // namespace epiloom::testing
