// What became of a shortcut file the program meant to write: written, or
// missing and why. The platform's writer fills it; the hand-off decides from
// it whether the episode was handed over.
#pragma once

#include <string>
#include <utility>

namespace epiloom {

struct ShortcutResult {
  bool written = false;
  // When not written: why, in a few words for the user (the system's message
  // for the error, say "Access is denied"). Empty when written.
  std::string problem;

  static ShortcutResult Written() { return {true, {}}; }
  static ShortcutResult NotWritten(std::string why) { return {false, std::move(why)}; }
};

}  // namespace epiloom
