#include "site/HandOffShell_win.h"

#include <windows.h>

#include "support/ShellFiles_win.h"
#include "support/ShellOpen_win.h"

namespace epiloom::win {

LocalDate HandOffShellWin::Today() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay};
}

void HandOffShellWin::ExportProgramIcons() { epiloom::ExportProgramIcons(folder_); }

ShortcutResult HandOffShellWin::CreateShortcut(const std::string& linkFile, const std::string& target,
                                               const std::string& workingFolder, const std::string& iconFile,
                                               const std::string& description) {
  return CreateShortcutFile(linkFile, target, "", workingFolder, kShortcutShowCommand, iconFile, description);
}

bool HandOffShellWin::Open(const std::string& target) { return ShellOpen(target); }

}  // namespace epiloom::win
