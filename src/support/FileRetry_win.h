// Writes that another program's brief hold must not fail.
//
// A virus scanner that opens every new file, a backup, or the search indexer
// holds a file for a moment; meanwhile creating, replacing or deleting it
// fails with ERROR_SHARING_VIOLATION, ERROR_LOCK_VIOLATION or (a file pending
// deletion, or opened without delete sharing) ERROR_ACCESS_DENIED. Such a
// write is tried again a few times over a short, bounded time before it
// counts as failed; any other error ends it at once.
#pragma once

#include <windows.h>

namespace epiloom::win {

// The pauses between attempts: six attempts over about 1.5 s in all.
inline constexpr DWORD kHeldFileRetryDelaysMs[] = {50, 100, 200, 400, 800};

inline bool FileHeldByAnotherProgram(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

// Runs `attempt` (which returns ERROR_SUCCESS when done, else the Win32 error
// of its failure) until it succeeds, fails for another reason, or the pauses
// are used up. Returns the last attempt's result.
template <class Attempt>
DWORD RetryWhileFileHeld(Attempt&& attempt) {
  DWORD error = attempt();
  for (const DWORD pause : kHeldFileRetryDelaysMs) {
    if (error == ERROR_SUCCESS || !FileHeldByAnotherProgram(error)) break;
    ::Sleep(pause);
    error = attempt();
  }
  return error;
}

}  // namespace epiloom::win
