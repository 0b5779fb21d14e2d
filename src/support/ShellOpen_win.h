// Opens a file or an address with the shell's "open" verb: the browser for
// an http address, the registered handler for a magnet link, the program
// itself for an exe.
#pragma once

#include <string>

namespace epiloom::win {

// No owner window, no parameters, no working folder, shown normally. The
// shell shows no error box of its own: false tells the caller it failed.
bool ShellOpen(const std::string& target);

}  // namespace epiloom::win
