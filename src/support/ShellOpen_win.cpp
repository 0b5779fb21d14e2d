#include "support/ShellOpen_win.h"

#include <windows.h>
#include <shellapi.h>

namespace epiloom::win {

bool ShellOpen(const std::string& target) {
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  // No error UI: a failure is the caller's to report. No async launch: the
  // calling thread (a worker, or the program about to end) may be gone
  // before an asynchronous launch would have finished.
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.lpVerb = "open";
  info.lpFile = target.c_str();
  info.nShow = SW_SHOWNORMAL;
  return ::ShellExecuteExA(&info) != FALSE;
}

}  // namespace epiloom::win
