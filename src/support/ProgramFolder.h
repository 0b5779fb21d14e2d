// The folder of the executable: every file the program reads or writes lives
// there, named by appending to the folder's path.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace epiloom {

class ProgramFolder {
 public:
  virtual ~ProgramFolder() = default;

  // Full path of the folder, ending with its separator ("C:\Shows\").
  virtual std::string Path() const = 0;

  // A file exists when its attributes can be read.
  virtual bool Exists(const std::string& name) const = 0;

  // The whole file as raw bytes; nullopt when it cannot be opened or read.
  virtual std::optional<std::string> ReadFile(const std::string& name) const = 0;

  // Whether new files can be made in the folder: a small, uniquely named
  // temporary file is created and removed at once. Asked once, at start.
  virtual bool CanWrite() = 0;

  // Creates or truncates the file and writes the bytes as they are.
  virtual bool WriteFile(const std::string& name, std::string_view bytes) = 0;

  // Replaces the file as a whole: a crash at any moment leaves either the old
  // content or the new one, never a mix or a truncated file. A file another
  // program holds for a moment is tried again for a short, bounded time; a
  // write that fails leaves the old file as it was.
  virtual bool ReplaceWholeFile(const std::string& name, std::string_view bytes) = 0;

  // Deleting a file that does not exist is not an error.
  virtual bool RemoveFile(const std::string& name) = 0;

  // Names (without the folder) of the regular files whose names match a
  // pattern with "*" and "?" wildcards, letter case ignored, sorted by name.
  virtual std::vector<std::string> ListFiles(const std::string& pattern) const = 0;
};

}  // namespace epiloom
