// The hand-off's platform services on Windows: the local date, the icon
// files, shortcut files through the shell's link object, and the shell's
// "open". COM must be initialised on the calling thread.
#pragma once

#include "site/NewEpisodeHandOff.h"

namespace epiloom::win {

class HandOffShellWin : public HandOffShell {
 public:
  explicit HandOffShellWin(ProgramFolder& folder) : folder_(folder) {}

  LocalDate Today() override;
  void ExportProgramIcons() override;
  ShortcutResult CreateShortcut(const std::string& linkFile, const std::string& target,
                                const std::string& workingFolder, const std::string& iconFile,
                                const std::string& description) override;
  bool Open(const std::string& target) override;

 private:
  ProgramFolder& folder_;
};

}  // namespace epiloom::win
