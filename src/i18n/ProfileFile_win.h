// Profile (INI) files through the kernel's profile functions.
#pragma once

#include "i18n/ProfileFile.h"

namespace epiloom {

class ProfileFileWin : public ProfileFile {
 public:
  std::string ReadString(const std::string& path, const std::string& section, const std::string& key,
                         const std::string& fallback) const override;
  bool WriteString(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& value) override;
};

}  // namespace epiloom
