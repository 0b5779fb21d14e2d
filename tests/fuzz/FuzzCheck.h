// The fuzz targets' check of a property: a failure names its line in the
// target's source and aborts, which libFuzzer reports as a crash and keeps
// the input of.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace epiloom::fuzz {

inline void Check(bool condition, unsigned line = __builtin_LINE()) {
  if (condition) return;
  std::fprintf(stderr, "check failed at line %u\n", line);
  std::abort();
}

}  // namespace epiloom::fuzz
