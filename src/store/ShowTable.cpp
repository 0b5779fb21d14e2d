#include "store/ShowTable.h"

#include "support/TextUtil.h"

namespace epiloom {

std::size_t FindShow(const ShowTable& table, std::string_view name) {
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (TrimBlanks(table[i].name) == name) return i;
  }
  return table.size();
}

const ShowRecord* FindShowRecord(const ShowTable& table, std::string_view name) {
  const std::size_t index = FindShow(table, name);
  return ShowFound(table, index) ? &table[index] : nullptr;
}

ShowRecord* FindShowRecord(ShowTable& table, std::string_view name) {
  const std::size_t index = FindShow(table, name);
  return ShowFound(table, index) ? &table[index] : nullptr;
}

}  // namespace epiloom
