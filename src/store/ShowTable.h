// Looking shows up in the table.
#pragma once

#include <cstddef>
#include <string_view>

#include "store/ShowRecord.h"

namespace epiloom {

// Index of the first record whose trimmed name equals `name` byte for byte;
// table.size() (one past the last record) when none does. That value is not a
// record: test it with ShowFound before indexing the table.
std::size_t FindShow(const ShowTable& table, std::string_view name);

inline bool ShowFound(const ShowTable& table, std::size_t index) { return index < table.size(); }

// The record named `name`, or nullptr when the table holds none.
const ShowRecord* FindShowRecord(const ShowTable& table, std::string_view name);
ShowRecord* FindShowRecord(ShowTable& table, std::string_view name);

}  // namespace epiloom
