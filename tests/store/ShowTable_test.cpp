#include "store/ShowTable.h"

#include <gtest/gtest.h>

namespace epiloom {
namespace {

ShowTable Table(std::initializer_list<const char*> names) {
  ShowTable table;
  for (const char* name : names) {
    ShowRecord record;
    record.name = name;
    record.pagePath = std::string("/shows/") + name;
    table.push_back(record);
  }
  return table;
}

TEST(FindShow, FirstExactMatchOrOnePastTheEnd) {
  const ShowTable table = Table({"Lost", "The Lost Room", "Dup", "Dup", "lost", " Padded "});
  struct Case {
    std::string_view name;
    std::size_t index;
  };
  const Case cases[] = {
      {"Lost", 0},          {"The Lost Room", 1}, {"Dup", 2},  // the first of two
      {"lost", 4},                                           // case-sensitive
      {"Padded", 5},                                         // the record's name is read trimmed
      {"Los", table.size()}, {"Lost Room", table.size()},    {"", table.size()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name));
    const std::size_t index = FindShow(table, c.name);
    EXPECT_EQ(index, c.index);
    EXPECT_EQ(ShowFound(table, index), c.index < table.size());
    const ShowRecord* record = FindShowRecord(table, c.name);
    EXPECT_EQ(record, c.index < table.size() ? &table[c.index] : nullptr);
  }
}

TEST(FindShow, EmptyTableFindsNothing) {
  ShowTable empty;
  EXPECT_EQ(FindShow(empty, ""), 0u);
  EXPECT_FALSE(ShowFound(empty, FindShow(empty, "")));
  EXPECT_EQ(FindShowRecord(empty, "Lost"), nullptr);
}

}  // namespace
}  // namespace epiloom
