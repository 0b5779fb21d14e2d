#include "i18n/ProfileFile_win.h"

#include <windows.h>

#include "support/FileRetry_win.h"
#include "support/Win32Handles_win.h"

namespace epiloom {
namespace {

// The failure's error; never ERROR_SUCCESS, so a failure cannot pass for done.
DWORD LastError() {
  const DWORD error = ::GetLastError();
  return error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
}

DWORD FlushToDisk(const std::string& path) {
  win::FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || !::FlushFileBuffers(file.get())) return LastError();
  return ERROR_SUCCESS;
}

// The copy of the file (or a new file) with the key written, on the disk.
DWORD WriteCopy(const std::string& path, const std::string& temporary, const std::string& section,
                const std::string& key, const std::string& value) {
  ::DeleteFileA(temporary.c_str());
  const bool exists = ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  if (exists && !::CopyFileA(path.c_str(), temporary.c_str(), FALSE)) return LastError();
  if (!::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), temporary.c_str())) {
    return LastError();
  }
  return FlushToDisk(temporary);
}

}  // namespace

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
  // The profile functions rewrite a file in place (truncate, then write), so
  // a crash in between would leave it empty. The key goes into a copy beside
  // the file instead, which is flushed and moved over it in one step: a crash
  // leaves the old file or the new one, whole. The copy's name begins with
  // "~", as the program's other temporary files do. Both the copy and the
  // move are tried again while another program holds a file for a moment.
  const std::size_t slash = path.find_last_of('\\') + 1;
  const std::string temporary = path.substr(0, slash) + "~" + path.substr(slash) + ".new";
  const DWORD copied = win::RetryWhileFileHeld([&] { return WriteCopy(path, temporary, section, key, value); });
  const DWORD moved = copied != ERROR_SUCCESS ? copied : win::RetryWhileFileHeld([&]() -> DWORD {
    if (::MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return ERROR_SUCCESS;
    }
    return LastError();
  });
  if (moved != ERROR_SUCCESS) {
    ::DeleteFileA(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace epiloom
