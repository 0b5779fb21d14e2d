#include "i18n/ProfileFile_win.h"

#include <windows.h>

namespace epiloom {

std::string ProfileFileWin::ReadString(const std::string& path, const std::string& section, const std::string& key,
                                       const std::string& fallback) const {
  // A 260-byte buffer: values are read up to 259 characters.
  char buffer[260] = {};
  const DWORD length = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer,
                                                  sizeof buffer, path.c_str());
  return std::string(buffer, length);
}

bool ProfileFileWin::WriteString(const std::string& path, const std::string& section, const std::string& key,
                                 const std::string& value) {
  return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str()) != FALSE;
}

}  // namespace epiloom
