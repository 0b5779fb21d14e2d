// The folder of the running executable, on Win32.
#pragma once

#include "support/ProgramFolder.h"

namespace epiloom {

class ProgramFolderWin : public ProgramFolder {
 public:
  // The full path of the running executable cut after its last backslash.
  ProgramFolderWin();

  std::string Path() const override { return path_; }
  bool Exists(const std::string& name) const override;
  std::optional<std::string> ReadFile(const std::string& name) const override;
  bool CanWrite() override;
  bool WriteFile(const std::string& name, std::string_view bytes) override;
  bool ReplaceWholeFile(const std::string& name, std::string_view bytes) override;
  bool RemoveFile(const std::string& name) override;
  std::vector<std::string> ListFiles(const std::string& pattern) const override;

 private:
  std::string path_;
};

}  // namespace epiloom
